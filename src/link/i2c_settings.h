// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/bridge.h"

namespace qvm {

// The bridge's I2C clock: base clock in MHz and the divider the bus clock is taken from.
struct I2cClockReading {
  std::uint8_t baseClockMhz = 0;
  int divider = 0;  // 1..256; the bridge sends 256 as 0
};

I2cClockReading ReadI2cClock(Bridge& bridge);
// Sends the divider (256 travels as 0) and checks the write: 8 when it left, otherwise 0 after
// the link prompt.
std::uint16_t WriteI2cClock(Bridge& bridge, int divider);

// One entry of the clock list: the bus clock in kHz as decimal text, and its divider.
struct I2cClockItem {
  std::string text;
  int divider = 0;
};

inline constexpr int kI2cLargestDivider = 256;
inline constexpr unsigned kI2cSlowestListedKhz = 100;

// Dividers 256 down to 1 whose clock is at least 100 kHz.
std::vector<I2cClockItem> I2cClockList(std::uint8_t baseClockMhz);
// Index of `divider` in `items`; -1 when it is not listed.
int I2cClockListIndex(const std::vector<I2cClockItem>& items, int divider);

// The transfer options of the bridge's I2C master.
struct I2cOptions {
  bool repeatedStart = false;
  bool stopWriteBeforeRead = false;
  bool extendHold = false;
};

I2cOptions ReadI2cOptions(Bridge& bridge);
// Sends the options; no reply is read. False when the report could not be sent.
bool WriteI2cOptions(Bridge& bridge, const I2cOptions& options);

struct SclToggleResult {
  bool sent = false;
  bool replied = false;
  bool sdaError = false;  // the bridge found SDA held low after the toggle
};

// Sends the options together with a toggle of SCL and reads the bridge's answer.
SclToggleResult ToggleScl(Bridge& bridge, const I2cOptions& options);

// What the I2C page keeps between actions: the slave address and its two guards.
struct I2cPageState {
  // 8-bit write address; bit 0 is always 0, the transfer adds the read bit.
  std::uint8_t I2cSlaveAddress = 0;
  // Raised while the page fills its boxes itself, so that they do not write back.
  bool OptionsUpdating = false;
  // Raised while the scan sets the address, so that no settling wait is made.
  bool ScanRunning = false;
};

// Reads the options and hands them to `show` with the write-back guard raised.
I2cOptions LoadI2cOptions(Bridge& bridge, I2cPageState& state,
                          const std::function<void(const I2cOptions&)>& show);
// An option box changed: writes the options unless the page is filling the boxes. True when a
// write was sent.
bool I2cOptionsChanged(Bridge& bridge, const I2cPageState& state, const I2cOptions& options);

// The slave address typed as hexadecimal (one or two digits), with bit 0 cleared; nothing when
// the text is not a byte.
std::optional<std::uint8_t> ParseSlaveAddress(std::string_view text);
// Box j stands for address bit j + 1.
std::array<bool, 7> SlaveAddressBits(std::uint8_t address);
std::uint8_t SlaveAddressFromBits(const std::array<bool, 7>& bits);

// Largest counts one report carries: 62 bytes read, 59 bytes of address and data written.
inline constexpr int kI2cMaxReadBytes = 62;
inline constexpr int kI2cMaxWriteBytes = 59;
inline constexpr int kI2cReadBoxes = 64;

// Where read data are shown: from the box of the register address (0 without one) up to box 63;
// nothing with a register address above 63.
struct ReadPlacement {
  int first = 0;
  int count = 0;
};

ReadPlacement PlaceReadData(int registerAddress, std::size_t bytesRead);

// Scans the write addresses 0x00, 0x02 .. 0xFE with one-byte reads (after `registerBytes`),
// waiting 0.1 s after each and handing each address to `show`. Stops at the first address that
// answers, or at a link failure.
struct I2cScanResult {
  std::optional<std::uint8_t> found;
  std::uint16_t status = kTransferDeviceError;  // of the last transfer
};

I2cScanResult ScanI2cAddresses(Bridge& bridge, std::span<const std::uint8_t> registerBytes,
                               const std::function<void(std::uint8_t)>& show);

// The question asked when no address answers.
std::string I2cAddressNotFoundText();

}  // namespace qvm
