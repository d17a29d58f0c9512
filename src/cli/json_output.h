// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "operations/read_all_classes.h"

namespace qvm::cli {

// `text` as a JSON string, quoted and escaped.
std::string JsonString(std::string_view text);
// The same appended to `out`.
void AppendJsonString(std::string& out, std::string_view text);

// One device's reading as a JSON object: "type" (part name), "dev", "com_errors" (the codes of
// the errors that concerned it), then by class "pack" and "cells" (V); "internal" (°C) and
// "external" (V); or "registers" keyed "0xNN". Values are numbers as the console shows them,
// null where the register is not defined or was not read.
std::string JsonReading(const Session& session, ReadAllClass kind, const DeviceReading& reading);

// Every identified device's reading by `read` as a JSON array.
std::string JsonReadings(const Session& session, ReadAllClass kind, const Acquisition& read);

}  // namespace qvm::cli
