#pragma once

#include <array>
#include <cstdint>

#include "model/register_model.h"

namespace qvm {

// The raw value of every register of every device, as last read or written.
class RegisterImage {
 public:
  std::int16_t& at(int devType, int device, int address) {
    return values_[static_cast<std::size_t>(devType)][static_cast<std::size_t>(device)]
                  [static_cast<std::size_t>(address)];
  }
  std::int16_t at(int devType, int device, int address) const {
    return values_[static_cast<std::size_t>(devType)][static_cast<std::size_t>(device)]
                  [static_cast<std::size_t>(address)];
  }
  void Clear() { values_ = {}; }

 private:
  std::array<std::array<std::array<std::int16_t, kRegisterCount>, kDevicesPerType>, kDeviceTypes>
      values_{};
};

}  // namespace qvm
