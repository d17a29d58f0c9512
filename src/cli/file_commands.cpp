// SPDX-License-Identifier: MIT
#include "cli/file_commands.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "cli/poll_output.h"
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
#include "records/sample_json.h"
#include "records/write_destination.h"

namespace qvm::cli {

namespace {

// "3 of 10 ticks", or "3 ticks" for a poll without a count.
std::string TicksText(int ticks, const PollOptions& poll) {
  return std::to_string(ticks) + (poll.ticks > 0 ? " of " + std::to_string(poll.ticks) : "") +
         " ticks";
}

// Why polling was switched off while the board stayed attached.
std::string PollingStopReason(const SharedState& state) {
  if (!state.BadUprStatus) return "polling was switched off";
  return "the " + state.PartName(state.BadUprStatusType) + " UPR buffer status was " +
         Hex0x(*state.BadUprStatus, 2) + ", not 0x88";
}

}  // namespace

int RunSaveConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err) {
  if (const auto problem = WriteDestinationProblem(path)) {
    err << "qvmctl: cannot write the configuration file " << path << ": " << problem->text << '\n';
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
  if (const auto problem = ConfigReplayProblem(replay, path, cli.session().state.PartName52400)) {
    err << "qvmctl: " << *problem << '\n';
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
    if (const auto problem = WriteDestinationProblem(path)) {
      err << "qvmctl: cannot write the " << what << " " << path << ": " << problem->text << '\n';
      return 1;
    }
  }
  PollPublishing publishing;
  if (!publishing.Prepare(poll.mqtt, error)) {
    err << "qvmctl: " << error << '\n';
    return 2;
  }
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  SelectPolledActions(poll.scans, poll.reads, session.state, error);
  publishing.Start(session, cli.bus(), options, err);
  session.state.UprPollingActive = poll.upr;

  LocalFileSystem files;
  SystemLocalTime time;
  PollRun run(session, files, time, poll.intervalMs);
  cli.view().commLog = &run.Log();
  cli.polling().ticked = true;
  if (!run.Start({poll.csvPath, poll.logPath})) return 1;
  CliFaultRecorder& recorder = cli.recorder();

  std::vector<ReadAllClass> kinds;
  for (const std::string& name : poll.reads) {
    if (const auto kind = ReadAllClassNamed(name)) kinds.push_back(*kind);
  }
  const std::int64_t startMs = session.clock.NowMs();
  const std::int64_t endMs = startMs + std::int64_t{poll.durationSeconds} * 1000;
  const auto timeIsUp = [&] { return poll.durationSeconds > 0 && session.clock.NowMs() >= endMs; };
  int ticks = 0;
  bool lost = false;
  bool stoppedEarly = false;
  while ((poll.ticks == 0 || ticks < poll.ticks) && !timeIsUp()) {
    if (!run.WaitForTick([&] { return StopSignal() != 0 || timeIsUp(); })) break;
    run.Tick();
    if (session.bridge.LinkLost()) {
      err << "qvmctl: the board was lost after " << TicksText(ticks, poll) << ": "
          << session.bridge.LinkLostReason() << '\n';
      lost = poll.reconnectSeconds <= 0 || !Reconnect(cli, poll.reconnectSeconds, err);
      if (lost) break;
      cli.polling().ticked = true;
      cli.polling().enabled = true;
      continue;
    }
    if (!run.PollingOn()) {
      err << "qvmctl: polling terminated after " << TicksText(ticks, poll) << ": "
          << PollingStopReason(session.state) << '\n';
      stoppedEarly = true;
      break;
    }
    ++ticks;
    const TickReport report{session, run, poll.reads, startMs, std::chrono::system_clock::now()};
    const std::string json = options.json || publishing.Active()
                                 ? TickJson({session, *run.LastTick(), run.Ticks(),
                                             session.clock.NowMs() - startMs, report.time, kinds})
                                 : "";
    out << (options.json ? json : TickLine(report)) << '\n' << std::flush;
    publishing.Publish(json);
  }
  const bool logComplete = run.Log().Channel().FailureCount() == 0;
  const bool written = run.Finish();
  const std::uint64_t undelivered = publishing.Finish(err);
  cli.view().commLog = nullptr;
  if (!options.json) out << ticks << " ticks, " << run.Samples() << " chart samples\n";
  const int stopSignal = StopSignal();
  const bool openEnded = poll.ticks == 0 && poll.durationSeconds == 0;
  if (stopSignal != 0) {
    err << "qvmctl: poll stopped by signal " << stopSignal << " after " << TicksText(ticks, poll)
        << '\n';
    if (!openEnded) return 128 + stopSignal;
  }
  if (!logComplete) {
    err << "qvmctl: the communication log " << poll.logPath
        << " is incomplete: lines could not be written\n";
  } else if (!written) {
    err << "qvmctl: the CSV file " << poll.csvPath << " was not written in full\n";
  }
  if (lost || stoppedEarly || !logComplete || !written) return 1;
  if (recorder.ComErrorCount() > 0) {
    err << "qvmctl: " << recorder.ComErrorCount()
        << " communication errors were recorded; the affected samples carry their codes\n";
  }
  return recorder.ComErrorCount() > 0 || undelivered > 0 ? kPollCommunicationErrors : 0;
}

}  // namespace qvm::cli
