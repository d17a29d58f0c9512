// SPDX-License-Identifier: MIT
#include "link/spi_settings.h"

#include <algorithm>
#include <cmath>

#include "link/packet_exchange.h"

namespace qvm {

namespace {

constexpr std::uint8_t kSelectRead = 1;
constexpr std::uint8_t kSelectWrite = 0;

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Waits for the reply to a request that left; the buffer is cleared first, so a time-out
// leaves zeros rather than the request.
bool AwaitReply(Bridge& bridge) {
  bridge.FillReport(0);
  if (bridge.ReadInto(Bridge::kReadTimeoutMs) == ReadResult::Report) return true;
  bridge.checkStatus(false);
  return false;
}

// A settings write: cleared report, command, selector 0 and the value in byte 3.
bool WriteSetting(Bridge& bridge, std::uint8_t command, std::uint8_t value) {
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = command;
  bridge.ReportBuffer[2] = kSelectWrite;
  bridge.ReportBuffer[3] = value;
  return bridge.WriteReport();
}

// Megahertz in thousandths as a decimal number without trailing zeros: 500 -> "0.5".
std::string ThousandthsText(unsigned value) {
  std::string text = std::to_string(value / 1000);
  unsigned fraction = value % 1000;
  if (fraction == 0) return text;
  std::string digits = std::to_string(1000 + fraction).substr(1);
  digits.erase(digits.find_last_not_of('0') + 1);
  return text + "." + digits;
}

}  // namespace

bool ReadBridgeSetting(Bridge& bridge, std::uint8_t command, std::uint8_t selector) {
  bridge.FlushInput();
  bridge.FillReport(0);
  bridge.SetReportId();
  bridge.ReportBuffer[1] = command;
  bridge.ReportBuffer[2] = selector;
  if (bridge.checkStatus(bridge.WriteReport()) == kTransferSuccess) return AwaitReply(bridge);
  // The request never left: clear it, so that its selector byte is not read as a setting.
  bridge.FillReport(0);
  return false;
}

BridgeFirmwareVersion ReadFirmwareVersion(Bridge& bridge) {
  ReadBridgeSetting(bridge, kCmdFirmwareVersion, 0);
  const Report& reply = bridge.ReportBuffer;
  BridgeFirmwareVersion version;
  version.major = reply[2];
  version.minor = reply[3];
  version.year = static_cast<std::uint16_t>(reply[4] << 8 | reply[5]);
  version.month = reply[6];
  version.day = reply[7];
  return version;
}

std::string FirmwareVersionCaption(const BridgeFirmwareVersion& version) {
  const bool named = version.month >= 1 && version.month <= kMonthNames.size();
  const std::string month = named ? kMonthNames[version.month - 1] : std::to_string(version.month);
  return "Firmware Version " + std::to_string(version.major) + "." + std::to_string(version.minor) +
         " - " + std::to_string(version.year) + "/" + month + "/" + std::to_string(version.day);
}

std::uint8_t SpiModeByte(const SpiModeBits& bits) {
  return static_cast<std::uint8_t>((bits.polarity ? 1 : 0) + 2 * (bits.phase ? 1 : 0) +
                                   4 * (bits.slaveSelect ? 1 : 0));
}

SpiModeBits SpiModeFromByte(std::uint8_t byte) {
  return {(byte & 0x01) != 0, (byte & 0x02) != 0, (byte & 0x04) != 0};
}

SpiModeBits ReadSpiMode(Bridge& bridge) {
  ReadBridgeSetting(bridge, kCmdSpiMode, kSelectRead);
  return SpiModeFromByte(bridge.ReportBuffer[2]);
}

bool WriteSpiMode(Bridge& bridge, const SpiModeBits& bits) {
  return WriteSetting(bridge, kCmdSpiMode, SpiModeByte(bits));
}

SpiClockReading ReadSpiClock(Bridge& bridge) {
  ReadBridgeSetting(bridge, kCmdSpiClock, kSelectRead);
  return {bridge.ReportBuffer[2], bridge.ReportBuffer[3]};
}

std::uint16_t WriteSpiClock(Bridge& bridge, std::uint8_t code) {
  return bridge.checkStatus(WriteSetting(bridge, kCmdSpiClock, code));
}

std::vector<SpiClockItem> SpiClockList(std::uint8_t systemClockMhz) {
  std::vector<SpiClockItem> items;
  for (int k = kSlowestListedClockCode; k >= 0; --k) {
    const unsigned thousandths = systemClockMhz * 1000u / (2u * static_cast<unsigned>(k + 1));
    items.push_back({ThousandthsText(thousandths), static_cast<std::uint8_t>(k)});
  }
  return items;
}

int SpiClockListIndex(std::uint8_t code) {
  return code <= kSlowestListedClockCode ? kSlowestListedClockCode - code : -1;
}

std::uint8_t SpiClockCodeForOption(int index) {
  const bool listed = index >= 0 && index < static_cast<int>(kSpiClockOptions.size());
  return listed ? kSpiClockOptions[static_cast<std::size_t>(index)].code
                : kSpiClockOptions.back().code;
}

SpiTimeoutBytes SpiTimeoutToBytes(double microseconds) {
  // std::clamp passes NaN through, so a value that is no number is taken as the minimum.
  const double value = std::isnan(microseconds) ? kSpiTimeoutMinUs
                                                : std::clamp(microseconds, double{kSpiTimeoutMinUs},
                                                             double{kSpiTimeoutMaxUs});
  const int doubled = 2 * static_cast<int>(value);
  return {static_cast<std::uint8_t>(doubled / 256), static_cast<std::uint8_t>(doubled & 0xFF)};
}

int SpiTimeoutFromBytes(std::uint8_t high, std::uint8_t low) {
  return (high * 256 + low) / 2;
}

RawSpiResult SendRawSpiWrite(Bridge& bridge, const RawSpiWrite& write) {
  const std::size_t n = std::min(write.data.size(), RawSpiWrite::kMaxDataBytes);
  bridge.FlushInput();
  Report& report = bridge.ReportBuffer;
  bridge.SetReportId();
  report[1] = kCmdSpiDaisy;
  report[2] = 0;
  report[3] = write.readBack ? 1 : 0;
  report[4] = write.clockPhaseChange ? 1 : 0;
  report[5] = write.clockPhaseChangeByte;
  report[6] = static_cast<std::uint8_t>(n);
  std::copy_n(write.data.begin(), n, report.begin() + 7);
  RawSpiResult result;
  result.sent = bridge.checkStatus(bridge.WriteReport()) == kTransferSuccess;
  if (!write.readBack || !result.sent) return result;
  result.replied = AwaitReply(bridge);
  std::copy_n(report.begin(), kRawSpiReplyBytes, result.reply.begin());
  return result;
}

}  // namespace qvm
