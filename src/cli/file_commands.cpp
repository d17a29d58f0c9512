#include "cli/file_commands.h"

#include <fstream>
#include <ostream>
#include <sstream>

#include "cli/json_output.h"
#include "cli/poll_reconnect.h"
#include "cli/stop_signal.h"
#include "config/configuration_file.h"
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
// communication errors of the sample it took (when it took one) and the values of the classes
// it read.
std::string TickJson(Session& session, PollRun& run, const std::vector<std::string>& reads,
                     int samplesBefore, std::int64_t startMs) {
  std::string text = "{\"tick\":" + std::to_string(run.Ticks()) +
                     ",\"time_ms\":" + std::to_string(session.clock.NowMs() - startMs);
  if (run.Samples() > samplesBefore) {
    const ChartStore& chart = run.Chart();
    text += ",\"com_errors\":" +
            JsonString(ComErrorCodes(chart.ComErrorFlags(chart.ChartSampleIndex() - 1)));
  }
  for (const std::string& name : reads) {
    if (const auto kind = ReadAllClassNamed(name)) {
      text += "," + JsonString(name) + ":" + JsonReadings(session, *kind);
    }
  }
  return text + "}";
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
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    err << "qvmctl: cannot read " << path << '\n';
    return 1;
  }
  std::stringstream text;
  text << file.rdbuf();
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  const int writes = ParseConfigFile(cli.session(), text.str());
  out << writes << " register writes\n";
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

  const std::int64_t startMs = session.clock.NowMs();
  int ticks = 0;
  bool lost = false;
  while (ticks < poll.ticks) {
    if (!run.WaitForTick([] { return StopSignal() != 0; })) break;
    const int samplesBefore = run.Samples();
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
      err << "qvmctl: polling stopped after " << ticks << " of " << poll.ticks << " ticks\n";
      break;
    }
    ++ticks;
    if (options.json) {
      out << TickJson(session, run, poll.reads, samplesBefore, startMs) << '\n' << std::flush;
    }
  }
  const bool written = run.Finish();
  cli.view().commLog = nullptr;
  if (!options.json) out << ticks << " ticks, " << run.Samples() << " chart samples\n";
  const int stopSignal = StopSignal();
  if (stopSignal != 0) {
    err << "qvmctl: poll stopped by signal " << stopSignal << " after " << ticks << " of "
        << poll.ticks << " ticks\n";
    return 128 + stopSignal;
  }
  return !lost && ticks == poll.ticks && written ? 0 : 1;
}

}  // namespace qvm::cli
