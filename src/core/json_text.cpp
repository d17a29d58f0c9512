// SPDX-License-Identifier: MIT
#include "core/json_text.h"

#include <cstdio>

namespace qvm {

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string JsonString(std::string_view text) {
  std::string quoted;
  AppendJsonString(quoted, text);
  return quoted;
}

}  // namespace qvm
