#include "cli/qvmctl.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ostream>

#include "cli/boards_command.h"
#include "cli/device_commands.h"
#include "cli/encode_command.h"
#include "cli/file_commands.h"
#include "core/number_text.h"
#include "cli/panel_cli_commands.h"
#include "sim/faults/fault_list.h"

namespace qvm::cli {

namespace {

// A numeric option given as decimal or 0x-prefixed text.
struct NumberOption {
  std::string text;
  std::uint32_t max;
  const char* name;
};

bool ReadNumber(const NumberOption& option, std::uint32_t& value, std::ostream& err) {
  const auto parsed = ParseNumberText(option.text, option.max);
  if (!parsed) {
    err << "qvmctl: " << option.name << " must be a number from 0 to " << option.max
        << " (decimal or 0x hexadecimal), not '" << option.text << "'\n";
    return false;
  }
  value = *parsed;
  return true;
}

std::string VendorIdText(std::uint16_t vendorId) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", vendorId);
  return text;
}

}  // namespace

int RunQvmctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"qvmctl: command-line front end of the battery-monitor evaluation console"};
  app.require_subcommand(1);

  DeviceOptions device;
  app.add_option("--sim", device.simChain,
                 "run on the simulated board, e.g. daisy:52400x3, daisy:52400x3+52401x2, "
                 "single:38817");
  app.add_option("--sim-faults", device.simFaults, sim::FaultListHelp());
  app.add_option("--sim-seed", device.simSeed,
                 "seed of the simulated board's noise and faults, for repeatable runs (default 1)");
  NumberOption vid{"", 0xFFFF, "--vid"};
  app.add_option("--vid", vid.text,
                 "USB vendor id of the bridge boards, e.g. 0x1A86 (default: the build's, " +
                     VendorIdText(kBridgeVendorId) + ")");
  app.add_option("--board", device.board, "instance number of the bridge board (default 0)")
      ->check(CLI::Range(0, 63));
  app.add_option("--mode", device.mode, "daisy or single (from --sim when simulating)");
  app.add_option("--family", device.family,
                 "52400, 52400+52401 or 38817 (from --sim when simulating)");
  app.add_option("--stack", device.stackSize, "devices per type in a daisy chain, 1..14");
  app.add_flag("--frames", device.showFrames, "print every SPI frame sent and received");
  app.add_flag("--json", device.json,
               "print JSON: one document for boards, identify, read and readall, one object "
               "per tick for poll");

  auto* encode = app.add_subcommand("encode", "print the encoded frame of a device command");
  bool daisy = false;
  bool single = false;
  NumberOption dev{"0", 15, "--dev"};
  NumberOption cat{"0", 15, "--cat"};
  NumberOption adr{"0", 63, "--adr"};
  NumberOption dat{"0", 0x3FFF, "--dat"};
  auto* daisyFlag = encode->add_flag("--daisy", daisy, "daisy-chain frame with CRC4");
  encode->add_flag("--single", single, "single-device frame")->excludes(daisyFlag);
  encode->add_option("--dev", dev.text, "device number 0..15 (daisy chain only)");
  encode->add_option("--cat", cat.text, "category: page in bits 2..0, write in bit 3")->required();
  encode->add_option("--adr", adr.text, "address within the page, 0..63")->required();
  encode->add_option("--dat", dat.text, "14-bit data")->required();

  auto* boards = app.add_subcommand("boards", "list the attached bridge boards");

  auto* identify = app.add_subcommand("identify", "configure the bridge and identify the devices");

  bool verboseAccess = false;
  auto* read = app.add_subcommand("read", "read one register and print its value");
  NumberOption readDev{"", 15, "DEV"};
  NumberOption readPage{"", 7, "PAGE"};
  NumberOption readAdr{"", 63, "ADR"};
  NumberOption readType{"0", 1, "--type"};
  read->add_option("DEV", readDev.text, "device number")->required();
  read->add_option("PAGE", readPage.text, "register page 0..7")->required();
  read->add_option("ADR", readAdr.text, "address within the page 0..63")->required();
  read->add_option("--type", readType.text, "device type: 0 primary, 1 companion");
  read->add_flag("-v,--verbose", verboseAccess, "print the activity log too");

  auto* write = app.add_subcommand("write", "write one register");
  NumberOption writeDev{"", 15, "DEV"};
  NumberOption writePage{"", 7, "PAGE"};
  NumberOption writeAdr{"", 63, "ADR"};
  NumberOption writeValue{"", 0x3FFF, "VALUE"};
  NumberOption writeType{"0", 1, "--type"};
  write->add_option("DEV", writeDev.text, "device number")->required();
  write->add_option("PAGE", writePage.text, "register page 0..7")->required();
  write->add_option("ADR", writeAdr.text, "address within the page 0..63")->required();
  write->add_option("VALUE", writeValue.text, "14-bit value")->required();
  write->add_option("--type", writeType.text, "device type: 0 primary, 1 companion");
  write->add_flag("-v,--verbose", verboseAccess, "print the activity log too");

  auto* readall = app.add_subcommand("readall", "read one class of registers of every device");
  std::string readallClass;
  readall->add_option("CLASS", readallClass, "volts, temps, faults or setups")->required();
  readall->add_flag("-v,--verbose", verboseAccess, "print the activity log too");
  bool scanFirst = false;
  readall->add_flag("--scan", scanFirst, "have every device scan everything first (Scan All)");

  auto* command = app.add_subcommand("command", "send one command of the command panel");
  std::string commandName;
  command->add_option("NAME", commandName, PanelCommandNames())->required();

  auto* saveConfig =
      app.add_subcommand("save-config", "read every device's setup and save it to FILE");
  std::string configPath;
  saveConfig->add_option("FILE", configPath, "configuration file to write")->required();
  saveConfig->add_flag("-v,--verbose", verboseAccess, "print the activity log too");
  auto* loadConfig = app.add_subcommand("load-config", "write a configuration FILE to the devices");
  loadConfig->add_option("FILE", configPath, "configuration file to replay")->required();
  loadConfig->add_flag("-v,--verbose", verboseAccess, "print the activity log too");

  auto* poll = app.add_subcommand(
      "poll",
      "run the polling loop N times; exit status 1 when polling was terminated or a file was "
      "not written in full, 3 when communication errors were recorded");
  PollOptions pollOptions;
  poll->add_option("N", pollOptions.ticks, "number of polling ticks")
      ->required()
      ->check(CLI::Range(1, 1000000));
  poll->add_option("--interval", pollOptions.intervalMs, "milliseconds between ticks")
      ->check(CLI::Range(0, 60000));
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
      ->check(CLI::Range(0, 86400));
  poll->add_flag("-v,--verbose", verboseAccess, "print the activity log too");

  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }

  if (encode->parsed()) {
    if (!daisy && !single) {
      err << "qvmctl: encode needs --daisy or --single\n";
      return 2;
    }
    EncodeOptions options;
    options.daisy = daisy;
    if (!ReadNumber(dev, options.dev, err) || !ReadNumber(cat, options.cat, err) ||
        !ReadNumber(adr, options.adr, err) || !ReadNumber(dat, options.dat, err)) {
      return 2;
    }
    return RunEncode(options, out);
  }
  if (device.simChain.empty() && (!device.simFaults.empty() || app.count("--sim-seed") > 0)) {
    err << "qvmctl: --sim-faults and --sim-seed need --sim\n";
    return 2;
  }
  if (!vid.text.empty()) {
    std::uint32_t vendorId = 0;
    if (!ReadNumber(vid, vendorId, err)) return 2;
    device.vendorId = static_cast<std::uint16_t>(vendorId);
  }
  if (boards->parsed()) return RunBoards(device, out, err);
  if (identify->parsed()) return RunIdentify(device, out, err);
  if (readall->parsed()) {
    device.verbose = verboseAccess;
    return RunReadAll(device, readallClass, scanFirst, out, err);
  }
  if (command->parsed()) return RunPanelCommand(device, commandName, out, err);
  if (saveConfig->parsed() || loadConfig->parsed()) {
    device.verbose = verboseAccess;
    return saveConfig->parsed() ? RunSaveConfig(device, configPath, out, err)
                                : RunLoadConfig(device, configPath, out, err);
  }
  if (poll->parsed()) {
    device.verbose = verboseAccess;
    return RunPoll(device, pollOptions, out, err);
  }
  if (read->parsed() || write->parsed()) {
    const bool reading = read->parsed();
    device.verbose = verboseAccess;
    RegisterTarget target;
    if (!ReadNumber(reading ? readDev : writeDev, target.dev, err) ||
        !ReadNumber(reading ? readPage : writePage, target.page, err) ||
        !ReadNumber(reading ? readAdr : writeAdr, target.adr, err) ||
        !ReadNumber(reading ? readType : writeType, target.devType, err)) {
      return 2;
    }
    if (reading) return RunRead(device, target, out, err);
    std::uint32_t value = 0;
    if (!ReadNumber(writeValue, value, err)) return 2;
    return RunWrite(device, target, value, out, err);
  }
  return 2;
}

}  // namespace qvm::cli
