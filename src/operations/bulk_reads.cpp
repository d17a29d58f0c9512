// SPDX-License-Identifier: MIT
#include "operations/bulk_reads.h"

#include "operations/command_fanout.h"
#include "protocol/acquisition.h"

namespace qvm {

namespace {

// One class of registers: the block read of a chain, the address range of a single device.
struct ReadClass {
  const char* procedure;
  std::uint8_t cat;
  std::uint8_t blockAdr;
  std::uint8_t firstAdr;
  std::uint8_t lastAdr;
};

constexpr ReadClass kVolts{"cbReadAllVolts_Click", 1, 0x0F, 0x40, 0x4C};
constexpr ReadClass kTemps{"cbReadAllTemps_Click", 1, 0x1F, 0x50, 0x56};
constexpr ReadClass kFaults{"cbReadAllFaults_Click", 2, 0x0F, 0x80, 0x86};
constexpr ReadClass kSetups{"cbReadAllSetup_Click", 2, 0x1F, 0x90, 0x9D};

bool TransferClass(Session& session, const ReadClass& read) {
  DeviceCommand record;
  record.cat = read.cat;
  if (session.state.DaisyChainMode) {
    record.adr = read.blockAdr;
    return DaisyChainQuickCommand(session, record);
  }
  // The addresses are register indexes; the frame keeps their low six bits.
  for (int address = read.firstAdr; address <= read.lastAdr; ++address) {
    record.adr = static_cast<std::uint8_t>(address);
    record.dat = 0;
    if (!NonDaisyChainQuickCommand(session, record)) return false;
  }
  return true;
}

bool ReadClassOf(Session& session, const ReadClass& read, const ChartSampleSink& addToCharts = {}) {
  if (!session.bridge.EvbConnected) {
    ReportEvbNotConnected(session, read.procedure);
    return false;
  }
  Acquisition acquisition(session);
  const bool carried = TransferClass(session, read);
  acquisition.Close();
  // A read that failed part way still charts what it read, its sample flagged with the errors.
  if (addToCharts && !session.bridge.LinkLost()) addToCharts(acquisition.Errors().flags);
  return carried && !acquisition.Failed();
}

}  // namespace

bool ReadAllVolts(Session& session, const ChartSampleSink& addToCharts) {
  return ReadClassOf(session, kVolts, addToCharts);
}

bool ReadAllTemps(Session& session) {
  return ReadClassOf(session, kTemps);
}

bool ReadAllFaults(Session& session) {
  return ReadClassOf(session, kFaults);
}

bool ReadAllSetups(Session& session) {
  return ReadClassOf(session, kSetups);
}

void ReadAllRegs(Session& session) {
  session.LogLine("Reading all device registers:");
  session.host.ShowMessage(session.bridge.MessageTitle, "Not yet implemented");
}

}  // namespace qvm
