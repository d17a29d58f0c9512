#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/register_image.h"
#include "model/register_model.h"

namespace qvm {

// Tells which devices left a read unanswered. Before the read it puts a mark that no 14-bit
// register can hold into the defined registers the read should refresh; afterwards a register
// still marked got no reply frame. Its value from before comes back, so nothing stale or
// invented is passed off as a reading.
class AnswerCheck {
 public:
  // Register `first` .. `first` + `count` - 1 of each device (type, number) in `devices`.
  AnswerCheck(const RegisterModel& model, RegisterImage& image,
              const std::vector<std::pair<int, int>>& devices, int first, int count);
  AnswerCheck(const AnswerCheck&) = delete;
  AnswerCheck& operator=(const AnswerCheck&) = delete;
  // Restores whatever is still marked.
  ~AnswerCheck();

  // The devices (type, number) any of whose registers got no value; their registers are
  // restored.
  std::vector<std::pair<int, int>> Unanswered();

 private:
  static constexpr std::int16_t kNotRead = INT16_MIN;

  struct Marked {
    int type;
    int dev;
    int address;
    std::int16_t saved;
  };

  RegisterImage& image_;
  std::vector<Marked> marked_;
};

}  // namespace qvm
