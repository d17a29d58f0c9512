#include "cli/panel_cli_commands.h"

#include <array>
#include <iomanip>
#include <optional>
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/cli_host.h"
#include "core/hex.h"
#include "model/decoders.h"
#include "operations/bulk_reads.h"
#include "operations/panel_commands.h"

namespace qvm::cli {

namespace {

struct NamedCommand {
  const char* name;
  const PanelCommand* command;  // nothing for "clear-faults"
};

constexpr std::array<NamedCommand, 12> kCommands = {{
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

// One class of registers in the table: its first address, how many, and how a value prints.
enum class Shown { kCellVolts, kTemps, kHex };

struct TableClass {
  const char* name;
  int first;
  int count;
  Shown shown;
};

constexpr std::array<TableClass, 4> kClasses = {{
    {"volts", kRegVbat, 13, Shown::kCellVolts},
    {"temps", kRegInternalTemp, 7, Shown::kTemps},
    {"faults", 0x80, 7, Shown::kHex},
    {"setups", 0x90, 14, Shown::kHex},
}};

constexpr int kColumnWidth = 9;

std::optional<TableClass> ClassNamed(const std::string& name) {
  for (const TableClass& table : kClasses) {
    if (name == table.name) return table;
  }
  return std::nullopt;
}

std::string ColumnTitle(const TableClass& table, int column) {
  switch (table.shown) {
    case Shown::kCellVolts:
      return column == 0 ? "VBAT" : "C" + std::to_string(column);
    case Shown::kTemps:
      return column == 0 ? "TINT" : "EXT" + std::to_string(column);
    case Shown::kHex:
      break;
  }
  return Hex0x(static_cast<std::uint32_t>(table.first + column), 2);
}

std::string Value(const Session& session, const TableClass& table, int type, int dev, int column) {
  const int address = table.first + column;
  const std::int16_t raw = session.image.at(type, dev, address);
  if (session.model.RegKind(type, address) == kKindUndefined) return "-";
  if (table.shown == Shown::kHex) return Hex0x(static_cast<std::uint16_t>(raw), 4);
  if (table.shown == Shown::kCellVolts) {
    return FormatVoltage(
        column == 0 ? DecodeVbatVoltage(session.model, raw) : DecodeCellVoltage(session.model, raw),
        '.');
  }
  if (column == 0)
    return FormatTemperature(DecodeInternalTemp(session.model, session.state, raw), '.');
  return FormatVoltage(DecodeExternalTemp(session.model, raw), '.');
}

void PrintTable(const Session& session, const TableClass& table, std::ostream& out) {
  out << std::left << std::setw(10) << "TYPE" << std::setw(4) << "DEV" << std::right;
  for (int column = 0; column < table.count; ++column) {
    out << std::setw(kColumnWidth) << ColumnTitle(table, column);
  }
  out << '\n';
  const std::array<int, 2> counts = {session.state.DeviceCount52400,
                                     session.state.DeviceCount52401};
  for (int type = 0; type < kDeviceTypes; ++type) {
    for (int dev = 1; dev <= counts[static_cast<std::size_t>(type)] && dev < kDevicesPerType;
         ++dev) {
      out << std::left << std::setw(10) << session.state.PartName(type) << std::setw(4) << dev
          << std::right;
      for (int column = 0; column < table.count; ++column) {
        out << std::setw(kColumnWidth) << Value(session, table, type, dev, column);
      }
      out << '\n';
    }
  }
}

bool ReadClass(Session& session, const std::string& name) {
  if (name == "volts") return ReadAllVolts(session);
  if (name == "temps") return ReadAllTemps(session);
  if (name == "faults") return ReadAllFaults(session);
  return ReadAllSetups(session);
}

}  // namespace

int RunReadAll(const DeviceOptions& options, const std::string& what, bool scanFirst,
               std::ostream& out, std::ostream& err) {
  const std::optional<TableClass> table = ClassNamed(what);
  if (!table) {
    err << "qvmctl: readall takes volts, temps, faults or setups, not '" << what << "'\n";
    return 2;
  }
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, options, err)) return 1;
  Session& session = cli.session();
  if (scanFirst && !qvm::RunPanelCommand(session, kScanAllAll)) {
    err << "qvmctl: the scan did not complete\n";
    return 1;
  }
  if (!ReadClass(session, what)) {
    err << "qvmctl: the read did not complete\n";
    return 1;
  }
  PrintTable(session, *table, out);
  return 0;
}

int RunPanelCommand(const DeviceOptions& options, const std::string& name, std::ostream& out,
                    std::ostream& err) {
  const NamedCommand* chosen = nullptr;
  for (const NamedCommand& entry : kCommands) {
    if (name == entry.name) chosen = &entry;
  }
  if (chosen == nullptr) {
    err << "qvmctl: command takes one of " << PanelCommandNames() << ", not '" << name << "'\n";
    return 2;
  }
  DeviceOptions logged = options;
  logged.verbose = true;
  CliSession cli(out, err);
  if (!ConnectQuietly(cli, logged, err)) return 1;
  Session& session = cli.session();
  if (chosen->command == nullptr) {
    ClearAllFaults(session);
    return session.exchange.ExchangeFailed ? 1 : 0;
  }
  if (!qvm::RunPanelCommand(session, *chosen->command)) {
    err << "qvmctl: the command did not complete\n";
    return 1;
  }
  return 0;
}

std::string PanelCommandNames() {
  std::string names;
  for (const NamedCommand& entry : kCommands) {
    if (!names.empty()) names += '|';
    names += entry.name;
  }
  return names;
}

}  // namespace qvm::cli
