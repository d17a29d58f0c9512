// SPDX-License-Identifier: MIT
#include "operations/register_page.h"

#include <optional>
#include <string>

#include "operations/command_fanout.h"
#include "protocol/board_init.h"
#include "protocol/command_frame.h"
#include "protocol/polling_guard.h"
#include "protocol/procedure_trap.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr const char* kRead = "cbRead_Click";
constexpr const char* kWrite = "cbWrite_Click";
constexpr std::int64_t kRowGapMs = 3;

// The register index on `row` of the selected tab, or nothing for an empty row.
std::optional<int> RowRegister(const Session& session, int row) {
  const int tab = session.view.SelectedTab();
  if (tab < 0 || tab >= kMaxTabs || row < 0 || row >= kSlotsPerTab) return std::nullopt;
  const int type = TypeIndex(session.state.SelectedDeviceType);
  const int index = session.model.type[static_cast<std::size_t>(type)]
                        .TabRegister[static_cast<std::size_t>(tab)][static_cast<std::size_t>(row)];
  if (index < 0 || index >= kRegisterCount) return std::nullopt;
  return index;
}

// The device the page addresses; single-device mode always uses device 1.
std::uint8_t PageDevice(Session& session) {
  if (!session.state.DaisyChainMode) session.state.SelectedDevice = 1;
  const int dev = session.state.SelectedDevice;
  return static_cast<std::uint8_t>(dev >= 0 && dev < kDevicesPerType ? dev : 1);
}

}  // namespace

void ReadRegisterRow(Session& session, int row) {
  if (!session.bridge.EvbConnected) {
    ResumeUprPolling(session);
    ReportEvbNotConnected(session, kRead);
    return;
  }
  const std::optional<int> index = RowRegister(session, row);
  if (!index) {
    ResumeUprPolling(session);
    return;
  }
  const int type = TypeIndex(session.state.SelectedDeviceType);
  DeviceCommand command;
  command.dev = PageDevice(session);
  command.cat = static_cast<std::uint8_t>(*index / 64);
  command.adr = static_cast<std::uint8_t>(*index % 64);
  command.devType = static_cast<std::int16_t>(type);
  const std::int32_t kind = session.model.RegKind(type, *index);
  if (kind == kKindCommandWithData3 || kind == kKindCommandWithData4) {
    command.dat = static_cast<std::int16_t>(session.image.at(type, command.dev, *index) & 0x3F);
  }
  ReadRegisterAs(session, command, kRead);
}

void WriteRegisterRow(Session& session, int row) {
  if (!session.bridge.EvbConnected) {
    ReportEvbNotConnected(session, kWrite);
    return;
  }
  const std::optional<int> index = RowRegister(session, row);
  if (!index) {
    ResumeUprPolling(session);
    return;
  }
  const int type = TypeIndex(session.state.SelectedDeviceType);
  DeviceCommand command;
  command.dev = PageDevice(session);
  command.cat = static_cast<std::uint8_t>(*index / 64);
  command.adr = static_cast<std::uint8_t>(*index % 64);
  command.dat = static_cast<std::int16_t>(session.image.at(type, command.dev, *index) & 0x3FFF);
  command.devType = static_cast<std::int16_t>(type);
  WriteRegisterAs(session, command, kWrite);
}

void ReadRegisterGroup(Session& session) {
  if (!session.bridge.EvbConnected) {
    session.host.ShowMessage(session.bridge.MessageTitle,
                             session.state.PartName52400 + " EVB not connected!");
    session.LogLine("Error: EVB not detected. Please check connections.");
    return;
  }
  session.LogLine("Reading register group:");
  const int type = TypeIndex(session.state.SelectedDeviceType);
  for (int row = 0; row < kSlotsPerTab; ++row) {
    const std::optional<int> index = RowRegister(session, row);
    if (!index || !session.view.RegisterSlotVisible(row)) continue;
    if (!IsReadableKind(session.model.RegKind(type, *index))) continue;
    ReadRegisterRow(session, row);
    WaitMs(session, kRowGapMs);
  }
  session.LogLine("");
}

void WriteRegisterGroup(Session& session) {
  session.LogLine("Writing register group:");
  for (int row = 0; row < kSlotsPerTab; ++row) {
    if (!session.view.RegisterSlotWritable(row)) continue;
    WriteRegisterRow(session, row);
    WaitMs(session, kRowGapMs);
  }
  session.LogLine("");
}

}  // namespace qvm
