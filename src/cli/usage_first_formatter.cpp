// SPDX-License-Identifier: MIT
#include "cli/usage_first_formatter.h"

#include <sstream>

namespace qvm::cli {

std::string UsageFirstFormatter::make_help(const CLI::App* app, std::string name,
                                           CLI::AppFormatMode mode) const {
  if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
  std::ostringstream out;
  out << make_usage(app, name) << make_description(app) << make_positionals(app)
      << make_groups(app, mode) << make_subcommands(app, mode) << '\n'
      << make_footer(app);
  return out.str();
}

}  // namespace qvm::cli
