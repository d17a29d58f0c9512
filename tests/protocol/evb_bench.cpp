// SPDX-License-Identifier: MIT
#include "evb_bench.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "model/tab_definitions.h"
#include "protocol/board_init.h"

namespace qvm::test {

namespace {

sim::SimulatedEvb Build(const std::string& chainText, Clock& clock) {
  std::string error;
  auto evb = sim::MakeSimulatedEvb(chainText, clock, error);
  if (!evb) throw std::invalid_argument(chainText + ": " + error);
  return *evb;
}

std::string ReadTabDefinitions() {
  std::ifstream file(std::string(QVM_DATA_DIR) + "/tabdefs_QVM52400_RevA.csv", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

EvbBench::EvbBench(const std::string& chainText)
    : evb(Build(chainText, clock)), session(*evb.bus, host, clock, view, faults, timer) {
  const TabDefParseResult result =
      ParseTabDefinitions(ReadTabDefinitions(), session.model, session.image, session.state);
  if (!result.ok) throw std::runtime_error(result.errorText);
}

void EvbBench::Connect(std::uint8_t mode) {
  InitializeDriver(session);
  session.ChainModeSetting = mode;
  InitializeEvb(session);
}

}  // namespace qvm::test
