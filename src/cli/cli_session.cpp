#include "cli/cli_session.h"

#include <filesystem>
#include <ostream>

#include "link/hidapi_bus.h"
#include "model/tab_definition_file.h"
#include "model/tab_definitions.h"
#include "protocol/board_init.h"
#include "sim/chain/chain_spec.h"
#include "sim/chain/simulated_evb.h"
#include "sim/simulated_source.h"

namespace qvm::cli {

struct CliSession::Parts {
  Parts(std::ostream& out, std::ostream& err, bool showFrames, bool virtualTime)
      : clock(virtualTime ? static_cast<Clock&>(virtualClock) : systemClock),
        host(err),
        view(out, showFrames),
        recorder(err) {}

  SystemClock systemClock;
  VirtualClock virtualClock;
  Clock& clock;
  CliHost host;
  CliView view;
  CliFaultRecorder recorder;
  CliPollingTimer polling;
  std::optional<sim::SimulatedEvb> simulated;
  std::unique_ptr<HidapiBus> hidapi;
};

namespace {

// The folder of the running program, where the tab definition files lie.
std::string ProgramFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

std::optional<DeviceFamily> FamilyFromText(const std::string& text) {
  if (text == "52400") return DeviceFamily::QVM52400Only;
  if (text == "52400+52401") return DeviceFamily::QVM52400And52401;
  if (text == "38817") return DeviceFamily::QVM38817Only;
  return std::nullopt;
}

}  // namespace

CliSession::CliSession(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

CliSession::~CliSession() = default;

CliHost& CliSession::host() {
  return parts_->host;
}

CliView& CliSession::view() {
  return parts_->view;
}

CliPollingTimer& CliSession::polling() {
  return parts_->polling;
}

HidBus& CliSession::bus() {
  if (parts_->simulated) return *parts_->simulated->bus;
  return *parts_->hidapi;
}

bool ConnectQuietly(CliSession& cli, DeviceOptions options, std::ostream& err) {
  const bool verbose = options.verbose;
  options.verbose = false;
  if (!cli.Connect(options)) return false;
  const Session& session = cli.session();
  if (session.state.DeviceCount52400 + session.state.DeviceCount52401 == 0) {
    err << "qvmctl: no device found\n";
    return false;
  }
  cli.view().printLog = verbose;
  return true;
}

bool CliSession::ResolveConfiguration(const DeviceOptions& options, ManualConfigChoice& choice) {
  std::string mode = options.mode;
  std::string family = options.family;
  int stackSize = options.stackSize;
  if (!options.simChain.empty()) {
    std::string error;
    parts_->simulated = sim::MakeSimulatedSource(
        {options.simChain, options.simFaults, options.simSeed}, parts_->clock, error);
    if (!parts_->simulated) {
      err_ << "qvmctl: " << error << '\n';
      return false;
    }
    const sim::ChainSpec* chainSpec = &parts_->simulated->chain->Spec();
    if (mode.empty()) mode = chainSpec->mode == sim::ChainMode::kDaisy ? "daisy" : "single";
    if (family.empty()) {
      family = chainSpec->family == sim::PrimaryFamily::k38817 ? "38817"
               : chainSpec->companionCount > 0                 ? "52400+52401"
                                                               : "52400";
    }
    if (stackSize == 0) stackSize = std::max(chainSpec->primaryCount, chainSpec->companionCount);
  }
  if (mode.empty()) mode = "daisy";
  if (family.empty()) family = "52400";
  if (stackSize == 0) stackSize = 1;

  const auto chosenFamily = FamilyFromText(family);
  if (mode != "daisy" && mode != "single") {
    err_ << "qvmctl: --mode must be daisy or single\n";
    return false;
  }
  if (!chosenFamily) {
    err_ << "qvmctl: --family must be 52400, 52400+52401 or 38817\n";
    return false;
  }
  if (stackSize < 1 || stackSize > 14) {
    err_ << "qvmctl: --stack must be 1..14\n";
    return false;
  }
  choice.daisyChain = mode == "daisy";
  choice.family = *chosenFamily;
  choice.stackSize = static_cast<std::int16_t>(stackSize);
  return true;
}

bool CliSession::LoadTabDefinitions() {
  const TabDefFileText file =
      LoadTabDefinitionFile(ProgramFolder(), session_->state.TabDefsFileName);
  if (file.status != TabDefFileText::Status::Loaded) {
    err_ << file.message << '\n';
    return false;
  }
  const TabDefParseResult parsed =
      ParseTabDefinitions(file.text, session_->model, session_->image, session_->state);
  if (!parsed.ok) {
    err_ << parsed.errorText << '\n';
    return false;
  }
  return true;
}

bool CliSession::Connect(const DeviceOptions& options) {
  options_ = options;
  parts_ = std::make_unique<Parts>(out_, err_, options.showFrames, options.virtualTime);
  parts_->view.printLog = options.verbose;
  ManualConfigChoice choice;
  if (!ResolveConfiguration(options, choice)) return false;

  HidBus* bus = nullptr;
  if (parts_->simulated) {
    bus = parts_->simulated->bus.get();
  } else {
    parts_->hidapi = std::make_unique<HidapiBus>();
    bus = parts_->hidapi.get();
  }
  session_ = std::make_unique<Session>(*bus, parts_->host, parts_->clock, parts_->view,
                                       parts_->recorder, parts_->polling);
  session_->bridge.MessageTitle = "qvmctl";
  session_->bridge.VendorId = options.vendorId;
  ApplyManualConfiguration(*session_, choice);
  if (!LoadTabDefinitions()) return false;

  InitializeDriver(*session_);
  if (!session_->bridge.EvbConnected) return false;
  if (options.board > 0) {
    if (options.board >= session_->bridge.BoardCount()) {
      err_ << "qvmctl: there is no board " << options.board << '\n';
      return false;
    }
    session_->bridge.SelectBoard(options.board);
  }
  parts_->view.AppendLog("\r\n");
  InitializeEvb(*session_);
  return true;
}

}  // namespace qvm::cli
