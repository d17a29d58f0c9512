// SPDX-License-Identifier: MIT
// Any input reports through the packet exchange and both response parsers: reads, block reads,
// writes, broadcasts and UPR buffer reads, in daisy-chain and single-device mode, with the
// shipped tab definitions.
#include <cstddef>
#include <cstdint>

#include "core/clock.h"
#include "fuzz_support.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "operations/bulk_reads.h"
#include "operations/upr_buffers.h"
#include "protocol/register_access.h"
#include "protocol/session.h"

namespace {

using namespace qvm;

struct Harness {
  Harness() : bus(source), session(bus, host, clock, view, recorder, timer) {
    const TabDefFileText file = LoadTabDefinitionFile(QVM_DATA_DIR, "\\tabdefs_QVM52400_RevA.csv");
    ParseTabDefinitions(file.text, session.model, session.image, session.state);
    session.bridge.OpenBridge();
  }

  fuzz::ByteSource source;
  fuzz::ReplayBus bus;
  QuietHost host;
  VirtualClock clock;
  fuzz::ShowingView view;
  QuietFaultRecorder recorder;
  FlagPollingTimer timer;
  Session session;
};

// Requests whose replies the parsers treat differently: the four block reads, the fault
// status, a plain register, a command.
constexpr std::uint8_t kRequests[][2] = {{1, 15}, {1, 31}, {2, 15}, {2, 31},
                                         {2, 4},  {2, 22}, {3, 1}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Harness harness;
  Session& session = harness.session;
  fuzz::ByteSource& in = harness.source;
  in.Reset({data, size});
  const std::uint8_t mode = in.Byte();
  const std::uint8_t dev = in.Byte() & 0x0F;
  session.state.DaisyChainMode = (mode & 0x01) != 0;
  session.state.DeviceCount52400 = 3;
  session.state.DeviceCount52401 = (mode & 0x02) ? 2 : 0;
  session.state.SelectedDevice = dev;
  session.state.SelectedDeviceType = static_cast<std::int16_t>((mode >> 2) & 1);
  session.exchange.BridgeCommand = session.state.DaisyChainMode ? kCmdSpiDaisy : kCmdSpiSingle;
  session.bridge.EvbConnected = true;

  const auto& request = kRequests[(mode >> 3) % std::size(kRequests)];
  DeviceCommand command;
  command.dev = dev;
  command.cat = request[0];
  command.adr = request[1];
  command.devType = session.state.SelectedDeviceType;
  switch (mode >> 6) {
    case 0:
      ReadSingleReg(session, command);
      break;
    case 1:
      command.dat = static_cast<std::int16_t>(in.Byte() << 6 | in.Byte() >> 2);
      WriteSingleReg(session, command);
      break;
    case 2:
      ReadAllVolts(session);
      break;
    default:
      if (session.state.DaisyChainMode) {
        ReadUPRBuffers(session, command.devType);
      } else {
        ReadAllFaults(session);
      }
      break;
  }
  return 0;
}
