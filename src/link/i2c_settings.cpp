// SPDX-License-Identifier: MIT
#include "link/i2c_settings.h"

#include <algorithm>
#include <cctype>

#include "link/packet_exchange.h"
#include "link/spi_settings.h"

namespace qvm {

namespace {

constexpr std::uint8_t kSelectRead = 1;
constexpr std::uint8_t kSelectWrite = 0;
constexpr float kScanWaitSeconds = 0.1f;

int DividerFromByte(std::uint8_t byte) {
  return byte == 0 ? kI2cLargestDivider : byte;
}

// An options write: selector 0, repeated start + 2 x stop-write in byte 3, EXTHOLD in byte 4 and
// the SCL toggle in byte 5.
bool SendOptions(Bridge& bridge, const I2cOptions& options, bool toggleScl) {
  bridge.FillReport(0);
  bridge.SetReportId();
  Report& report = bridge.ReportBuffer;
  report[1] = kCmdI2cOptions;
  report[2] = kSelectWrite;
  report[3] = static_cast<std::uint8_t>((options.repeatedStart ? 1 : 0) +
                                        (options.stopWriteBeforeRead ? 2 : 0));
  report[4] = options.extendHold ? 1 : 0;
  report[5] = toggleScl ? 1 : 0;
  return bridge.WriteReport();
}

}  // namespace

I2cClockReading ReadI2cClock(Bridge& bridge) {
  ReadBridgeSetting(bridge, kCmdI2cClock, kSelectRead);
  return {bridge.ReportBuffer[2], DividerFromByte(bridge.ReportBuffer[3])};
}

std::uint16_t WriteI2cClock(Bridge& bridge, int divider) {
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = kCmdI2cClock;
  bridge.ReportBuffer[2] = kSelectWrite;
  bridge.ReportBuffer[3] = static_cast<std::uint8_t>(divider & 0xFF);
  return bridge.checkStatus(bridge.WriteReport());
}

std::vector<I2cClockItem> I2cClockList(std::uint8_t baseClockMhz) {
  const unsigned baseKhz = baseClockMhz * 1000u;
  std::vector<I2cClockItem> items;
  for (int n = kI2cLargestDivider; n >= 1; --n) {
    const unsigned khz = baseKhz / static_cast<unsigned>(n);
    if (khz >= kI2cSlowestListedKhz) items.push_back({std::to_string(khz), n});
  }
  return items;
}

int I2cClockListIndex(const std::vector<I2cClockItem>& items, int divider) {
  const auto it = std::find_if(items.begin(), items.end(), [divider](const I2cClockItem& item) {
    return item.divider == divider;
  });
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

I2cOptions ReadI2cOptions(Bridge& bridge) {
  ReadBridgeSetting(bridge, kCmdI2cOptions, kSelectRead);
  const Report& reply = bridge.ReportBuffer;
  return {(reply[2] & 0x01) != 0, (reply[2] & 0x02) != 0, (reply[3] & 0x01) != 0};
}

bool WriteI2cOptions(Bridge& bridge, const I2cOptions& options) {
  return SendOptions(bridge, options, false);
}

SclToggleResult ToggleScl(Bridge& bridge, const I2cOptions& options) {
  bridge.FlushInput();
  SclToggleResult result;
  result.sent = bridge.checkStatus(SendOptions(bridge, options, true)) == kTransferSuccess;
  if (!result.sent) return result;
  // Cleared first, so that a missing answer is not read as the request's bytes.
  bridge.FillReport(0);
  result.replied = bridge.ReadInto(Bridge::kReadTimeoutMs) == ReadResult::Report;
  if (!result.replied) {
    bridge.checkStatus(false);
    return result;
  }
  result.sdaError = (bridge.ReportBuffer[2] & 0x01) != 0;
  return result;
}

I2cOptions LoadI2cOptions(Bridge& bridge, I2cPageState& state,
                          const std::function<void(const I2cOptions&)>& show) {
  const I2cOptions options = ReadI2cOptions(bridge);
  const bool wasUpdating = state.OptionsUpdating;
  state.OptionsUpdating = true;
  show(options);
  state.OptionsUpdating = wasUpdating;
  return options;
}

bool I2cOptionsChanged(Bridge& bridge, const I2cPageState& state, const I2cOptions& options) {
  if (state.OptionsUpdating) return false;
  return WriteI2cOptions(bridge, options);
}

std::optional<std::uint8_t> ParseSlaveAddress(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 2) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<std::uint8_t>(value & 0xFE);
}

std::array<bool, 7> SlaveAddressBits(std::uint8_t address) {
  std::array<bool, 7> bits{};
  for (std::size_t j = 0; j < bits.size(); ++j) bits[j] = (address >> (j + 1)) & 1;
  return bits;
}

std::uint8_t SlaveAddressFromBits(const std::array<bool, 7>& bits) {
  unsigned address = 0;
  for (std::size_t j = 0; j < bits.size(); ++j) {
    if (bits[j]) address |= 1u << (j + 1);
  }
  return static_cast<std::uint8_t>(address);
}

ReadPlacement PlaceReadData(int registerAddress, std::size_t bytesRead) {
  if (registerAddress < 0 || registerAddress >= kI2cReadBoxes) return {registerAddress, 0};
  const std::size_t room = static_cast<std::size_t>(kI2cReadBoxes - registerAddress);
  return {registerAddress, static_cast<int>(std::min(bytesRead, room))};
}

I2cScanResult ScanI2cAddresses(Bridge& bridge, std::span<const std::uint8_t> registerBytes,
                               const std::function<void(std::uint8_t)>& show) {
  I2cScanResult result;
  std::vector<std::uint8_t> bytes;
  for (unsigned address = 0; address <= 0xFE; address += 2) {
    const auto slave = static_cast<std::uint8_t>(address);
    result.status = bridge.I2cReadTransfer(slave, 1, registerBytes, bytes);
    bridge.DelaySeconds(kScanWaitSeconds);
    show(slave);
    if (result.status == kTransferDeviceError) continue;
    // A lost link is no answer from a slave: only a completed transfer finds an address.
    if (result.status == kTransferSuccess) result.found = slave;
    return result;
  }
  return result;
}

std::string I2cAddressNotFoundText() {
  return std::string("Velquist HID USB (PID 2035) ") + " I2C address not found. Close GUI?";
}

}  // namespace qvm
