#include "cli/qvmctl.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/boards_command.h"
#include "cli/encode_command.h"
#include "cli/number_text.h"

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

}  // namespace

int RunQvmctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"qvmctl: command-line front end of the battery-monitor evaluation console"};
  app.require_subcommand(1);

  std::string simChain;
  app.add_option("--sim", simChain,
                 "run on the simulated board, e.g. daisy:52400x3, daisy:52400x3+52401x2, "
                 "single:38817");

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
  if (boards->parsed()) return RunBoards(simChain, out, err);
  return 2;
}

}  // namespace qvm::cli
