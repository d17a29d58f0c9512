// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/bridge.h"

namespace qvm {

// Reads one bridge setting: flush, request with command `command` and selector `selector` in
// bytes 1 and 2, and, when the request left, a cleared buffer and the wait for the reply (the
// link prompt on a time-out). The reply bytes in ReportBuffer are used whatever came back (zeros
// when nothing did); the result says whether a reply arrived.
bool ReadBridgeSetting(Bridge& bridge, std::uint8_t command, std::uint8_t selector);

// The bridge firmware's version and build date.
struct BridgeFirmwareVersion {
  std::uint8_t major = 0;
  std::uint8_t minor = 0;
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
};

BridgeFirmwareVersion ReadFirmwareVersion(Bridge& bridge);
// "Firmware Version 1.2 - 2024/March/5"; a month outside 1..12 is shown as its number.
std::string FirmwareVersionCaption(const BridgeFirmwareVersion& version);

// SPI mode bits: bit 0 clock polarity (idle high), bit 1 clock phase, bit 2 slave select idle
// high.
struct SpiModeBits {
  bool polarity = false;
  bool phase = false;
  bool slaveSelect = false;
};

std::uint8_t SpiModeByte(const SpiModeBits& bits);
SpiModeBits SpiModeFromByte(std::uint8_t byte);
SpiModeBits ReadSpiMode(Bridge& bridge);
// Sends the mode bits; no reply is read. False when the report could not be sent.
bool WriteSpiMode(Bridge& bridge, const SpiModeBits& bits);

// The bridge's system clock and its current SPI clock code (SPI clock = system clock /
// (2 x (code + 1))).
struct SpiClockReading {
  std::uint8_t systemClockMhz = 0;
  std::uint8_t code = 0;
};

SpiClockReading ReadSpiClock(Bridge& bridge);
// Sends the clock code and checks the write: 8 when it left, otherwise 0 after the prompt.
std::uint16_t WriteSpiClock(Bridge& bridge, std::uint8_t code);

// One entry of the clock list: the SPI clock in MHz as text, and its code.
struct SpiClockItem {
  std::string text;
  std::uint8_t code = 0;
};

inline constexpr std::uint8_t kSlowestListedClockCode = 23;

// Codes 23 down to 0 for a bridge running at `systemClockMhz`.
std::vector<SpiClockItem> SpiClockList(std::uint8_t systemClockMhz);
// Index of `code` in that list; -1 when it is not listed.
int SpiClockListIndex(std::uint8_t code);

// The clock speeds offered by the console's clock dialog; an index past the table takes the
// last entry.
struct SpiClockOption {
  const char* caption;
  std::uint8_t code;
};

inline constexpr std::array<SpiClockOption, 5> kSpiClockOptions = {{
    {"200 kHz", 59},
    {"500 kHz", 23},
    {"1 MHz", 11},
    {"2 MHz", 5},
    {"4 MHz", 2},
}};

std::uint8_t SpiClockCodeForOption(int index);

// The daisy-chain response time-out travels as twice its value in microseconds, in two bytes.
inline constexpr int kSpiTimeoutMinUs = 100;
inline constexpr int kSpiTimeoutMaxUs = 30000;

struct SpiTimeoutBytes {
  std::uint8_t high = 0;
  std::uint8_t low = 0;
};

// Clamps `microseconds` to 100..30000 and doubles it.
SpiTimeoutBytes SpiTimeoutToBytes(double microseconds);
// The time-out in microseconds that the two bytes carry.
int SpiTimeoutFromBytes(std::uint8_t high, std::uint8_t low);

// The bench's raw SPI write (command 22 with selector 0): up to 57 data bytes, optionally read
// back.
struct RawSpiWrite {
  static constexpr std::size_t kMaxDataBytes = 57;

  bool readBack = false;
  bool clockPhaseChange = false;
  std::uint8_t clockPhaseChangeByte = 0;
  std::vector<std::uint8_t> data;
};

inline constexpr std::size_t kRawSpiReplyBytes = 21;

struct RawSpiResult {
  bool sent = false;
  bool replied = false;
  // Reply bytes 0..20 when read back was asked for and the write left.
  std::array<std::uint8_t, kRawSpiReplyBytes> reply{};
};

// Drains pending input and sends the write; report bytes past the data keep what they held.
RawSpiResult SendRawSpiWrite(Bridge& bridge, const RawSpiWrite& write);

}  // namespace qvm
