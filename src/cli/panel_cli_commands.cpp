// SPDX-License-Identifier: MIT
#include "cli/panel_cli_commands.h"

#include <iomanip>
#include <optional>
#include <ostream>

#include "cli/cli_host.h"
#include "operations/named_actions.h"
#include "operations/read_all_classes.h"
#include "records/sample_json.h"

namespace qvm::cli {

namespace {

constexpr int kColumnWidth = 9;

// The table of what `read` read: "--" for a value it did not read, "-" where the register is
// not defined.
void PrintTable(const Session& session, ReadAllClass kind, const Acquisition& read,
                std::ostream& out) {
  const int columns = ClassInfo(kind).columns;
  out << std::left << std::setw(10) << "TYPE" << std::setw(4) << "DEV" << std::right;
  for (int column = 0; column < columns; ++column) {
    out << std::setw(kColumnWidth) << ColumnTitle(kind, column);
  }
  out << '\n';
  for (const DeviceReading& reading : DeviceReadings(session, kind, read)) {
    out << std::left << std::setw(10) << session.state.PartName(reading.type) << std::setw(4)
        << reading.dev << std::right;
    for (int column = 0; column < columns; ++column) {
      out << std::setw(kColumnWidth) << ReadingText(kind, reading, column);
    }
    out << '\n';
  }
}

}  // namespace

int RunReadAll(const DeviceOptions& options, const std::string& what, bool scanFirst,
               std::ostream& out, std::ostream& err) {
  const std::optional<ReadAllClass> kind = ReadAllClassNamed(what);
  if (!kind) {
    err << "qvmctl: readall takes " << ReadAllClassNames() << ", not '" << what << "'\n";
    return 2;
  }
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  if (scanFirst && !RunPanelCommand(session, kScanAllAll)) {
    err << "qvmctl: the scan did not complete\n";
    return 1;
  }
  Acquisition read(session);
  const bool done = ReadAll(session, *kind);
  read.Close();
  if (options.json) {
    out << JsonReadings(session, *kind, read) << '\n';
  } else {
    PrintTable(session, *kind, read, out);
  }
  if (!done) {
    err << "qvmctl: the read failed: "
        << (read.Failed() ? ComErrorSummary(session, read.Errors()) : "the bridge did not answer")
        << '\n';
    return 1;
  }
  return 0;
}

int RunPanelCommand(const DeviceOptions& options, const std::string& name, std::ostream& out,
                    std::ostream& err) {
  const NamedPanelCommand* chosen = PanelCommandNamed(name);
  if (chosen == nullptr) {
    err << "qvmctl: command takes one of " << PanelCommandNames() << ", not '" << name << "'\n";
    return 2;
  }
  DeviceOptions logged = options;
  logged.verbose = true;
  logged.logIsResult = true;
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, logged, err)) return 1;
  Session& session = cli.session();
  Acquisition run(session);
  if (!RunNamedPanelCommand(session, *chosen)) {
    err << "qvmctl: the command failed: "
        << (run.Failed() ? ComErrorSummary(session, run.Errors()) : "the bridge did not answer")
        << '\n';
    return 1;
  }
  return 0;
}

std::string PanelCommandNames() {
  return qvm::PanelCommandNames("|");
}

}  // namespace qvm::cli
