// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "model/register_model.h"

namespace qvm {

// The raw value of every register of every device, with how it is known: read in a numbered
// exchange (the session counts them from 1), written by the console itself, or never known. A
// read that should have brought a value and failed leaves the value as it was but marks it
// stale, until the next good read or write. Writers go through the calls below, which keep
// value and freshness together.
class RegisterImage {
 public:
  std::int16_t at(int devType, int device, int address) const {
    return Entry(devType, device, address).value;
  }

  // The exchange of the last good read of the value; 0 when it was never read, or written since.
  std::uint32_t ReadIn(int devType, int device, int address) const {
    return Entry(devType, device, address).readIn;
  }
  // The session clock's milliseconds at that read.
  std::int64_t ReadAtMs(int devType, int device, int address) const {
    return Entry(devType, device, address).readAtMs;
  }
  // Read or written at some time.
  bool Known(int devType, int device, int address) const {
    const Value& entry = Entry(devType, device, address);
    return entry.readIn != 0 || entry.written;
  }
  // A read of it failed after it was last known.
  bool Stale(int devType, int device, int address) const {
    return Entry(devType, device, address).stale;
  }
  // Read successfully in exchange `first` or later, and no read of it has failed since.
  bool ReadSince(int devType, int device, int address, std::uint32_t first) const {
    const Value& entry = Entry(devType, device, address);
    return entry.readIn >= first && entry.readIn != 0 && !entry.stale;
  }

  // A value a reply brought in exchange `exchange`, at the clock's `atMs`.
  void StoreRead(int devType, int device, int address, std::int16_t value, std::uint32_t exchange,
                 std::int64_t atMs = 0) {
    Entry(devType, device, address) = {value, false, false, exchange, atMs};
  }
  // A value the console put into the device itself: known, but no reading.
  void StoreWritten(int devType, int device, int address, std::int16_t value) {
    Value& entry = Entry(devType, device, address);
    entry = {value, true, false, 0, entry.readAtMs};
  }
  void MarkStale(int devType, int device, int address) {
    Entry(devType, device, address).stale = true;
  }
  // Back to never known.
  void Forget(int devType, int device, int address) { Entry(devType, device, address) = {}; }
  void Clear() { values_ = {}; }

 private:
  struct Value {
    std::int16_t value = 0;
    bool written = false;
    bool stale = false;
    std::uint32_t readIn = 0;
    std::int64_t readAtMs = 0;
  };

  Value& Entry(int devType, int device, int address) {
    return values_[static_cast<std::size_t>(devType)][static_cast<std::size_t>(device)]
                  [static_cast<std::size_t>(address)];
  }
  const Value& Entry(int devType, int device, int address) const {
    return values_[static_cast<std::size_t>(devType)][static_cast<std::size_t>(device)]
                  [static_cast<std::size_t>(address)];
  }

  std::array<std::array<std::array<Value, kRegisterCount>, kDevicesPerType>, kDeviceTypes>
      values_{};
};

}  // namespace qvm
