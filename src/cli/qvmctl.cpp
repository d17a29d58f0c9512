// SPDX-License-Identifier: MIT
#include "cli/qvmctl.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <limits>
#include <ostream>

#include "cli/boards_command.h"
#include "cli/decode_command.h"
#include "cli/device_commands.h"
#include "cli/encode_command.h"
#include "cli/file_commands.h"
#include "cli/option_checks.h"
#include "cli/panel_cli_commands.h"
#include "cli/usage_first_formatter.h"
#include "core/version.h"
#include "sim/faults/fault_list.h"

namespace qvm::cli {

namespace {

// Exit status of a malformed command line.
constexpr int kMalformed = 2;

constexpr const char* kExitStatuses =
    "Exit status:\n"
    "  0       success (--help and --version included)\n"
    "  1       a failure after the command line was read: no board, no access to it, no device\n"
    "          answered, a failed exchange, a refused or incomplete file, polling terminated\n"
    "  2       a malformed command line\n"
    "  3       poll ran to its end while communication errors were recorded, or samples were\n"
    "          not delivered to the --mqtt broker\n"
    "  128+N   poll stopped by signal N (130: Ctrl-C) before its count or duration\n";

std::string VendorIdText(std::uint16_t vendorId) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", vendorId);
  return text;
}

// A parser's message on one line.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

int RunQvmctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Command-line front end of the battery-monitor evaluation console.", "qvmctl"};
  app.formatter(std::make_shared<UsageFirstFormatter>());
  app.require_subcommand(1);
  // Global options may also follow the subcommand: `readall volts --json`.
  app.fallthrough();
  app.set_version_flag("--version", "qvmctl " + ProgramVersion(), "print the version and exit");

  DeviceOptions device;
  app.add_option("--sim", device.simChain,
                 "run on the simulated board, e.g. daisy:52400x3, daisy:52400x3+52401x2, "
                 "single:38817")
      ->check(ChainText());
  app.add_option("--sim-faults", device.simFaults, sim::FaultListHelp())->check(FaultListText());
  app.add_option("--sim-seed", device.simSeed,
                 "seed of the simulated board's noise and faults, for repeatable runs (default 1)")
      ->transform(NumberIn(0, std::numeric_limits<std::uint32_t>::max()));
  app.add_option("--vid", device.vendorId,
                 "USB vendor id of the bridge boards, e.g. 0x1A86 (default: the build's, " +
                     VendorIdText(kBridgeVendorId) + ")")
      ->transform(NumberIn(0, 0xFFFF));
  app.add_option("--board", device.board,
                 "the bridge board by its number, serial number or device node, as boards "
                 "lists them (default: the first)");
  app.add_option("--mode", device.mode, "daisy or single (from --sim when simulating)")
      ->check(CLI::IsMember({"daisy", "single"}));
  app.add_option("--family", device.family,
                 "52400, 52400+52401 or 38817 (from --sim when simulating)")
      ->check(CLI::IsMember({"52400", "52400+52401", "38817"}));
  app.add_option("--stack", device.stackSize, "devices per type in a daisy chain, 1..14")
      ->transform(NumberIn(1, 14));
  app.add_flag("--frames", device.showFrames,
               "print every SPI frame sent and received (on standard error)");
  app.add_flag("--json", device.json,
               "print JSON: one document for boards, identify, read and readall, one object "
               "per tick for poll");

  auto* encode = app.add_subcommand("encode", "print the encoded frame of a device command");
  bool daisy = false;
  bool single = false;
  EncodeOptions encoding;
  auto* daisyFlag = encode->add_flag("--daisy", daisy, "daisy-chain frame with CRC4");
  encode->add_flag("--single", single, "single-device frame")->excludes(daisyFlag);
  encode->add_option("--dev", encoding.dev, "device number 0..15 (daisy chain only)")
      ->transform(NumberIn(0, 15));
  encode->add_option("--cat", encoding.cat, "category: page in bits 2..0, write in bit 3")
      ->required()
      ->transform(NumberIn(0, 15));
  encode->add_option("--adr", encoding.adr, "address within the page, 0..63")
      ->required()
      ->transform(NumberIn(0, 63));
  encode->add_option("--dat", encoding.dat, "14-bit data")
      ->required()
      ->transform(NumberIn(0, 0x3FFF));

  auto* boards = app.add_subcommand("boards", "list the attached bridge boards");

  DecodeOptions decodeOptions;
  auto* decode = AddDecodeCommand(app, decodeOptions);

  auto* identify = app.add_subcommand("identify", "configure the bridge and identify the devices");

  bool verboseAccess = false;
  const std::string verboseHelp = "print the activity log too (on standard error)";
  RegisterTarget target;
  auto* read = app.add_subcommand("read", "read one register and print its value");
  read->add_option("DEV", target.dev, "device number")->required()->transform(NumberIn(0, 15));
  read->add_option("PAGE", target.page, "register page 0..7")
      ->required()
      ->transform(NumberIn(0, 7));
  read->add_option("ADR", target.adr, "address within the page 0..63")
      ->required()
      ->transform(NumberIn(0, 63));
  read->add_option("--type", target.devType, "device type: 0 primary, 1 companion")
      ->transform(NumberIn(0, 1));
  read->add_flag("-v,--verbose", verboseAccess, verboseHelp);

  auto* write = app.add_subcommand("write", "write one register");
  std::uint32_t writeValue = 0;
  write->add_option("DEV", target.dev, "device number")->required()->transform(NumberIn(0, 15));
  write->add_option("PAGE", target.page, "register page 0..7")
      ->required()
      ->transform(NumberIn(0, 7));
  write->add_option("ADR", target.adr, "address within the page 0..63")
      ->required()
      ->transform(NumberIn(0, 63));
  write->add_option("VALUE", writeValue, "14-bit value")
      ->required()
      ->transform(NumberIn(0, 0x3FFF));
  write->add_option("--type", target.devType, "device type: 0 primary, 1 companion")
      ->transform(NumberIn(0, 1));
  write->add_flag("-v,--verbose", verboseAccess, verboseHelp);

  auto* readall = app.add_subcommand("readall", "read one class of registers of every device");
  std::string readallClass;
  readall->add_option("CLASS", readallClass, "volts, temps, faults or setups")->required();
  readall->add_flag("-v,--verbose", verboseAccess, verboseHelp);
  bool scanFirst = false;
  readall->add_flag("--scan", scanFirst, "have every device scan everything first (Scan All)");

  auto* command = app.add_subcommand("command", "send one command of the command panel");
  std::string commandName;
  command->add_option("NAME", commandName, PanelCommandNames())->required();

  auto* saveConfig =
      app.add_subcommand("save-config", "read every device's setup and save it to FILE");
  std::string configPath;
  saveConfig->add_option("FILE", configPath, "configuration file to write")->required();
  saveConfig->add_flag("-v,--verbose", verboseAccess, verboseHelp);
  auto* loadConfig = app.add_subcommand("load-config", "write a configuration FILE to the devices");
  loadConfig->add_option("FILE", configPath, "configuration file to replay")->required();
  loadConfig->add_flag("-v,--verbose", verboseAccess, verboseHelp);

  auto* poll = app.add_subcommand(
      "poll",
      "run the polling loop N times, for --duration SECONDS, or until Ctrl-C; one line (or JSON "
      "object) per tick. Exit status 1 when polling was terminated or a file was not written in "
      "full, 3 when communication errors were recorded, 128+N after signal N before the count "
      "or duration was reached");
  PollOptions pollOptions;
  poll->add_option("N", pollOptions.ticks, "number of polling ticks (default: no limit)")
      ->transform(NumberIn(1, 1000000));
  poll->add_option("--duration", pollOptions.durationSeconds,
                   "stop after SECONDS (with N: whichever comes first)")
      ->transform(NumberIn(1, 31536000));
  poll->add_option("--interval", pollOptions.intervalMs, "milliseconds between ticks")
      ->transform(NumberIn(0, 60000));
  poll->add_flag("--upr", pollOptions.upr, "read the bridge's UPR buffers (daisy chain)");
  poll->add_option("--scan", pollOptions.scans,
                   "scan on every tick: all, mixed, volts, temps, wires");
  poll->add_option("--read", pollOptions.reads, "read on every tick: volts, temps, faults, setups");
  poll->add_option("--csv", pollOptions.csvPath,
                   "write each chart sample to this CSV file as it is taken");
  poll->add_option("--log", pollOptions.logPath, "log every SPI frame to this file");
  poll->add_option("--reconnect", pollOptions.reconnectSeconds,
                   "when the board is lost, wait up to SECONDS for it to come back, identify "
                   "again and go on (default: stop with an error)")
      ->transform(NumberIn(0, 86400));
  poll->add_option(
      "--mqtt", pollOptions.mqtt.url,
      "also publish every tick (its JSON object with rig, board and chain) to "
      "mqtt://HOST[:PORT]/TOPIC (mqtts:// for TLS); a retained status on TOPIC/status");
  poll->add_option("--mqtt-qos", pollOptions.mqtt.qos,
                   "0 or 1 (default 1: resent until the "
                   "broker has it)")
      ->transform(NumberIn(0, 1));
  poll->add_option("--rig", pollOptions.mqtt.rig,
                   "the rig's name in the messages (default: the "
                   "host's name)");
  poll->add_option("--mqtt-user", pollOptions.mqtt.user,
                   "user name at the broker; the password "
                   "comes from --mqtt-password-file or QVM_MQTT_PASSWORD");
  poll->add_option("--mqtt-password-file", pollOptions.mqtt.passwordFile,
                   "file whose first line is the broker password");
  poll->add_option("--mqtt-ca", pollOptions.mqtt.caFile,
                   "certificate authority file of an mqtts:// broker");
  poll->add_flag("-v,--verbose", verboseAccess, verboseHelp);

  auto* send = app.add_subcommand(
      "send", "send a raw frame as the raw message sender does and print the frame and the reply");
  RawFrame rawFrame;
  send->add_option("--dev", rawFrame.dev, "device number 0..15 (daisy chain only)")
      ->transform(NumberIn(0, 15));
  send->add_option("--cat", rawFrame.cat,
                   "category: page in bits 2..0, write in bit 3 (8 and above write)")
      ->required()
      ->transform(NumberIn(0, 15));
  send->add_option("--adr", rawFrame.adr, "address within the page, 0..63")
      ->required()
      ->transform(NumberIn(0, 63));
  send->add_option("--dat", rawFrame.dat, "14-bit data (default 0)")
      ->transform(NumberIn(0, 0x3FFF));
  send->add_option("--type", rawFrame.devType, "device type: 0 primary, 1 companion")
      ->transform(NumberIn(0, 1));
  send->add_flag("-v,--verbose", verboseAccess, verboseHelp);

  app.footer(kExitStatuses);

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    // --help is no error: CLI11 prints it on the output stream.
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      return app.exit(e, out, err);
    }
    err << "qvmctl: " << OneLine(e.what()) << " (qvmctl --help lists the options)\n";
    return kMalformed;
  }

  if (encode->parsed()) {
    if (!daisy && !single) {
      err << "qvmctl: encode needs --daisy or --single\n";
      return kMalformed;
    }
    encoding.daisy = daisy;
    return RunEncode(encoding, out);
  }
  if (device.simChain.empty() && (!device.simFaults.empty() || app.count("--sim-seed") > 0)) {
    err << "qvmctl: --sim-faults and --sim-seed need --sim\n";
    return kMalformed;
  }
  device.verbose = verboseAccess;
  if (decode->parsed()) return RunDecode(decodeOptions, device, out, err);
  if (boards->parsed()) return RunBoards(device, out, err);
  if (identify->parsed()) return RunIdentify(device, out, err);
  if (readall->parsed()) return RunReadAll(device, readallClass, scanFirst, out, err);
  if (command->parsed()) return RunPanelCommand(device, commandName, out, err);
  if (saveConfig->parsed()) return RunSaveConfig(device, configPath, out, err);
  if (loadConfig->parsed()) return RunLoadConfig(device, configPath, out, err);
  if (poll->parsed()) return RunPoll(device, pollOptions, out, err);
  if (read->parsed()) return RunRead(device, target, out, err);
  if (write->parsed()) return RunWrite(device, target, writeValue, out, err);
  if (send->parsed()) return RunSend(device, rawFrame, out, err);
  return kMalformed;
}

}  // namespace qvm::cli
