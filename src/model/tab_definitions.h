// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/tab_definition_file.h"

namespace qvm {

// Name under which the tab definition parser reports its errors.
inline constexpr std::string_view kTabDefsProcedure = "ParseTabsefsCreateTabs";

struct TabDefParseResult {
  bool ok = true;
  // Why the run stopped: the error trap's report for a row that cannot be applied, or "line N: "
  // and the field problem; empty on success.
  std::string errorText;
  // A numeric field that holds no number stopped the run: which field of the row and what it
  // holds, for the file's refusal; empty otherwise.
  std::string fieldProblem;
  // 1-based line of the row that stopped the run; 0 on success.
  int errorLine = 0;
  // A TITLEBAR row was seen: the console shows TitleBarCaption() in its caption.
  bool titleBarSeen = false;
  // Where things came from, for messages: the line of the REG row that last defined each
  // register per device type and of each BEGIN row (0 for none), and the number of lines.
  std::array<std::array<int, kRegisterCount>, kDeviceTypes> definedAt{};
  std::array<int, kDeviceTypes> sectionAt{};
  int lineCount = 0;
};

// Rebuilds the register model of both device types from the text of a tab definition file and
// clears the register image. Tab captions, names, labels, units, scales and bit names that the
// text does not define keep their previous values; tab registers, last tab indexes and kinds
// are reset first. On success the selected device type becomes 0. A row that cannot be applied
// stops the run, and so does a numeric field (an address, a kind, a scale, a TINT25 reading)
// that is not wholly a number; what was parsed up to it stays in the model.
TabDefParseResult ParseTabDefinitions(std::string_view text, RegisterModel& model,
                                      RegisterImage& image, SharedState& state);

// "Velquist BMS Evaluation Software  Version <major>.<minor>.<revision>".
std::string TitleBarCaption(int major, int minor, int revision);

// Which companion-IC controls the console shows after a parser run.
struct CompanionVisibility {
  // The configuration has no companion IC: every type-1 control is hidden.
  bool hidden = false;
  // Caption of the type-1 device menu (only meaningful when not hidden).
  std::string menuCaption;
  // The type-1 hex log and its clear button are shown.
  bool showHexLog = false;
};

// Decided from the companion part name: "NONE" (any case) hides the companion controls;
// otherwise its device-type option and labels are shown, its menu carries the name and its hex
// log is shown when the name is not empty.
CompanionVisibility CompanionVisibilityFor(const std::string& partName52401);

}  // namespace qvm
