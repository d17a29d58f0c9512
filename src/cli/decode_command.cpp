// SPDX-License-Identifier: MIT
#include "cli/decode_command.h"

#include <ostream>

#include "cli/decoded_frame_output.h"
#include "operations/board_connection.h"
#include "protocol/frame_log_file.h"

namespace qvm::cli {

namespace {

constexpr int kUnreadable = 1;
constexpr int kFaultsFound = 3;

std::string Plural(std::size_t count, const std::string& what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

}  // namespace

CLI::App* AddDecodeCommand(CLI::App& app, DecodeOptions& options) {
  auto* decode = app.add_subcommand(
      "decode",
      "decode a frame log (poll --log, the console's log file) into register transactions; "
      "--mode and --family say how it was recorded; exit status 3 when malformed lines or bad "
      "CRC4s were found");
  decode->add_option("LOGFILE", options.path, "the frame log to decode")->required();
  decode->add_flag("--json", options.json, "print one JSON object per transaction");
  return decode;
}

int RunDecode(const DecodeOptions& options, const DeviceOptions& device, std::ostream& out,
              std::ostream& err) {
  RegisterModel model;
  RegisterImage image;
  SharedState state;
  const std::string folder = device.dataFolder.empty() ? ProgramFolder() : device.dataFolder;
  std::string problem;
  if (!LoadDecodingTables(folder, device.family, model, image, state, problem)) {
    err << "qvmctl: " << problem << '\n';
    return kUnreadable;
  }
  FrameLogDecoder decoder(model, state, device.mode != "single");
  DecodedFrameOutput output(out, options.json || device.json);
  const bool read = DecodeFrameLogFile(options.path, decoder, output, problem);
  output.Flush();
  if (!read) {
    err << "qvmctl: " << problem << '\n';
    return kUnreadable;
  }
  if (output.malformed == 0 && output.badCrc == 0) return 0;
  err << "qvmctl: " << options.path << ": " << Plural(output.malformed, "malformed line") << " and "
      << Plural(output.badCrc, "bad CRC4") << " in " << decoder.LineNumber()
      << " lines, the first at line " << output.firstFault << '\n';
  return kFaultsFound;
}

}  // namespace qvm::cli
