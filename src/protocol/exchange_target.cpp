// SPDX-License-Identifier: MIT
#include "protocol/exchange_target.h"

#include <algorithm>

#include "protocol/command_frame.h"
#include "protocol/response_parser.h"

namespace qvm {

namespace {

// Commands the devices never answer: RESET, and identify, whose answers its own routine reads.
constexpr int kCmdIdentify = 3 * 64 + 9;
constexpr int kCmdReset = 3 * 64 + 18;
constexpr int kBroadcastLow = 0;
constexpr int kBroadcastHigh = 15;

std::uint16_t DaisyDevices(const Session& session, const DeviceCommand& command, int type) {
  const int m = command.RegisterIndex();
  if (m == kCmdIdentify || m == kCmdReset || IsUprBufferRead(command)) return 0;
  const int identified =
      type == 0 ? session.state.DeviceCount52400 : session.state.DeviceCount52401;
  const int count = std::min<int>(identified, kDevicesPerType - 1);
  if (command.dev == kBroadcastLow || command.dev == kBroadcastHigh) {
    std::uint16_t all = 0;
    for (int d = 1; d <= count; ++d) all = static_cast<std::uint16_t>(all | (1u << d));
    return all;
  }
  return command.dev <= count ? static_cast<std::uint16_t>(1u << command.dev) : 0;
}

}  // namespace

ExchangeTarget TargetOf(const Session& session, const DeviceCommand& command) {
  ExchangeTarget target;
  target.type = TypeIndex(command.devType);
  const int m = command.RegisterIndex();
  const std::int32_t kind = session.model.RegKind(target.type, m);
  if (!session.state.DaisyChainMode) {
    target.devices = 1u << 1;
    if (!command.IsWrite() && (IsReadableKind(kind) || m == kRegAlwaysData)) {
      target.firstAddress = m;
      target.count = 1;
    }
    return target;
  }
  target.devices = DaisyDevices(session, command, target.type);
  if (target.devices == 0 || command.IsWrite()) return target;
  if (kind == kKindBlockRead) {
    const BlockRead block = BlockReadFor(target.type, command.cat, command.adr);
    const int page = (command.cat & 7) * 64;
    target.firstAddress = page + block.firstAddress - block.words + 1;
    target.count = block.words;
  } else if (IsReadableKind(kind)) {
    target.firstAddress = m;
    target.count = 1;
  }
  return target;
}

void SettleExchange(Session& session) {
  const ExchangeTarget& target = session.target;
  const bool repaint = session.view.UpdateGuiControls();
  bool marked = false;
  for (int d = 0; d < kDevicesPerType; ++d) {
    if ((target.devices & (1u << d)) == 0) continue;
    const bool shown =
        target.type == session.state.SelectedDeviceType && d == session.state.SelectedDevice;
    for (int m = target.firstAddress; m < target.firstAddress + target.count; ++m) {
      if (!IsReadableKind(session.model.RegKind(target.type, m)) && m != kRegAlwaysData) continue;
      if (session.image.ReadIn(target.type, d, m) != session.exchangeNumber) {
        session.image.MarkStale(target.type, d, m);
        marked = true;
        if (repaint && shown) RefreshRegisterSlots(session, m, session.image.at(target.type, d, m));
      }
    }
  }
  // The displays show what was just marked stale as such.
  if (repaint && marked) RequestStatusRefresh(session);
}

}  // namespace qvm
