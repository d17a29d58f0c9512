// SPDX-License-Identifier: MIT
#include "operations/named_actions.h"

#include <array>
#include <utility>

#include "protocol/acquisition.h"

namespace qvm {

namespace {

constexpr std::array<NamedPanelCommand, 12> kCommands = {{
    {"scan-volts", &kScanAllVolts},
    {"scan-temps", &kScanAllTemps},
    {"scan-mixed", &kScanAllMixed},
    {"scan-wires", &kScanAllWires},
    {"scan-all", &kScanAllAll},
    {"scan-cont", &kScanAllContinuous},
    {"scan-inhibit", &kScanAllInhibit},
    {"bal-enable", &kBalEnableAll},
    {"bal-inhibit", &kBalInhibitAll},
    {"sleep", &kDaisyChainSleep},
    {"wake", &kDaisyChainWake},
    {"clear-faults", nullptr},
}};

using NamedFlag = std::pair<const char*, bool SharedState::*>;

// In alphabetical order, as the messages list them.
constexpr std::array<NamedFlag, 5> kScans = {{{"all", &SharedState::PollScanAll},
                                              {"mixed", &SharedState::PollScanMixed},
                                              {"temps", &SharedState::PollScanTemps},
                                              {"volts", &SharedState::PollScanVolts},
                                              {"wires", &SharedState::PollScanWires}}};
constexpr std::array<NamedFlag, 4> kReads = {{{"faults", &SharedState::PollReadFaults},
                                              {"setups", &SharedState::PollReadSetups},
                                              {"temps", &SharedState::PollReadTemps},
                                              {"volts", &SharedState::PollReadVolts}}};

template <std::size_t N>
bool SetFlags(const std::vector<std::string>& names, const std::array<NamedFlag, N>& flags,
              SharedState& state, const char* what, std::string& error) {
  for (const auto& [name, flag] : flags) state.*flag = false;
  for (const std::string& wanted : names) {
    bool found = false;
    for (const auto& [name, flag] : flags) {
      if (wanted == name) {
        state.*flag = true;
        found = true;
      }
    }
    if (!found) {
      error = std::string(what) + " takes ";
      for (std::size_t i = 0; i < N; ++i)
        error += (i == 0 ? "" : ", ") + std::string(flags[i].first);
      error += ", not '" + wanted + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

const NamedPanelCommand* PanelCommandNamed(const std::string& name) {
  for (const NamedPanelCommand& entry : kCommands) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

std::string PanelCommandNames(const std::string& separator) {
  std::string names;
  for (const NamedPanelCommand& entry : kCommands) {
    if (!names.empty()) names += separator;
    names += entry.name;
  }
  return names;
}

bool RunNamedPanelCommand(Session& session, const NamedPanelCommand& command) {
  Acquisition run(session);
  if (command.command != nullptr) {
    return RunPanelCommand(session, *command.command) && !run.Failed();
  }
  ClearAllFaults(session);
  return session.bridge.EvbConnected && !session.exchange.ExchangeFailed && !run.Failed();
}

bool SelectPolledActions(const std::vector<std::string>& scans,
                         const std::vector<std::string>& reads, SharedState& state,
                         std::string& error) {
  SharedState chosen = state;
  if (!SetFlags(scans, kScans, chosen, "--scan", error) ||
      !SetFlags(reads, kReads, chosen, "--read", error)) {
    return false;
  }
  for (const auto& [name, flag] : kScans) state.*flag = chosen.*flag;
  for (const auto& [name, flag] : kReads) state.*flag = chosen.*flag;
  return true;
}

}  // namespace qvm
