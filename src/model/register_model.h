// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qvm {

inline constexpr int kDeviceTypes = 2;
inline constexpr int kDevicesPerType = 16;
inline constexpr int kRegisterCount = 512;
inline constexpr int kMaxTabs = 51;
inline constexpr int kSlotsPerTab = 8;
inline constexpr int kBitsPerRegister = 14;

// Register kinds as read from the tab definition file.
enum RegKindCode : std::int32_t {
  kKindUndefined = -1,
  kKindReadOnly = 0,
  kKindReadWrite = 1,
  kKindCommand = 2,
  kKindCommandWithData3 = 3,
  kKindCommandWithData4 = 4,
  kKindBlockRead = 5,
};

// Register kinds 0 and 1 return data when read.
inline constexpr bool IsReadableKind(std::int32_t kind) {
  return kind == kKindReadOnly || kind == kKindReadWrite;
}

// Register definitions of one device type, as the tab definition file gives them.
struct RegisterTables {
  std::array<std::string, kMaxTabs> TabName{};
  std::int16_t LastTabIndex = 0;
  std::array<std::array<std::int16_t, kSlotsPerTab>, kMaxTabs> TabRegister{};
  std::array<std::string, kRegisterCount> RegName{};
  std::array<std::int32_t, kRegisterCount> RegKind{};
  std::array<std::string, kRegisterCount> RegDecodedLabel{};
  std::array<std::string, kRegisterCount> RegDecodedUnits{};
  std::array<double, kRegisterCount> RegScale{};
  std::array<std::array<std::string, kBitsPerRegister>, kRegisterCount> BitName{};

  RegisterTables();
};

// Both device types' tables: 0 = primary IC, 1 = companion IC.
struct RegisterModel {
  std::array<RegisterTables, kDeviceTypes> type{};

  std::int32_t RegKind(int devType, int address) const {
    return type[static_cast<std::size_t>(devType)].RegKind[static_cast<std::size_t>(address)];
  }
  double RegScale(int devType, int address) const {
    return type[static_cast<std::size_t>(devType)].RegScale[static_cast<std::size_t>(address)];
  }
  const std::string& BitName(int devType, int address, int bit) const {
    return type[static_cast<std::size_t>(devType)]
        .BitName[static_cast<std::size_t>(address)][static_cast<std::size_t>(bit)];
  }
};

// Single-bit masks: entry b is 2^b.
inline constexpr std::array<std::int16_t, 15> BitMask = {
    1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384};

// Register address helpers: page (category) 0..7 and offset 0..63.
inline constexpr int RegisterIndex(int cat, int adr) {
  return (cat & 7) * 64 + (adr & 63);
}

}  // namespace qvm
