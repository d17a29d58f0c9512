// SPDX-License-Identifier: MIT
#include "python/evaluation_board.h"

#include <dlfcn.h>

#include <cerrno>
#include <filesystem>

#include "config/config_file_text.h"
#include "config/configuration_file.h"
#include "config/device_config_read.h"
#include "core/fixed_answer_host.h"
#include "mqtt/tick_publishing.h"
#include "operations/bulk_reads.h"
#include "operations/identify_check.h"
#include "operations/named_actions.h"
#include "protocol/acquisition.h"
#include "protocol/board_init.h"
#include "protocol/register_access.h"
#include "records/record_channel.h"
#include "records/write_destination.h"
#include "sim/faults/fault_plan.h"

namespace qvm::python {

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    text += text.empty() ? "" : "; ";
    text += line;
  }
  return text;
}

std::string WithDetails(const std::string& reason, const Trouble& trouble) {
  const std::string details = Joined(trouble.lines);
  return details.empty() ? reason : reason + " (" + details + ")";
}

}  // namespace

std::string ModuleDataFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ModuleDataFolder), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  return (std::filesystem::path(info.dli_fname).parent_path() / "data").string();
}

EvaluationBoard::EvaluationBoard(const ConnectOptions& options)
    : options_(options),
      host_(trouble_),
      view_(trouble_),
      recorder_(trouble_),
      connection_(SessionOutside{host_, view_, recorder_, polling_}) {
  view_.polling = &polling_;
  std::string error;
  if (!connection_.Connect(options, error)) {
    const std::string reason = error.empty() ? Joined(trouble_.lines) : error;
    throw BoardError(connection_.AccessDenied() ? ErrorKind::kAccessDenied : ErrorKind::kNoAnswer,
                     "cannot connect: " + (reason.empty() ? "no board answered" : reason));
  }
  open_ = true;
  Session& s = connection_.session();
  if (const auto shortfall = IdentifyShortfall(s, ExpectedChainOf(options_, s.state))) {
    throw BoardError(ErrorKind::kNoAnswer, WithDetails("identify: " + *shortfall, trouble_));
  }
}

EvaluationBoard::~EvaluationBoard() {
  Close();
}

void EvaluationBoard::Close() {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!open_) return;
  if (lastRun_) {
    lastRun_->Finish();
    view_.commLog = nullptr;
  }
  CloseDriver(connection_.session());
  open_ = false;
}

void EvaluationBoard::RequireOpen() const {
  if (!open_) throw BoardError(ErrorKind::kGeneral, "the board is closed");
}

Session& EvaluationBoard::session() {
  RequireOpen();
  return connection_.session();
}

bool EvaluationBoard::Simulated() {
  return connection_.simulated() != nullptr;
}

std::optional<std::pair<std::uint64_t, std::map<std::string, std::uint64_t>>>
EvaluationBoard::Injected() {
  const sim::SimulatedEvb* simulated = connection_.simulated();
  if (simulated == nullptr || !simulated->faultPlan) return std::nullopt;
  std::map<std::string, std::uint64_t> counts;
  for (std::size_t kind = 0; kind < sim::kFaultKindCount; ++kind) {
    const auto faultKind = static_cast<sim::FaultKind>(kind);
    counts[std::string(sim::FaultKindName(faultKind))] = simulated->faultPlan->Injected(faultKind);
  }
  return std::make_pair(simulated->faultPlan->Exchanges(), counts);
}

std::string EvaluationBoard::PublishedBoardName() {
  RequireOpen();
  return BoardName(connection_.bus(), options_.vendorId, options_.board);
}

void EvaluationBoard::ResetTrouble() {
  trouble_ = Trouble{};
  recorder_.TakeFaults();
  if (open_) connection_.session().exchange.ExchangeFailed = false;
}

void EvaluationBoard::ThrowTrouble(const std::string& what, bool failed) {
  const std::uint16_t errors = trouble_.comErrors;
  if (trouble_.linkLost || connection_.session().bridge.LinkLost()) {
    throw BoardError(ErrorKind::kLinkLost,
                     WithDetails(what + ": the link to the board was lost", trouble_));
  }
  // A reply lost once and brought by the retry is on record but carried its answer.
  if (connection_.session().exchange.ExchangeFailed) {
    throw BoardError(ErrorKind::kNoAnswer, WithDetails(what + ": no answer", trouble_));
  }
  if ((errors & kComErrNack) != 0) {
    throw BoardError(ErrorKind::kNak, WithDetails(what + ": NAK", trouble_));
  }
  if ((errors & kComErrCrc4) != 0) {
    throw BoardError(ErrorKind::kCrc, WithDetails(what + ": CRC error", trouble_));
  }
  if ((errors & kComErrNoAck) != 0) {
    throw BoardError(ErrorKind::kNoAnswer, WithDetails(what + ": no reply", trouble_));
  }
  if ((errors & kComErrBadResponse) != 0) {
    throw BoardError(ErrorKind::kBadResponse,
                     WithDetails(what + ": unrecognized response", trouble_));
  }
  if (failed) throw BoardError(ErrorKind::kGeneral, WithDetails(what + " failed", trouble_));
}

std::map<std::string, int> EvaluationBoard::Devices() const {
  RequireOpen();
  const SharedState& state = const_cast<BoardConnection&>(connection_).session().state;
  std::map<std::string, int> devices;
  // A family without a companion names no type 1.
  if (!state.PartName(0).empty()) devices[state.PartName(0)] = state.DeviceCount52400;
  if (!state.PartName(1).empty()) devices[state.PartName(1)] = state.DeviceCount52401;
  return devices;
}

std::map<std::string, int> EvaluationBoard::Identify() {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  Session& s = session();
  ResetTrouble();
  InitializeEvb(s);
  // Faults that a retry cured leave the chain found as it is; only a wrong chain raises.
  if (const auto shortfall = IdentifyShortfall(s, ExpectedChainOf(options_, s.state))) {
    const std::string what = "identify: " + *shortfall;
    ThrowTrouble(what, false);
    throw BoardError(ErrorKind::kNoAnswer, WithDetails(what, trouble_));
  }
  return Devices();
}

void EvaluationBoard::Command(const std::string& name) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  const NamedPanelCommand* command = PanelCommandNamed(name);
  if (command == nullptr) {
    throw std::invalid_argument("command takes one of " + PanelCommandNames(", ") + ", not '" +
                                name + "'");
  }
  Session& s = session();
  ResetTrouble();
  const bool done = RunNamedPanelCommand(s, *command);
  ThrowTrouble(name, !done);
}

void EvaluationBoard::ThrowUnread(const std::string& what,
                                  const std::vector<DeviceReading>& readings) {
  std::string devices;
  for (const DeviceReading& reading : readings) {
    if (reading.unread == 0) continue;
    devices += (devices.empty() ? "" : ", ") + connection_.session().state.PartName(reading.type) +
               " device " + std::to_string(reading.dev);
  }
  if (devices.empty()) return;
  throw BoardError(ErrorKind::kNoAnswer,
                   WithDetails(what + ": no reply from " + devices, trouble_));
}

std::vector<DeviceReading> EvaluationBoard::ReadAll(ReadAllClass kind) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  Session& s = session();
  ResetTrouble();
  const std::string what = std::string("read_all ") + ClassInfo(kind).name;
  Acquisition read(s);
  const bool done = qvm::ReadAll(s, kind);
  read.Close();
  std::vector<DeviceReading> readings = DeviceReadings(s, kind, read);
  ThrowTrouble(what, false);
  ThrowUnread(what, readings);
  ThrowTrouble(what, !done);
  return readings;
}

namespace {

DeviceCommand CommandFor(int dev, int page, int adr, int type) {
  if (dev < 0 || dev > 15) throw std::out_of_range("dev must be 0..15");
  if (page < 0 || page > 7) throw std::out_of_range("page must be 0..7");
  if (adr < 0 || adr > 63) throw std::out_of_range("adr must be 0..63");
  if (type < 0 || type > 1) throw std::out_of_range("type must be 0 or 1");
  DeviceCommand command;
  command.dev = static_cast<std::uint8_t>(dev);
  command.cat = static_cast<std::uint8_t>(page);
  command.adr = static_cast<std::uint8_t>(adr);
  command.devType = static_cast<std::int16_t>(type);
  return command;
}

}  // namespace

int EvaluationBoard::Read(int dev, int page, int adr, int type) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  DeviceCommand command = CommandFor(dev, page, adr, type);
  Session& s = session();
  ResetTrouble();
  s.state.SelectedDeviceType = static_cast<std::int16_t>(type);
  s.state.SelectedDevice = static_cast<std::int16_t>(dev);
  ReadSingleReg(s, command);
  ThrowTrouble("read", false);
  if (!s.LastReply.requestAnswered) {
    throw BoardError(ErrorKind::kNoAnswer,
                     WithDetails("read: no reply from " + s.state.PartName(type) + " device " +
                                     std::to_string(dev),
                                 trouble_));
  }
  return static_cast<std::uint16_t>(s.LastReply.requestValue);
}

void EvaluationBoard::Write(int dev, int page, int adr, int value, int type) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  DeviceCommand command = CommandFor(dev, page, adr, type);
  if (value < 0 || value > 0x3FFF) throw std::out_of_range("value must be 0..0x3FFF");
  Session& s = session();
  command.dat = static_cast<std::int16_t>(value);
  if (s.model.RegKind(type, command.RegisterIndex()) != kKindReadWrite) {
    throw std::invalid_argument("register page " + std::to_string(page) + " address " +
                                std::to_string(adr) + " is not writable");
  }
  ResetTrouble();
  s.state.SelectedDeviceType = static_cast<std::int16_t>(type);
  s.state.SelectedDevice = static_cast<std::int16_t>(dev);
  WriteSingleReg(s, command);
  ThrowTrouble("write", false);
}

void EvaluationBoard::SaveConfig(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  Session& s = session();
  ResetTrouble();
  if (const auto refused = WriteDestinationProblem(path)) {
    throw BoardError("save_config: cannot write " + path + ": " + refused->text,
                     refused->errorNumber, path);
  }
  std::string problem;
  if (!SaveConfigurationTo(s, files_, path, problem)) {
    ThrowTrouble("save_config: " + path + " not saved", false);
    throw BoardError(WithDetails("save_config: " + path + " not saved: " + problem, trouble_), EIO,
                     path);
  }
}

int EvaluationBoard::LoadConfig(const std::string& path) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  Session& s = session();
  const ConfigFileText file = ReadConfigFileText(path);
  if (!file.ok) throw BoardError("load_config: " + file.problem, file.errorNumber, path);
  ResetTrouble();
  const ConfigReplay replay = ReplayConfigFile(s, file.text);
  if (replay.refused) {
    throw BoardError("load_config: " + ConfigRefusalText(path, *replay.refused), EINVAL, path);
  }
  ThrowTrouble("load_config", false);
  if (replay.usableLines == 0) {
    throw BoardError("load_config: " + *ConfigReplayProblem(replay, path, s.state.PartName52400),
                     EINVAL, path);
  }
  if (const auto problem = ConfigReplayProblem(replay, path, s.state.PartName52400)) {
    throw BoardError(ErrorKind::kGeneral, "load_config: " + *problem);
  }
  return replay.writes;
}

std::shared_ptr<PollRun> EvaluationBoard::StartPoll(const PollSettings& settings) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  Session& s = session();
  if (lastRun_) FinishPoll(*lastRun_);
  lastRun_.reset();
  std::string error;
  if (!SelectPolledActions(settings.scans, settings.reads, s.state, error)) {
    throw std::invalid_argument(error);
  }
  s.state.UprPollingActive = settings.upr;
  ResetTrouble();
  for (const std::string& path : {settings.files.csvPath, settings.files.logPath}) {
    if (path.empty()) continue;
    if (const auto refused = WriteDestinationProblem(path)) {
      throw BoardError("poll: cannot write " + path + ": " + refused->text, refused->errorNumber,
                       path);
    }
  }
  auto run = std::make_shared<PollRun>(s, files_, time_, settings.intervalMs);
  view_.commLog = &run->Log();
  polling_.ticked = true;
  if (!run->Start(settings.files)) {
    view_.commLog = nullptr;
    const std::string& path =
        settings.files.csvPath.empty() ? settings.files.logPath : settings.files.csvPath;
    throw BoardError(WithDetails("poll: a record file was refused", trouble_), EIO, path);
  }
  lastRun_ = run;
  return run;
}

void EvaluationBoard::FinishPoll(PollRun& run) {
  const std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (run.Finished()) return;
  const bool written = run.Finish();
  view_.commLog = nullptr;
  polling_.ticked = false;
  if (!written) {
    throw BoardError(WithDetails("poll: a record line was not written", trouble_), EIO,
                     run.Files().csvPath);
  }
}

}  // namespace qvm::python
