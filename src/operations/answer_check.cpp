#include "operations/answer_check.h"

namespace qvm {

AnswerCheck::AnswerCheck(const RegisterModel& model, RegisterImage& image,
                         const std::vector<std::pair<int, int>>& devices, int first, int count)
    : image_(image) {
  for (const auto& [type, dev] : devices) {
    for (int address = first; address < first + count; ++address) {
      if (model.RegKind(type, address) == kKindUndefined) continue;
      marked_.push_back({type, dev, address, image_.at(type, dev, address)});
      image_.at(type, dev, address) = kNotRead;
    }
  }
}

AnswerCheck::~AnswerCheck() {
  Unanswered();
}

std::vector<std::pair<int, int>> AnswerCheck::Unanswered() {
  std::vector<std::pair<int, int>> unanswered;
  for (const Marked& mark : marked_) {
    std::int16_t& value = image_.at(mark.type, mark.dev, mark.address);
    if (value != kNotRead) continue;
    value = mark.saved;
    const std::pair<int, int> device{mark.type, mark.dev};
    if (unanswered.empty() || unanswered.back() != device) unanswered.push_back(device);
  }
  marked_.clear();
  return unanswered;
}

}  // namespace qvm
