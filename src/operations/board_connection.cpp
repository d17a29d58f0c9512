// SPDX-License-Identifier: MIT
#include "operations/board_connection.h"

#include <algorithm>
#include <filesystem>

#include "core/number_text.h"
#include "link/board_access.h"
#include "link/hidapi_bus.h"
#include "model/tab_definition_check.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/board_init.h"
#include "sim/chain/chain_layout.h"
#include "sim/simulated_source.h"

namespace qvm {

namespace {

std::optional<DeviceFamily> FamilyFromText(const std::string& text) {
  if (text == "52400") return DeviceFamily::QVM52400Only;
  if (text == "52400+52401") return DeviceFamily::QVM52400And52401;
  if (text == "38817") return DeviceFamily::QVM38817Only;
  return std::nullopt;
}

}  // namespace

std::optional<int> ChosenBoardInstance(HidBus& bus, const ConnectOptions& options,
                                       std::string& error, bool& accessDenied) {
  accessDenied = false;
  if (options.board.empty()) return 0;
  const auto entries = ListBridgeBoards(bus, options.vendorId);
  const auto instance = ChooseBridgeBoard(entries, options.board, error);
  if (!instance) {
    for (const BridgeBoardEntry& entry : entries) {
      // A number may name a board that cannot be opened, which has none.
      const bool named = entry.info.path == options.board || entry.info.serial == options.board ||
                         ParseNumberText(options.board, 0xFFFF).has_value();
      accessDenied = accessDenied || (named && IsAccessDenied(entry.openError));
    }
  }
  return instance;
}

std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

BoardConnection::BoardConnection(const SessionOutside& outside) : outside_(outside) {}

BoardConnection::~BoardConnection() = default;

int BoardConnection::DeviceCount() const {
  if (!session_) return 0;
  return session_->state.DeviceCount52400 + session_->state.DeviceCount52401;
}

bool BoardConnection::ResolveConfiguration(const ConnectOptions& options,
                                           ManualConfigChoice& choice, std::string& error) {
  std::string mode = options.mode;
  std::string family = options.family;
  int stackSize = options.stackSize;
  if (options.virtualTime && options.simChain.empty()) {
    error = "virtual time needs the simulated board";
    return false;
  }
  if (options.virtualTime) {
    clock_ = std::make_unique<VirtualClock>();
  } else {
    clock_ = std::make_unique<SystemClock>();
  }
  if (!options.simChain.empty()) {
    simulated_ = sim::MakeSimulatedSource({options.simChain, options.simFaults, options.simSeed},
                                          *clock_, error);
    if (!simulated_) return false;
    const sim::ChainLayout* chainLayout = &simulated_->chain->Layout();
    if (mode.empty()) mode = chainLayout->mode == sim::ChainMode::kDaisy ? "daisy" : "single";
    if (family.empty()) {
      family = chainLayout->family == sim::PrimaryFamily::k38817 ? "38817"
               : chainLayout->companionCount > 0                 ? "52400+52401"
                                                                 : "52400";
    }
    if (stackSize == 0)
      stackSize = std::max(chainLayout->primaryCount, chainLayout->companionCount);
  }
  if (mode.empty()) mode = "daisy";
  if (family.empty()) family = "52400";
  if (stackSize == 0) stackSize = 1;

  const auto chosenFamily = FamilyFromText(family);
  if (mode != "daisy" && mode != "single") {
    error = "--mode must be daisy or single";
    return false;
  }
  if (!chosenFamily) {
    error = "--family must be 52400, 52400+52401 or 38817";
    return false;
  }
  if (stackSize < 1 || stackSize > 14) {
    error = "--stack must be 1..14";
    return false;
  }
  choice.daisyChain = mode == "daisy";
  choice.family = *chosenFamily;
  choice.stackSize = static_cast<std::int16_t>(stackSize);
  return true;
}

bool BoardConnection::LoadTabDefinitions(std::string& error) {
  const TabDefFileText file = LoadTabDefinitionFile(dataFolder_, session_->state.TabDefsFileName);
  if (file.status != TabDefFileText::Status::Loaded) {
    error = file.message;
    return false;
  }
  const TabDefParseResult parsed =
      ParseTabDefinitionFile(file, session_->model, session_->image, session_->state);
  if (!parsed.ok) {
    error = parsed.errorText;
    return false;
  }
  return true;
}

bool BoardConnection::Connect(const ConnectOptions& options, std::string& error) {
  session_.reset();
  simulated_.reset();
  hidapi_.reset();
  accessDenied_ = false;
  dataFolder_ = options.dataFolder.empty() ? ProgramFolder() : options.dataFolder;
  ManualConfigChoice choice;
  if (!ResolveConfiguration(options, choice, error)) return false;

  HidBus* bus = nullptr;
  if (simulated_) {
    bus = simulated_->bus.get();
  } else {
    hidapi_ = std::make_unique<HidapiBus>();
    bus = hidapi_.get();
  }
  session_ = std::make_unique<Session>(*bus, outside_.host, *clock_, outside_.view, outside_.faults,
                                       outside_.polling);
  if (!options.messageTitle.empty()) session_->bridge.MessageTitle = options.messageTitle;
  session_->bridge.VendorId = options.vendorId;
  ApplyManualConfiguration(*session_, choice);
  if (!LoadTabDefinitions(error)) return false;

  const auto instance = ChosenBoardInstance(*bus, options, error, accessDenied_);
  if (!instance) return false;
  InitializeDriver(*session_);
  const std::vector<BoardOpenFailure>& refused = session_->bridge.OpenFailures();
  accessDenied_ = session_->bridge.BoardCount() == 0 &&
                  std::any_of(refused.begin(), refused.end(), [](const BoardOpenFailure& failure) {
                    return IsAccessDenied(failure.reason);
                  });
  if (!session_->bridge.EvbConnected) return false;
  if (*instance >= session_->bridge.BoardCount()) {
    error = "board " + std::to_string(*instance) + " went away";
    return false;
  }
  session_->bridge.SelectBoard(*instance);
  outside_.view.AppendLog("\r\n");
  InitializeEvb(*session_);
  return true;
}

}  // namespace qvm
