// SPDX-License-Identifier: MIT
#include "bench/write_data_file.h"

#include "core/plain_file.h"

namespace qvm {

namespace {

// A write data file holds a few dozen bytes of hexadecimal text; anything far larger is not one.
constexpr std::uintmax_t kMaxWriteDataFileBytes = 64u * 1024u;

// `text` as a sentence of its own: its first letter upper case, a full stop at its end.
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text + ".";
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseByte(std::string_view token, std::uint8_t& value) {
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    token.remove_prefix(2);
  }
  if (token.empty() || token.size() > 2) return false;
  int result = 0;
  for (char c : token) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    result = result * 16 + digit;
  }
  value = static_cast<std::uint8_t>(result);
  return true;
}

}  // namespace

WriteDataFile ParseWriteDataText(std::string_view text) {
  WriteDataFile result;
  int line = 1;
  std::size_t at = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '\n') {
      ++line;
      ++at;
    } else if (IsSeparator(c)) {
      ++at;
    } else if (c == '#') {
      while (at < text.size() && text[at] != '\n') ++at;
    } else {
      const std::size_t start = at;
      while (at < text.size() && !IsSeparator(text[at]) && text[at] != '#') ++at;
      const std::string_view token = text.substr(start, at - start);
      std::uint8_t value = 0;
      if (!ParseByte(token, value)) {
        result.bytes.clear();
        result.error = "Line " + std::to_string(line) + ": \"" + std::string(token) +
                       "\" is not a hexadecimal byte.";
        return result;
      }
      result.bytes.push_back(value);
    }
  }
  return result;
}

WriteDataFile ReadWriteDataFile(const std::string& path) {
  const PlainFileText file = ReadPlainFile(path, kMaxWriteDataFileBytes, "write data file");
  if (!file.ok) return {{}, Sentence(file.problem)};
  if (file.text.empty()) return {{}, path + " is empty."};
  return ParseWriteDataText(file.text);
}

std::optional<std::string> AskWriteDataFile(Host& host) {
  auto path =
      host.AskOpenFileName("Load Write Data from File", "Write data (*.txt *.hex);;All files (*)");
  if (!path || path->empty()) return std::nullopt;
  return path;
}

}  // namespace qvm
