#include "cli/file_commands.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "cli/json_output.h"
#include "cli/poll_reconnect.h"
#include "cli/stop_signal.h"
#include "config/config_file_text.h"
#include "config/configuration_file.h"
#include "config/device_config_read.h"
#include "core/hex.h"
#include "operations/bulk_reads.h"
#include "operations/named_actions.h"
#include "operations/poll_run.h"
#include "operations/read_all_classes.h"
#include "records/chart_export.h"
#include "records/local_file_system.h"
#include "records/local_time.h"
#include "records/record_channel.h"

namespace qvm::cli {

namespace {

// One JSON object for a tick: its number, the milliseconds since the run began, the
// communication errors of its exchanges and the values of the classes it read, null where it
// did not read them.
std::string TickJson(Session& session, PollRun& run, const std::vector<std::string>& reads,
                     std::int64_t startMs) {
  const Acquisition& tick = *run.LastTick();
  std::string text = "{\"tick\":" + std::to_string(run.Ticks()) +
                     ",\"time_ms\":" + std::to_string(session.clock.NowMs() - startMs) +
                     ",\"com_errors\":" + JsonString(ComErrorCodes(tick.Errors().flags));
  for (const std::string& name : reads) {
    if (const auto kind = ReadAllClassNamed(name)) {
      text += "," + JsonString(name) + ":" + JsonReadings(session, *kind, tick);
    }
  }
  return text + "}";
}

// Why polling was switched off while the board stayed attached.
std::string PollingStopReason(const SharedState& state) {
  if (!state.BadUprStatus) return "polling was switched off";
  return "the " + state.PartName(state.BadUprStatusType) + " UPR buffer status was " +
         Hex0x(*state.BadUprStatus, 2) + ", not 0x88";
}

// Why no new file can be written at `path`, or nothing when one can.
std::optional<std::string> DestinationProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
  if (fs::is_directory(file, ec)) return "it is a folder";
  if (const auto target = DanglingLinkTarget(path)) {
    return "it is a symbolic link to " + *target + ", which does not exist";
  }
  if (LocalFileSystem().FileInUse(path)) return "it is open in another program";
  const std::string target = fs::exists(file, ec) ? path : folder.string();
  if (::access(target.c_str(), W_OK) != 0) return std::strerror(errno);
  return std::nullopt;
}

}  // namespace

int RunSaveConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err) {
  if (const auto problem = DestinationProblem(path)) {
    err << "qvmctl: cannot write the configuration file " << path << ": " << *problem << '\n';
    return 1;
  }
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  LocalFileSystem files;
  std::string problem;
  if (!SaveConfigurationTo(cli.session(), files, path, problem)) {
    err << "qvmctl: " << path << " not saved: " << problem << '\n';
    return 1;
  }
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
  if (replay.refused) {
    err << "qvmctl: " << ConfigRefusalText(path, *replay.refused) << '\n';
    return 1;
  }
  out << ConfigReplaySummary(replay) << '\n';
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
  std::string error;
  if (!SelectPolledActions(poll.scans, poll.reads, selection, error)) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  // A destination that cannot take the CSV or the log is refused before anything is polled.
  for (const auto& [what, path] :
       {std::pair{"CSV file", poll.csvPath}, std::pair{"communication log", poll.logPath}}) {
    if (path.empty()) continue;
    if (const auto problem = DestinationProblem(path)) {
      err << "qvmctl: cannot write the " << what << " " << path << ": " << *problem << '\n';
      return 1;
    }
  }
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  SelectPolledActions(poll.scans, poll.reads, session.state, error);
  session.state.UprPollingActive = poll.upr;

  LocalFileSystem files;
  SystemLocalTime time;
  PollRun run(session, files, time, poll.intervalMs);
  cli.view().commLog = &run.Log();
  cli.polling().ticked = true;
  if (!run.Start({poll.csvPath, poll.logPath})) return 1;
  CliFaultRecorder& recorder = cli.recorder();

  const std::int64_t startMs = session.clock.NowMs();
  int ticks = 0;
  bool lost = false;
  while (ticks < poll.ticks) {
    if (!run.WaitForTick([] { return StopSignal() != 0; })) break;
    run.Tick();
    if (session.bridge.LinkLost()) {
      err << "qvmctl: the board was lost after " << ticks << " of " << poll.ticks
          << " ticks: " << session.bridge.LinkLostReason() << '\n';
      lost = poll.reconnectSeconds <= 0 || !Reconnect(cli, poll.reconnectSeconds, err);
      if (lost) break;
      cli.polling().ticked = true;
      cli.polling().enabled = true;
      continue;
    }
    if (!run.PollingOn()) {
      err << "qvmctl: polling terminated after " << ticks << " of " << poll.ticks
          << " ticks: " << PollingStopReason(session.state) << '\n';
      break;
    }
    ++ticks;
    if (options.json) {
      out << TickJson(session, run, poll.reads, startMs) << '\n' << std::flush;
    }
  }
  const bool logComplete = run.Log().Channel().FailureCount() == 0;
  const bool written = run.Finish();
  cli.view().commLog = nullptr;
  if (!options.json) out << ticks << " ticks, " << run.Samples() << " chart samples\n";
  const int stopSignal = StopSignal();
  if (stopSignal != 0) {
    err << "qvmctl: poll stopped by signal " << stopSignal << " after " << ticks << " of "
        << poll.ticks << " ticks\n";
    return 128 + stopSignal;
  }
  if (!logComplete) {
    err << "qvmctl: the communication log " << poll.logPath
        << " is incomplete: lines could not be written\n";
  } else if (!written) {
    err << "qvmctl: the CSV file " << poll.csvPath << " was not written in full\n";
  }
  if (lost || ticks != poll.ticks || !written) return 1;
  if (recorder.ComErrorCount() > 0) {
    err << "qvmctl: " << recorder.ComErrorCount()
        << " communication errors were recorded; the affected samples carry their codes\n";
    return kPollCommunicationErrors;
  }
  return 0;
}

}  // namespace qvm::cli
