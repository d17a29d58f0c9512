// SPDX-License-Identifier: MIT
#include "model/tab_definitions.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/error_trap.h"
#include "model/leading_number.h"

namespace qvm {
namespace {

// A row that cannot be applied: the error trap's number and text for its report.
struct TrapError {
  int number;
  std::string_view description;
};

// A numeric field that holds no number: what is wrong with it, for the file's refusal.
struct FieldError {
  std::string problem;
};

using RowError = std::variant<TrapError, FieldError>;

constexpr TrapError kSubscriptError{kErrSubscriptOutOfRange, "Subscript out of range"};
constexpr TrapError kOverflowError{kErrOverflow, "Overflow"};

// The number field `index` of a `keyword` row holds, or why it holds none. `what` says what the
// field means.
std::variant<double, FieldError> NumberField(const std::vector<std::string_view>& fields,
                                             std::size_t index, std::string_view keyword,
                                             std::string_view what) {
  if (const std::optional<double> number = WholeNumber(fields[index])) return *number;
  return FieldError{std::string(keyword) + " field " + std::to_string(index) + " (" +
                    std::string(what) + ") is \"" + std::string(fields[index]) +
                    "\", which is not a number"};
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// Splits `line` at every comma into `fields`, reusing its storage.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find(',', start);
    if (end == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
}

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `field` equals the upper-case `keyword` when converted to upper case.
bool IsKeyword(std::string_view field, std::string_view keyword) {
  if (field.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (UpperAscii(field[i]) != keyword[i]) return false;
  }
  return true;
}

constexpr std::array<std::string_view, kBitsPerRegister> kDefaultBitNames = {
    "Bit0", "Bit1", "Bit2", "Bit3",  "Bit4",  "Bit5",  "Bit6",
    "Bit7", "Bit8", "Bit9", "Bit10", "Bit11", "Bit12", "Bit13"};

// The walk over the rows, with its counters.
class TabDefParser {
 public:
  TabDefParser(RegisterModel& model, SharedState& state, TabDefParseResult& result)
      : model_(model), state_(state), result_(result) {}

  bool titleBarSeen() const { return titleBarSeen_; }
  void SetLine(int line) { line_ = line; }

  std::optional<RowError> ApplyRow(const std::vector<std::string_view>& fields) {
    const std::string_view keyword = fields[0];
    if (IsKeyword(keyword, "REG")) return Reg(fields);
    if (IsKeyword(keyword, "BITS")) return Bits(fields);
    if (IsKeyword(keyword, "TABNAME")) return TabName(fields);
    if (IsKeyword(keyword, "BEGIN52400")) return Begin(0);
    if (IsKeyword(keyword, "BEGIN52401")) return Begin(1);
    if (IsKeyword(keyword, "TINT25")) return Tint25(fields);
    const bool titleBar = IsKeyword(keyword, "TITLEBAR");
    if (titleBar || IsKeyword(keyword, "TITLE") || IsKeyword(keyword, "PART1") ||
        IsKeyword(keyword, "PART2")) {
      if (fields.size() < 2) return kSubscriptError;
      if (titleBar && !fields[1].empty()) titleBarSeen_ = true;
    }
    return std::nullopt;
  }

 private:
  RegisterTables& tables() { return model_.type[static_cast<std::size_t>(devType_)]; }

  std::optional<RowError> Begin(int devType) {
    devType_ = devType;
    result_.sectionAt[static_cast<std::size_t>(devType)] = line_;
    tab_ = -1;
    return std::nullopt;
  }

  std::optional<RowError> Tint25(const std::vector<std::string_view>& fields) {
    if (fields.size() < 2) return std::nullopt;
    const auto number = NumberField(fields, 1, "TINT25", "raw reading at 25 degC");
    if (const auto* error = std::get_if<FieldError>(&number)) return *error;
    const auto value = RoundToInt16(std::get<double>(number));
    if (!value) return kOverflowError;
    state_.Tint25 = *value;
    return std::nullopt;
  }

  std::optional<RowError> TabName(const std::vector<std::string_view>& fields) {
    // A section holds at most 51 tabs; the last tab index never passes 50.
    if (tab_ + 1 >= kMaxTabs) return kSubscriptError;
    ++tab_;
    tables().LastTabIndex = static_cast<std::int16_t>(tab_);
    slot_ = 0;
    if (fields.size() >= 2) tables().TabName[static_cast<std::size_t>(tab_)] = fields[1];
    return std::nullopt;
  }

  std::optional<RowError> Reg(const std::vector<std::string_view>& fields) {
    if (fields.size() < 2) return std::nullopt;
    const auto number = NumberField(fields, 1, "REG", "address");
    if (const auto* error = std::get_if<FieldError>(&number)) return *error;
    const double address = RoundHalfEven(std::get<double>(number));
    currentRegisterInRange_ = address >= 0 && address < kRegisterCount;
    if (!currentRegisterInRange_) return std::nullopt;
    currentRegister_ = static_cast<int>(address);
    const auto reg = static_cast<std::size_t>(currentRegister_);
    RegisterTables& t = tables();
    result_.definedAt[static_cast<std::size_t>(devType_)][reg] = line_;

    t.RegName[reg] = fields.size() > 2 ? fields[2] : std::string_view();
    if (fields.size() > 3) {
      const auto number = NumberField(fields, 3, "REG", "kind");
      if (const auto* error = std::get_if<FieldError>(&number)) return *error;
      const auto kind = RoundToInt32(std::get<double>(number));
      if (!kind) return kOverflowError;
      t.RegKind[reg] = *kind;
    } else {
      t.RegKind[reg] = kKindUndefined;
    }
    t.RegDecodedLabel[reg] = fields.size() > 4 ? fields[4] : std::string_view();
    t.RegDecodedUnits[reg] = fields.size() > 5 ? fields[5] : std::string_view();
    if (fields.size() > 6) {
      const auto number = NumberField(fields, 6, "REG", "scale");
      if (const auto* error = std::get_if<FieldError>(&number)) return *error;
      const double scale = std::get<double>(number);
      if (!std::isfinite(scale)) return kOverflowError;
      t.RegScale[reg] = scale;
    } else {
      t.RegScale[reg] = 1.0;
    }

    if (tab_ < 0) return kSubscriptError;
    t.TabRegister[static_cast<std::size_t>(tab_)][static_cast<std::size_t>(slot_)] =
        static_cast<std::int16_t>(currentRegister_);
    if (slot_ < kSlotsPerTab - 1) ++slot_;

    for (std::size_t bit = 0; bit < kDefaultBitNames.size(); ++bit) {
      t.BitName[reg][bit] = kDefaultBitNames[bit];
    }
    return std::nullopt;
  }

  std::optional<RowError> Bits(const std::vector<std::string_view>& fields) {
    if (fields.size() < kBitsPerRegister + 1) return std::nullopt;
    if (!currentRegisterInRange_) return kSubscriptError;
    auto& names = tables().BitName[static_cast<std::size_t>(currentRegister_)];
    for (int k = 1; k <= kBitsPerRegister; ++k) {
      names[static_cast<std::size_t>(kBitsPerRegister - k)] = fields[static_cast<std::size_t>(k)];
    }
    return std::nullopt;
  }

  RegisterModel& model_;
  SharedState& state_;
  TabDefParseResult& result_;
  int line_ = 0;
  int devType_ = 0;
  int tab_ = -1;
  int slot_ = 0;
  int currentRegister_ = 0;
  bool currentRegisterInRange_ = true;
  bool titleBarSeen_ = false;
};

void ResetForRun(RegisterModel& model, RegisterImage& image) {
  for (RegisterTables& tables : model.type) {
    for (auto& tab : tables.TabRegister) tab.fill(-1);
    tables.LastTabIndex = 0;
    tables.RegKind.fill(kKindUndefined);
  }
  image.Clear();
}

}  // namespace

TabDefParseResult ParseTabDefinitions(std::string_view text, RegisterModel& model,
                                      RegisterImage& image, SharedState& state) {
  ResetForRun(model, image);
  TabDefParseResult result;
  TabDefParser parser(model, state, result);
  int lineNumber = 0;
  std::vector<std::string_view> fields;
  const std::vector<std::string_view> lines = SplitLines(text);
  result.lineCount = static_cast<int>(lines.size());
  for (std::string_view line : lines) {
    ++lineNumber;
    if (line.empty()) continue;
    parser.SetLine(lineNumber);
    SplitFields(line, fields);
    if (const auto error = parser.ApplyRow(fields)) {
      result.ok = false;
      result.errorLine = lineNumber;
      if (const auto* trap = std::get_if<TrapError>(&*error)) {
        result.errorText = ErrorTrapMessage(kTabDefsProcedure, trap->number, trap->description);
      } else {
        result.fieldProblem = std::get<FieldError>(*error).problem;
        result.errorText = "line " + std::to_string(lineNumber) + ": " + result.fieldProblem;
      }
      result.titleBarSeen = parser.titleBarSeen();
      return result;
    }
  }
  result.titleBarSeen = parser.titleBarSeen();
  state.SelectedDeviceType = 0;
  return result;
}

std::string TitleBarCaption(int major, int minor, int revision) {
  return std::string("Velquist BMS Evaluation Software ") + " Version " + std::to_string(major) +
         "." + std::to_string(minor) + "." + std::to_string(revision);
}

CompanionVisibility CompanionVisibilityFor(const std::string& partName52401) {
  CompanionVisibility visibility;
  visibility.hidden = IsKeyword(partName52401, "NONE");
  if (!visibility.hidden) {
    visibility.menuCaption = partName52401;
    visibility.showHexLog = !partName52401.empty();
  }
  return visibility;
}

}  // namespace qvm
