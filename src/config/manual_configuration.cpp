// SPDX-License-Identifier: MIT
#include "config/manual_configuration.h"

#include "link/packet_exchange.h"

namespace qvm {

void ApplyManualConfiguration(Session& session, const ManualConfigChoice& choice) {
  SharedState& state = session.state;
  state.ManualConfigAccepted = true;
  state.IdentifyCompanionType = choice.family == DeviceFamily::QVM52400And52401;
  state.ManualDaisyChain = choice.daisyChain;

  const std::uint8_t mode = choice.daisyChain ? kModeDaisyChain : kModeSingleDevice;
  session.exchange.BridgeCommand = choice.daisyChain ? kCmdSpiDaisy : kCmdSpiSingle;
  session.GpioSpiSetup[0] = mode;
  session.ChainModeSetting = mode;

  const std::int16_t count = choice.daisyChain ? choice.stackSize : std::int16_t{1};
  state.ManualCount52400 = count;
  state.ManualCount52401 = state.IdentifyCompanionType ? count : std::int16_t{0};
  switch (choice.family) {
    case DeviceFamily::QVM38817Only:
      state.PartName52400 = "QVM38817";
      state.PartName52401 = choice.daisyChain ? "NONE" : "";
      break;
    case DeviceFamily::QVM52400Only:
      state.PartName52400 = "QVM52400";
      state.PartName52401 = "";
      break;
    case DeviceFamily::QVM52400And52401:
      state.PartName52400 = "QVM52400";
      state.PartName52401 = "QVM52401";
      break;
  }
  state.DeviceConfigChosen = true;
  state.TabDefsFileName =
      choice.family == DeviceFamily::QVM38817Only ? kTabDefs38817 : kTabDefs52400;
}

}  // namespace qvm
