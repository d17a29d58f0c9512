// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace qvm::cli {

// CLI11's help with the usage line first ("Usage: qvmctl ..."), then the description, as manual
// page generators read it.
class UsageFirstFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override;
};

}  // namespace qvm::cli
