// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

#include "core/clock.h"
#include "link/hid_device.h"
#include "sim/bridge/bridge_settings.h"
#include "sim/bridge/i2c_eeprom.h"
#include "sim/bridge/spi_port.h"

namespace qvm::sim {

// Reply status byte (byte 1) values.
inline constexpr std::uint8_t kStatusOk = 0;
inline constexpr std::uint8_t kStatusDeviceError = 1;  // unknown command or malformed request
inline constexpr std::uint8_t kStatusI2cNak = 2;       // no I2C slave acknowledged the address

// The bridge board's firmware: answers one output report at a time. Every reply has report id 1
// in byte 0 and a status in byte 1; bytes not named are 0.
//
//  0     firmware version       reply 2 major, 3 minor, 4..5 year (high first), 6 month, 7 day
//  4     I2C options            2 = 1 read: reply 2 = option bits, 3 = EXTHOLD;
//                               2 = 0 write: 3 = option bits, 4 = EXTHOLD, 5 = 1 toggles SCL,
//                               which alone replies: byte 2 bit 0 = SDA error
//  5     I2C clock              2 = 1 read: reply 2 = base clock MHz, 3 = divider (0 = 256);
//                               2 = 0 write: 3 = divider; no reply
//  6     I2C transfer           against the EEPROM at 0xA0, other addresses get kStatusI2cNak
//  7     SPI mode bits          2 = 1 read: reply 2 = bits; 2 = 0 write: 3 = bits; no reply
//  8     SPI clock              2 = 1 read: reply 2 = system clock MHz, 3 = code;
//                               2 = 0 write: 3 = code; no reply
//  0x12  SFR access             2 = 1 read: 3 = address; reply 2 = address, 3 = value;
//                               2 = 0 write: 3 = address, 4 = value; no reply
//                               (the file spans all 256 addresses; the SFRs are 0x80..0xFF)
//  20    set-up block           2 = 1 read: reply 2..10 = block; 2 = 0 write: 3..11; no reply
//  21..24 SPI packets           see SpiPort; 21 only while the set-up block's daisy-chain bit
//                               is clear, 22..24 only while it is set (the raw SPI write, 22
//                               with sequence 0, either way); otherwise the reply echoes the
//                               sequence with kStatusDeviceError and nothing clocked
//
// A read/write selector in byte 2 other than 0 or 1, and any other command, reply with
// kStatusDeviceError.
class BridgeFirmware {
 public:
  BridgeFirmware(Clock& clock, SpiTarget* target) : spi_(clock, target) {}

  // The reply to `request`, or nothing for a request that sends none.
  std::optional<Report> Handle(const Report& request);

  BridgeSettings& Settings() { return settings_; }
  I2cEeprom& Eeprom() { return eeprom_; }

 private:
  bool PacketFitsMode(const Report& request) const;
  std::optional<Report> I2cTransfer(const Report& request);
  std::optional<Report> I2cOptions(const Report& request);

  BridgeSettings settings_;
  I2cEeprom eeprom_;
  SpiPort spi_;
};

}  // namespace qvm::sim
