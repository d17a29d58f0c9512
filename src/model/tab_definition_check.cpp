// SPDX-License-Identifier: MIT
#include "model/tab_definition_check.h"

#include <cctype>
#include <cmath>
#include <sstream>

#include "core/hex.h"

namespace qvm {

namespace {

enum class Need { Readable, BlockRead };

// What a decoded value may span over the full 14-bit range of its register.
struct ScaleRule {
  double minFullScale;
  double maxFullScale;
  const char* units;
};

constexpr ScaleRule kCellVolts{1.0, 50.0, "V"};
constexpr ScaleRule kPackVolts{5.0, 1000.0, "V"};
constexpr ScaleRule kInputVolts{0.5, 50.0, "V"};
constexpr ScaleRule kDegrees{50.0, 5000.0, "degC"};

struct Requirement {
  int type;
  int reg;
  Need need;
  const char* user;
  const ScaleRule* scale = nullptr;
};

constexpr double kFullScaleCounts = 16383.0;

// In the order a reader of the file meets them.
constexpr Requirement kRequirements[] = {
    {0, 0x40, Need::Readable, "the decoders", &kPackVolts},
    {0, 0x41, Need::Readable, "the decoders", &kCellVolts},
    {0, 0x42, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x43, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x44, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x45, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x46, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x47, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x48, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x49, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x4A, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x4B, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x4C, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x4F, Need::BlockRead, "Read All Volts"},
    {0, 0x50, Need::Readable, "the decoders", &kDegrees},
    {0, 0x51, Need::Readable, "the decoders", &kInputVolts},
    {0, 0x52, Need::Readable, "the MAIN page"},
    {0, 0x53, Need::Readable, "the MAIN page"},
    {0, 0x54, Need::Readable, "the MAIN page"},
    {0, 0x5F, Need::BlockRead, "Read All Temps"},
    {0, 0x80, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x81, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x82, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x84, Need::Readable, "the MAIN and MONITOR pages"},
    {0, 0x85, Need::Readable, "the MAIN page"},
    {0, 0x8F, Need::BlockRead, "Read All Faults"},
    {0, 0x90, Need::Readable, "the decoders", &kCellVolts},
    {0, 0x91, Need::Readable, "the decoders", &kCellVolts},
    {0, 0x93, Need::Readable, "the MAIN page"},
    {0, 0x94, Need::Readable, "the MAIN page"},
    {0, 0x95, Need::Readable, "the MAIN page"},
    {0, 0x9A, Need::Readable, "the decoders", &kDegrees},
    {0, 0x9F, Need::BlockRead, "Read All Setups"},
    {1, 0x80, Need::Readable, "the MAIN and MONITOR pages"},
    {1, 0x81, Need::Readable, "the MAIN and MONITOR pages"},
    {1, 0x84, Need::Readable, "the MAIN and MONITOR pages"},
    {1, 0x85, Need::Readable, "the MAIN page"},
    {1, 0x8F, Need::BlockRead, "Read All Faults"},
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool HasPage(const RegisterTables& tables, const char* caption) {
  for (int tab = 0; tab <= tables.LastTabIndex && tab < kMaxTabs; ++tab) {
    if (Upper(tables.TabName[static_cast<std::size_t>(tab)]) == caption) return true;
  }
  return false;
}

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// "register &H41 (Cell 1 Voltage) of QVM52400".
std::string RegisterText(const RegisterModel& model, const SharedState& state, int type, int reg) {
  std::string text = "register &H" + HexDigits(static_cast<std::uint32_t>(reg), 2);
  const std::string& name =
      model.type[static_cast<std::size_t>(type)].RegName[static_cast<std::size_t>(reg)];
  if (!name.empty() && model.RegKind(type, reg) != kKindUndefined) text += " (" + name + ")";
  return text + " of " + state.PartName(type);
}

std::optional<std::string> ProblemOf(const RegisterModel& model, const SharedState& state,
                                     const Requirement& rule) {
  const std::int32_t kind = model.RegKind(rule.type, rule.reg);
  const std::string what = RegisterText(model, state, rule.type, rule.reg);
  const std::string user = std::string(rule.user);
  if (kind == kKindUndefined) return what + " is not defined; " + user + " need it";
  if (rule.need == Need::BlockRead && kind != kKindBlockRead) {
    return what + " has kind " + std::to_string(kind) + "; " + user +
           " needs it as a block read (kind 5)";
  }
  if (rule.need == Need::Readable && kind != kKindReadOnly && kind != kKindReadWrite) {
    return what + " has kind " + std::to_string(kind) + "; " + user +
           " need it readable (kind 0 or 1)";
  }
  if (rule.scale != nullptr) {
    const double scale = model.RegScale(rule.type, rule.reg);
    const double fullScale = std::abs(scale) * kFullScaleCounts;
    if (!std::isfinite(scale) || scale <= 0 || fullScale < rule.scale->minFullScale ||
        fullScale > rule.scale->maxFullScale) {
      return what + " has the scale " + Number(scale) +
             ", which is not usable: its full scale "
             "must lie between " +
             Number(rule.scale->minFullScale) + " and " + Number(rule.scale->maxFullScale) + " " +
             rule.scale->units;
    }
  }
  return std::nullopt;
}

bool HasBareLineFeeds(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
  }
  return false;
}

// What a problem adds for a file whose lines do not end as they must, which explains most.
std::string LineEndsHint(std::string_view text) {
  return HasBareLineFeeds(text) ? " (its lines must end in CR LF; this file has bare LF line ends)"
                                : "";
}

}  // namespace

std::optional<TabDefProblem> CheckTabDefinitions(const RegisterModel& model,
                                                 const SharedState& state,
                                                 const TabDefParseResult& parsed,
                                                 std::string_view text) {
  // A missing definition is pointed at its section, or at the end of a file without one.
  const auto sectionLine = [&](int type) {
    const int line = parsed.sectionAt[static_cast<std::size_t>(type)];
    return line > 0 ? line : parsed.lineCount;
  };
  const std::string lineEnds = LineEndsHint(text);
  for (const char* page : {"MAIN", "MONITOR"}) {
    if (!HasPage(model.type[0], page)) {
      return TabDefProblem{sectionLine(0), "the " + state.PartName(0) + " section has no " + page +
                                               " page (TABNAME," + page + ")" + lineEnds};
    }
  }
  const bool companionSection = parsed.sectionAt[1] > 0;
  for (const Requirement& rule : kRequirements) {
    if (rule.type == 1 && !companionSection) continue;
    if (auto problem = ProblemOf(model, state, rule)) {
      const int defined =
          parsed.definedAt[static_cast<std::size_t>(rule.type)][static_cast<std::size_t>(rule.reg)];
      return TabDefProblem{defined > 0 ? defined : sectionLine(rule.type), *problem + lineEnds};
    }
  }
  return std::nullopt;
}

TabDefParseResult ParseTabDefinitionFile(const TabDefFileText& file, RegisterModel& model,
                                         RegisterImage& image, SharedState& state) {
  TabDefParseResult result = ParseTabDefinitions(file.text, model, image, state);
  std::optional<TabDefProblem> problem;
  if (result.ok) {
    problem = CheckTabDefinitions(model, state, result, file.text);
  } else if (!result.fieldProblem.empty()) {
    problem = TabDefProblem{result.errorLine, result.fieldProblem + LineEndsHint(file.text)};
  }
  if (problem) {
    result.ok = false;
    result.errorLine = problem->line;
    result.errorText = "Tab definition file " + file.path + " line " +
                       std::to_string(problem->line) + ": " + problem->text;
  }
  return result;
}

}  // namespace qvm
