#include "cli/file_commands.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/poll_reconnect.h"
#include "cli/stop_signal.h"
#include "config/config_file_text.h"
#include "config/configuration_file.h"
#include "operations/bulk_reads.h"
#include "operations/polling_loop.h"
#include "records/chart_export.h"
#include "records/chart_store.h"
#include "records/comm_log.h"
#include "records/local_file_system.h"
#include "records/local_time.h"
#include "records/record_channel.h"

namespace qvm::cli {

namespace {

// Sets the polling flags named in `names` from `flags`; false with a message for an unknown
// name.
bool SelectActions(const std::vector<std::string>& names,
                   const std::map<std::string, bool SharedState::*>& flags, SharedState& state,
                   const char* what, std::ostream& err) {
  for (const std::string& name : names) {
    const auto flag = flags.find(name);
    if (flag == flags.end()) {
      err << "qvmctl: " << what << " takes ";
      for (auto it = flags.begin(); it != flags.end(); ++it) {
        err << (it == flags.begin() ? "" : ", ") << it->first;
      }
      err << ", not '" << name << "'\n";
      return false;
    }
    state.*(flag->second) = true;
  }
  return true;
}

// Why no new file can be written at `path`, or nothing when one can.
std::optional<std::string> DestinationProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
  if (fs::is_directory(file, ec)) return "it is a folder";
  if (LocalFileSystem().FileInUse(path)) return "it is open in another program";
  const std::string target = fs::exists(file, ec) ? path : folder.string();
  if (::access(target.c_str(), W_OK) != 0) return std::strerror(errno);
  return std::nullopt;
}

}  // namespace

int RunSaveConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err) {
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  ReadAllSetups(session);
  LocalFileSystem files;
  RecordChannel channel(kConfigExportChannel, cli.host(), files, session.bridge.MessageTitle);
  cli.host().fileAnswer = path;
  if (!SaveDeviceConfig(session, channel)) return 1;
  out << "saved " << path << '\n';
  return 0;
}

int RunLoadConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err) {
  const ConfigFileText file = ReadConfigFileText(path);
  if (!file.ok) {
    err << "qvmctl: " << file.problem << '\n';
    return 1;
  }
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  const ConfigReplay replay = ReplayConfigFile(cli.session(), file.text);
  out << replay.writes << " register writes\n";
  if (replay.usableLines == 0) {
    err << "qvmctl: " << path << " holds no usable lines (write lines such as "
        << "wrt," << cli.session().state.PartName52400 << ",dev0x01,cat0x0A,adr0x10,dat0x1234)\n";
    return 1;
  }
  if (replay.writes == 0) {
    err << "qvmctl: nothing was applied: no line names a writable register of a device present\n";
    return 1;
  }
  if (replay.failedWrites > 0) {
    err << "qvmctl: " << replay.failedWrites << " of " << replay.writes
        << " register writes were not acknowledged\n";
    return 1;
  }
  return 0;
}

int RunPoll(const DeviceOptions& options, const PollOptions& poll, std::ostream& out,
            std::ostream& err) {
  CliSession cli(out, err);
  SharedState selection;
  const std::map<std::string, bool SharedState::*> scans = {{"all", &SharedState::PollScanAll},
                                                            {"mixed", &SharedState::PollScanMixed},
                                                            {"volts", &SharedState::PollScanVolts},
                                                            {"temps", &SharedState::PollScanTemps},
                                                            {"wires", &SharedState::PollScanWires}};
  const std::map<std::string, bool SharedState::*> reads = {
      {"volts", &SharedState::PollReadVolts},
      {"temps", &SharedState::PollReadTemps},
      {"faults", &SharedState::PollReadFaults},
      {"setups", &SharedState::PollReadSetups}};
  if (!SelectActions(poll.scans, scans, selection, "--scan", err) ||
      !SelectActions(poll.reads, reads, selection, "--read", err)) {
    return 2;
  }
  // The CSV is written after the polling: a destination that cannot take it is refused first.
  if (!poll.csvPath.empty()) {
    if (const auto problem = DestinationProblem(poll.csvPath)) {
      err << "qvmctl: cannot write the CSV file " << poll.csvPath << ": " << *problem << '\n';
      return 1;
    }
  }
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  for (const auto& [name, flag] : scans) session.state.*flag = selection.*flag;
  for (const auto& [name, flag] : reads) session.state.*flag = selection.*flag;
  session.state.UprPollingActive = poll.upr;

  LocalFileSystem files;
  SystemLocalTime time;
  CommLog log(cli.host(), files, time, session.bridge.MessageTitle);
  if (!poll.logPath.empty()) {
    cli.host().fileAnswer = poll.logPath;
    if (log.LogStart().empty()) return 1;
    cli.view().commLog = &log;
  }
  ChartStore chart(session.model, session.image, session.state, session.clock, time);
  chart.Initialize(true, true);
  // Communication errors mark the sample being acquired, as the console's fault windows do.
  CliFaultRecorder& recorder = cli.recorder();
  recorder.chart = &chart;
  PollingView paint;
  paint.addToCharts = [&chart] { chart.AddNewVoltageDataToChartArray(); };

  CliPollingTimer& timer = cli.polling();
  timer.ticked = true;
  timer.enabled = true;
  int ticks = 0;
  bool lost = false;
  // Ticks start an interval apart, as the console's timer fires them; a tick that outlasts the
  // interval is followed at once.
  std::int64_t due = session.clock.NowMs();
  while (ticks < poll.ticks && StopSignal() == 0) {
    const std::int64_t now = session.clock.NowMs();
    if (due > now) session.clock.SleepMs(due - now);
    due = std::max(due, now) + poll.intervalMs;
    PollingTick(session, paint);
    if (session.bridge.LinkLost()) {
      err << "qvmctl: the board was lost after " << ticks << " of " << poll.ticks
          << " ticks: " << session.bridge.LinkLostReason() << '\n';
      lost = poll.reconnectSeconds <= 0 || !Reconnect(cli, poll.reconnectSeconds, err);
      if (lost) break;
      timer.ticked = true;
      timer.enabled = true;
      continue;
    }
    if (!timer.ticked) {
      err << "qvmctl: polling terminated after " << ticks << " of " << poll.ticks
          << " ticks: the board stopped answering\n";
      break;
    }
    ++ticks;
  }
  const int stopSignal = StopSignal();
  if (stopSignal != 0) {
    err << "qvmctl: poll stopped by signal " << stopSignal << " after " << ticks << " of "
        << poll.ticks << " ticks\n";
  }
  bool logComplete = true;
  if (!poll.logPath.empty()) {
    cli.view().commLog = nullptr;
    log.LogStop();
    logComplete = log.Channel().FailureCount() == 0;
  }
  recorder.chart = nullptr;
  out << ticks << " ticks, " << (chart.ChartStarted() ? chart.ChartSampleIndex() : 0)
      << " chart samples\n";
  bool csvWritten = true;
  if (!poll.csvPath.empty()) {
    RecordChannel channel(kChartExportChannel, cli.host(), files, session.bridge.MessageTitle);
    cli.host().fileAnswer = poll.csvPath;
    csvWritten = ExportCSV(chart, channel, cli.host(), session.bridge.MessageTitle, '.');
  }
  if (!logComplete) {
    err << "qvmctl: the communication log " << poll.logPath
        << " is incomplete: lines could not be written\n";
  }
  if (!csvWritten) err << "qvmctl: the CSV file " << poll.csvPath << " was not written in full\n";
  if (stopSignal != 0) return 128 + stopSignal;
  if (lost || ticks != poll.ticks || !logComplete || !csvWritten) return 1;
  if (recorder.ComErrorCount() > 0) {
    err << "qvmctl: " << recorder.ComErrorCount()
        << " communication errors were recorded; the affected samples carry their codes\n";
    return kPollCommunicationErrors;
  }
  return 0;
}

}  // namespace qvm::cli
