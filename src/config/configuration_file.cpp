// SPDX-License-Identifier: MIT
#include "config/configuration_file.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

#include "config/config_file_text.h"
#include "config/device_config_read.h"
#include "core/hex.h"
#include "model/decoders.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr int kSetupPage = 2;
// Registers are 14 bits wide: a saved value carries no more, so every saved line loads back.
constexpr int kRegisterBits = 0x3FFF;
constexpr int kBalanceStatusBanks = kBalanceBanks;
constexpr const char* kSaveConfigCancelled =
    "Save Device Configuration cancelled, configuration file not created.";
constexpr const char* kSaveEeCancelled =
    "Save Device EE_Test cancelled, configuration file not created.";

std::string WriteLine(const std::string& part, int device, int category, int offset, int value) {
  return "wrt," + part + ",dev" + Hex0x(static_cast<std::uint32_t>(device), 2) + ",cat" +
         Hex0x(static_cast<std::uint32_t>(8 + category), 2) + ",adr" +
         Hex0x(static_cast<std::uint32_t>(offset), 2) + ",dat" +
         Hex0x(static_cast<std::uint32_t>(value & kRegisterBits), 4);
}

// The write line of register `reg` (category 2) of device `device` with `value`.
std::string SetupWrite(const std::string& part, int device, int reg, int value) {
  return WriteLine(part, device, kSetupPage, reg & 0x3F, value);
}

// The devices of a type the file holds: all of them on a chain, else device 1; none when the
// type is absent.
int DevicesToSave(const Session& session, int count) {
  if (count <= 0) return 0;
  const int devices = session.state.DaisyChainMode ? count : 1;
  return std::clamp(devices, 0, kDevicesPerType - 1);
}

// A label line and the write line of the register it names.
struct LabelledRegister {
  const char* label;
  int reg;
};

void AddLabelled(std::vector<std::string>& lines, std::initializer_list<LabelledRegister> entries,
                 const std::function<std::string(int)>& write) {
  for (const LabelledRegister& entry : entries) {
    lines.push_back(entry.label);
    lines.push_back(write(entry.reg));
  }
}

void PrimaryBlock(const Session& session, int n, std::vector<std::string>& lines) {
  const std::string& part = session.state.PartName52400;
  const auto raw = [&](int reg) { return session.image.at(0, n, reg); };
  const auto w = [&](int reg) { return SetupWrite(part, n, reg, raw(reg)); };
  lines.push_back("");
  lines.push_back("**** Parameters for 52400 at device address " + std::to_string(n) + " ****");
  AddLabelled(lines,
              {{"52400 Fault Setup Register", 0x83},
               {"52400 Cell Setup Register", 0x85},
               {"52400 OV Limit Register", 0x90},
               {"52400 UV Limit Register", 0x91},
               {"52400 ET Limit Register", 0x92}},
              w);
  lines.push_back("52400 Balance Status Registers");
  const int setup = raw(kRegBalanceSetup);
  for (int bank = 0; bank < kBalanceStatusBanks; ++bank) {
    lines.push_back(SetupWrite(part, n, kRegBalanceSetup, (setup & 0x21F) + bank * 32));
    lines.push_back(SetupWrite(part, n, kRegBalanceSwitches,
                               session.state.BalanceStatusImage[static_cast<std::size_t>(n)]
                                                               [static_cast<std::size_t>(bank)]));
  }
  AddLabelled(lines,
              {{"52400 Balance Setup Register", kRegBalanceSetup},
               {"52400 Watchdog and Balance Time Register", 0x95},
               {"52400 User Register 01", 0x96},
               {"52400 User Register 23", 0x97}},
              w);
  lines.push_back("52400 Balance Value Registers");
  for (int k = 0; k < 24; ++k) lines.push_back(w(0xA0 + k));
}

void CompanionBlock(const Session& session, int n, std::vector<std::string>& lines) {
  const std::string& part = session.state.PartName52401;
  const auto w = [&](int reg) { return SetupWrite(part, n, reg, session.image.at(1, n, reg)); };
  lines.push_back("");
  lines.push_back("**** Parameters for 52401 at device address " + std::to_string(n) + " ****");
  AddLabelled(lines,
              {{"52401 Scan Setup Register", 0x83},
               {"52401 Cell Setup Register", 0x85},
               {"52401 User Register 01", 0x96},
               {"52401 User Register 23", 0x97}},
              w);
}

// Opens a file through `channel` and writes `lines`; `opened` runs once the file is open.
bool WriteLines(Session& session, RecordChannel& channel, const std::vector<std::string>& lines,
                const char* cancelled, const std::function<void()>& opened = {}) {
  if (channel.Open().empty()) {
    session.host.ShowMessage(session.bridge.MessageTitle, cancelled);
    return false;
  }
  if (opened) opened();
  bool written = true;
  for (const std::string& line : lines) {
    if (!channel.AddLine(line)) {
      written = false;
      break;
    }
  }
  return channel.Close() && written;
}

// Replays one line into `replay`: its writes, or why it was skipped.
void ReplayLine(Session& session, const ConfigLine& line, ConfigReplay& replay) {
  const auto skip = [&replay](ConfigSkip reason) {
    ++replay.skipped[static_cast<std::size_t>(reason)];
  };
  if (!line.value) return skip(line.skip);
  ++replay.usableLines;
  const int type = line.type;
  const int reg = line.Register();
  const std::optional<int>& value = line.value;
  if (session.model.RegKind(type, reg) != kKindReadWrite) return skip(ConfigSkip::NotWritable);

  int writes = 0;
  // A device number the register image cannot hold is no device of the chain.
  for (int n = std::max(line.first, 0); n <= std::min(line.last, kDevicesPerType - 1); ++n) {
    DeviceCommand command;
    command.dev = static_cast<std::uint8_t>(n);
    command.devType = static_cast<std::int16_t>(type);
    command.cat = static_cast<std::uint8_t>(line.category);
    command.adr = static_cast<std::uint8_t>(line.offset);
    command.dat = static_cast<std::int16_t>(*value);
    session.LastReply = {};
    WriteSingleReg(session, command);
    ++writes;
    // The image holds what the device holds: a write that did not reach it changes nothing.
    if (WriteAcknowledged(session, n)) {
      session.image.StoreWritten(type, n, reg, static_cast<std::int16_t>(*value));
    } else {
      ++replay.failedWrites;
    }
  }
  replay.writes += writes;
  if (writes == 0) skip(ConfigSkip::NoSuchDevice);
}

// Every non-empty line of `text` as the replay reads it, with its 1-based number; reading stops
// after the first line that refuses the file.
std::vector<std::pair<int, ConfigLine>> ReadConfigLines(const SharedState& state,
                                                        std::string_view text) {
  std::vector<std::pair<int, ConfigLine>> lines;
  int number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    ++number;
    std::size_t end = text.find('\n', start);
    const bool terminated = end != std::string_view::npos;
    if (!terminated) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.empty()) continue;
    lines.emplace_back(number, ReadConfigLine(line, terminated, state));
    if (!lines.back().second.refusal.empty()) break;
  }
  return lines;
}

}  // namespace

std::vector<std::string> DeviceConfigLines(const Session& session) {
  std::vector<std::string> lines;
  for (int n = 1; n <= DevicesToSave(session, session.state.DeviceCount52400); ++n) {
    PrimaryBlock(session, n, lines);
  }
  for (int n = 1; n <= DevicesToSave(session, session.state.DeviceCount52401); ++n) {
    CompanionBlock(session, n, lines);
  }
  return lines;
}

std::vector<std::string> EeTestLines(const Session& session) {
  const std::string& part = session.state.PartName52400;
  std::vector<std::string> lines{"", "**** Parameters for 52400 at device address EEPROM1 ****",
                                 "52400 EEPROM Value Registers"};
  for (int i = 0; i < 64; ++i)
    lines.push_back(WriteLine(part, 1, 4, i, session.image.at(0, 1, 0x100 + i)));
  lines.push_back("52400 Test Value Registers");
  for (int j = 0; j < 24; ++j)
    lines.push_back(WriteLine(part, 1, 5, j, session.image.at(0, 1, 0x140 + j)));
  return lines;
}

bool SaveDeviceConfig(Session& session, RecordChannel& channel) {
  std::vector<std::string> unknown = UnknownConfigValues(session);
  if (!unknown.empty()) {
    const std::string count = std::to_string(unknown.size());
    if (!session.host.AskYesNo(session.bridge.MessageTitle,
                               count +
                                   " values of the configuration were never read or their "
                                   "last read failed, the first: " +
                                   unknown.front() + ".\r\nRead them from the devices now?")) {
      session.host.ShowMessage(session.bridge.MessageTitle, kSaveConfigCancelled);
      return false;
    }
    ReadDeviceConfig(session);
    unknown = UnknownConfigValues(session);
    if (!unknown.empty()) {
      session.host.ShowMessage(session.bridge.MessageTitle,
                               std::to_string(unknown.size()) +
                                   " values could not be read, the first: " + unknown.front() +
                                   ".\r\n" + kSaveConfigCancelled);
      return false;
    }
  }
  return WriteLines(session, channel, DeviceConfigLines(session), kSaveConfigCancelled);
}

bool SaveEeTestRegs(Session& session, RecordChannel& channel) {
  return WriteLines(session, channel, EeTestLines(session), kSaveEeCancelled,
                    [&session] { session.state.DeviceCount52400 = 1; });
}

ConfigReplay ReplayConfigFile(Session& session, std::string_view text) {
  ConfigReplay replay;
  // The whole text is read before the first write, so a refused file sends nothing.
  const std::vector<std::pair<int, ConfigLine>> lines = ReadConfigLines(session.state, text);
  if (!lines.empty() && !lines.back().second.refusal.empty()) {
    replay.refused = ConfigRefusal{lines.back().first, lines.back().second.refusal};
    return replay;
  }
  for (const auto& numbered : lines) ReplayLine(session, numbered.second, replay);
  return replay;
}

std::string ConfigRefusalText(const std::string& path, const ConfigRefusal& refusal) {
  return path + ":" + std::to_string(refusal.line) + ": " + refusal.reason +
         "; nothing of the file was written";
}

int ParseConfigFile(Session& session, std::string_view text) {
  return ReplayConfigFile(session, text).writes;
}

std::string ConfigReplaySummary(const ConfigReplay& summary) {
  static constexpr std::array<const char*, kConfigSkipReasons> kReasons = {
      "",          "not register lines",         "of another part",
      "malformed", "for no device of the chain", "not writable"};
  int total = 0;
  std::string reasons;
  for (std::size_t r = 1; r < summary.skipped.size(); ++r) {
    if (summary.skipped[r] == 0) continue;
    total += summary.skipped[r];
    reasons +=
        (reasons.empty() ? "" : ", ") + std::to_string(summary.skipped[r]) + " " + kReasons[r];
  }
  std::string line = std::to_string(summary.writes) + " register writes, " + std::to_string(total) +
                     " lines skipped";
  if (!reasons.empty()) line += " (" + reasons + ")";
  return line;
}

std::optional<std::string> ConfigReplayProblem(const ConfigReplay& replay, const std::string& path,
                                               const std::string& partName) {
  if (replay.usableLines == 0) {
    return path + " holds no usable lines (write lines such as wrt," + partName +
           ",dev0x01,cat0x0A,adr0x10,dat0x1234)";
  }
  if (replay.writes == 0) {
    return "nothing was applied: no line names a writable register of a device present";
  }
  if (replay.failedWrites > 0) {
    return std::to_string(replay.failedWrites) + " of " + std::to_string(replay.writes) +
           " register writes were not acknowledged";
  }
  return std::nullopt;
}

std::string ConfigLoadLine(const std::string& procedure, const ConfigReplay& summary) {
  return procedure + ": " + ConfigReplaySummary(summary);
}

std::string LoadDeviceConfig(Session& session, const std::string& procedure,
                             const std::string& documentsFolder) {
  std::string& folder = session.state.ConfigLoadFolder;
  const std::optional<std::string> path =
      session.host.AskOpenFileNameIn("Load Device Configuration File", "Text Files (*.txt)",
                                     folder.empty() ? documentsFolder : folder);
  if (!path || path->empty()) return "";
  folder = std::filesystem::path(*path).parent_path().string();
  const ConfigFileText file = ReadConfigFileText(*path);
  if (!file.ok) {
    session.host.ShowMessage(
        session.bridge.MessageTitle,
        procedure + " failed due to the following:\r\nError 53:\r\n" + file.problem);
    return "";
  }
  const ConfigReplay replay = ReplayConfigFile(session, file.text);
  if (replay.refused) {
    const std::string refusal = ConfigRefusalText(*path, *replay.refused);
    session.LogLine(procedure + ": " + refusal);
    session.host.ShowMessage(session.bridge.MessageTitle, refusal);
    return "";
  }
  session.LogLine(ConfigLoadLine(procedure, replay));
  if (replay.usableLines == 0) {
    session.host.ShowMessage(session.bridge.MessageTitle,
                             "The file " + *path + " holds no usable configuration lines.");
  }
  return *path;
}

}  // namespace qvm
