// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/register_image.h"
#include "model/register_model.h"
#include "model/shared_state.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"

namespace qvm {

// What a parsed tab definition file lacks, and the line the message points at.
struct TabDefProblem {
  int line = 0;
  std::string text;
};

// Checks that the parsed model defines what the rest of the program relies on: the MAIN and
// MONITOR pages of the primary IC; the registers that the decoders, the status displays and the
// bulk reads use, with a readable kind (block reads with kind 5) and, for the decoded ones, a
// scale that gives a plausible full-scale value; in a companion section, the companion's fault
// and setup registers. The first problem found, or nothing.
std::optional<TabDefProblem> CheckTabDefinitions(const RegisterModel& model,
                                                 const SharedState& state,
                                                 const TabDefParseResult& parsed,
                                                 std::string_view text);

// Parses the loaded file and checks it. A row the parser cannot apply stops it with its error
// report; a file with a numeric field that holds no number, or that fails the check, is refused
// with an error text that names the file and the line ("Tab definition file <path> line <n>:
// <what is wrong>").
TabDefParseResult ParseTabDefinitionFile(const TabDefFileText& file, RegisterModel& model,
                                         RegisterImage& image, SharedState& state);

}  // namespace qvm
