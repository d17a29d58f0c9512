// SPDX-License-Identifier: MIT
#include "sim/bridge/bridge_firmware.h"

#include <algorithm>
#include <span>

namespace qvm::sim {

namespace {

constexpr std::uint8_t kRead = 1;
constexpr std::uint8_t kWrite = 0;

Report Reply(std::uint8_t status = kStatusOk) {
  Report reply{};
  reply[0] = 1;
  reply[1] = status;
  return reply;
}

bool IsSelector(std::uint8_t byte) {
  return byte == kRead || byte == kWrite;
}

}  // namespace

bool BridgeFirmware::PacketFitsMode(const Report& request) const {
  const std::uint8_t command = request[1];
  if (command == 22 && request[2] == 0) return true;  // the bench's raw SPI write
  const bool daisy = (settings_.setupBlock[kSetupDaisyByte] & kSetupDaisyBit) != 0;
  return daisy == (command != 21);
}

std::optional<Report> BridgeFirmware::Handle(const Report& request) {
  const std::uint8_t command = request[1];
  if (SpiPort::IsPacketCommand(command)) {
    if (!PacketFitsMode(request)) {
      // The SPI port is wired for the other framing: nothing is clocked.
      Report reply = Reply(kStatusDeviceError);
      reply[2] = request[2];
      reply[3] = 1;
      return reply;
    }
    return spi_.Handle(request);
  }
  if (command == 0) {
    Report reply = Reply();
    const FirmwareVersion& v = settings_.firmware;
    reply[2] = v.major;
    reply[3] = v.minor;
    reply[4] = static_cast<std::uint8_t>(v.year >> 8);
    reply[5] = static_cast<std::uint8_t>(v.year & 0xFF);
    reply[6] = v.month;
    reply[7] = v.day;
    return reply;
  }
  if (command == 6) return I2cTransfer(request);

  // The rest are register-like: byte 2 chooses read (1) or write (0).
  const std::uint8_t selector = request[2];
  if (!IsSelector(selector)) return Reply(kStatusDeviceError);
  const bool read = selector == kRead;
  Report reply = Reply();
  switch (command) {
    case 4:
      return I2cOptions(request);
    case 5:
      if (!read) {
        settings_.i2cDivider = request[3];
        return std::nullopt;
      }
      reply[2] = settings_.i2cBaseClockMhz;
      reply[3] = settings_.i2cDivider;
      return reply;
    case 7:
      if (!read) {
        settings_.spiModeBits = request[3] & 0x07;
        return std::nullopt;
      }
      reply[2] = settings_.spiModeBits;
      return reply;
    case 8:
      if (!read) {
        settings_.setupBlock[kSetupClockCode] = request[3];
        return std::nullopt;
      }
      reply[2] = settings_.systemClockMhz;
      reply[3] = settings_.setupBlock[kSetupClockCode];
      return reply;
    case 0x12:
      if (!read) {
        settings_.sfr[request[3]] = request[4];
        return std::nullopt;
      }
      reply[2] = request[3];
      reply[3] = settings_.sfr[request[3]];
      return reply;
    case 20:
      if (!read) {
        std::copy_n(request.begin() + 3, settings_.setupBlock.size(), settings_.setupBlock.begin());
        return std::nullopt;
      }
      std::copy(settings_.setupBlock.begin(), settings_.setupBlock.end(), reply.begin() + 2);
      return reply;
    default:
      return Reply(kStatusDeviceError);
  }
}

std::optional<Report> BridgeFirmware::I2cOptions(const Report& request) {
  Report reply = Reply();
  if (request[2] == kRead) {
    reply[2] = settings_.i2cOptions;
    reply[3] = settings_.i2cExtHold;
    return reply;
  }
  settings_.i2cOptions = request[3] & 0x03;
  settings_.i2cExtHold = request[4] & 0x01;
  if (request[5] != 1) return std::nullopt;
  reply[2] = settings_.sdaStuck ? 1 : 0;
  return reply;
}

std::optional<Report> BridgeFirmware::I2cTransfer(const Report& request) {
  const std::uint8_t address = request[2];
  if (!settings_.i2cEepromFitted || (address & 0xFE) != I2cEeprom::kAddress) {
    return Reply(kStatusI2cNak);
  }
  const std::span<const std::uint8_t> payload = std::span(request).subspan(5);
  Report reply = Reply();
  if (address & 0x01) {
    const std::size_t readCount = std::min<std::size_t>(request[3], kReportSize - 2);
    const std::size_t addressCount = std::min<std::size_t>(request[4], payload.size());
    const auto bytes = eeprom_.Read(payload.first(addressCount), readCount);
    std::copy(bytes.begin(), bytes.end(), reply.begin() + 2);
    return reply;
  }
  const std::size_t addressCount = std::min<std::size_t>(request[4], payload.size());
  const std::size_t dataCount = std::min<std::size_t>(request[3], payload.size() - addressCount);
  eeprom_.Write(payload.first(addressCount), payload.subspan(addressCount, dataCount));
  return reply;
}

}  // namespace qvm::sim
