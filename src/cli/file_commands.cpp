#include "cli/file_commands.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

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
  PollingView paint;
  paint.addToCharts = [&chart] { chart.AddNewVoltageDataToChartArray(); };

  CliPollingTimer& timer = cli.polling();
  timer.ticked = true;
  timer.enabled = true;
  int ticks = 0;
  // Ticks start an interval apart, as the console's timer fires them; a tick that outlasts the
  // interval is followed at once.
  std::int64_t due = session.clock.NowMs();
  for (; ticks < poll.ticks && timer.ticked; ++ticks) {
    const std::int64_t now = session.clock.NowMs();
    if (due > now) session.clock.SleepMs(due - now);
    due = std::max(due, now) + poll.intervalMs;
    PollingTick(session, paint);
  }
  if (!poll.logPath.empty()) {
    cli.view().commLog = nullptr;
    log.LogStop();
  }
  out << ticks << " ticks, " << (chart.ChartStarted() ? chart.ChartSampleIndex() : 0)
      << " chart samples\n";
  bool written = true;
  if (!poll.csvPath.empty()) {
    RecordChannel channel(kChartExportChannel, cli.host(), files, session.bridge.MessageTitle);
    cli.host().fileAnswer = poll.csvPath;
    written = ExportCSV(chart, channel, cli.host(), session.bridge.MessageTitle, '.');
  }
  return timer.ticked && written ? 0 : 1;
}

}  // namespace qvm::cli
