// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

#include "cli/cli_session.h"

namespace qvm::cli {

struct DecodeOptions {
  std::string path;
  bool json = false;
};

// Adds "decode LOGFILE [--json]" to `app`, filling `options`.
CLI::App* AddDecodeCommand(CLI::App& app, DecodeOptions& options);

// Decodes a frame log with the tab definitions of `device.family`, reading its frames as
// `device.mode` (daisy chain unless "single"): a table, or one JSON object per line with
// --json. 0 when every line decoded, 3 when malformed lines or bad CRC4s were found (a summary
// on the error stream), 1 when the log or the tab definitions cannot be read.
int RunDecode(const DecodeOptions& options, const DeviceOptions& device, std::ostream& out,
              std::ostream& err);

}  // namespace qvm::cli
