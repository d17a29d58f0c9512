// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace qvm::sim {

struct FirmwareVersion {
  std::uint8_t major = 1;
  std::uint8_t minor = 4;
  std::uint16_t year = 2024;
  std::uint8_t month = 3;
  std::uint8_t day = 18;
};

// Port registers of the bridge microcontroller (data, output mode, input mode) for P0..P4.
inline constexpr std::array<std::uint8_t, 5> kPortDataSfr{0x80, 0x90, 0xA0, 0xB0, 0xC7};
inline constexpr std::array<std::uint8_t, 5> kPortOutputModeSfr{0xA4, 0xA5, 0xA6, 0xA7, 0xAE};
inline constexpr std::array<std::uint8_t, 5> kPortInputModeSfr{0xF1, 0xF2, 0xF3, 0xF4, 0xF5};

// Index of the SPI clock code in the set-up block; the SPI clock command reads and sets the same
// byte.
inline constexpr std::size_t kSetupClockCode = 6;
// The set-up block's daisy-chain bit: SPI packets are framed for a daisy chain while it is set.
inline constexpr std::size_t kSetupDaisyByte = 4;
inline constexpr std::uint8_t kSetupDaisyBit = 0x80;

// The settings the bridge firmware keeps, as they are after power-up.
struct BridgeSettings {
  FirmwareVersion firmware;
  std::uint8_t spiModeBits = 0;  // bit 0 polarity, bit 1 phase, bit 2 slave select idle high
  std::uint8_t systemClockMhz = 24;
  // GPIO set-up 0..5, SPI clock code, SPI daisy-chain time-out high and low byte.
  std::array<std::uint8_t, 9> setupBlock{0, 0, 0, 0, 0, 0, 2, 0x29, 0x30};
  std::uint8_t i2cBaseClockMhz = 12;
  std::uint8_t i2cDivider = 120;  // 0 stands for 256
  std::uint8_t i2cOptions = 0;    // bit 0 repeated start, bit 1 stop write before read
  std::uint8_t i2cExtHold = 0;    // bit 0 EXTHOLD
  bool sdaStuck = false;          // a toggle of SCL then reports an SDA error
  bool i2cEepromFitted = true;    // false: no slave acknowledges any address
  std::array<std::uint8_t, 256> sfr = PowerUpSfr();

  // Ports come up as digital inputs pulled high: data 0xFF, open-drain outputs (0x00),
  // input mode 0xFF (digital); every other register 0.
  static std::array<std::uint8_t, 256> PowerUpSfr() {
    std::array<std::uint8_t, 256> file{};
    for (std::size_t p = 0; p < kPortDataSfr.size(); ++p) {
      file[kPortDataSfr[p]] = 0xFF;
      file[kPortInputModeSfr[p]] = 0xFF;
    }
    return file;
  }
};

}  // namespace qvm::sim
