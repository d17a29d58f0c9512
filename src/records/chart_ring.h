// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace qvm {

// One stored quantity of every sample, in a ring of `capacity` slots: sample s lies in slot
// (head + s) mod capacity, so dropping the oldest samples only moves the head.
template <typename T>
struct RingColumn {
  const T* values = nullptr;
  std::size_t head = 0;
  std::size_t capacity = 0;

  std::size_t SlotOf(std::size_t sample) const {
    const std::size_t slot = head + sample;
    return slot < capacity ? slot : slot - capacity;
  }
  const T& operator[](std::size_t sample) const { return values[SlotOf(sample)]; }
  // Samples [begin, end) as they lie in memory: at most two runs, the second one empty when
  // they do not wrap around.
  std::array<std::span<const T>, 2> Runs(std::size_t begin, std::size_t end) const {
    if (begin >= end) return {};
    const std::size_t first = SlotOf(begin);
    const std::size_t count = end - begin;
    const std::size_t untilEnd = capacity - first;
    if (count <= untilEnd) return {std::span<const T>(values + first, count), {}};
    return {std::span<const T>(values + first, untilEnd),
            std::span<const T>(values, count - untilEnd)};
  }
};

}  // namespace qvm
