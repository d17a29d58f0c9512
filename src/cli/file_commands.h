// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/poll_publishing.h"

namespace qvm::cli {

// `save-config FILE`: reads every device's setup registers, then writes the configuration
// file. 1 when the file was not written in full.
int RunSaveConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err);

// `load-config FILE`: replays a configuration file into the devices and prints how many
// register writes it made and which lines it skipped. 1 when the file cannot be read, holds a
// write line that cannot be sent as it stands (then nothing is written), or its writes were not
// all applied.
int RunLoadConfig(const DeviceOptions& options, const std::string& path, std::ostream& out,
                  std::ostream& err);

// What `poll` does on every tick and where it writes.
struct PollOptions {
  int ticks = 0;            // 0: no count
  int durationSeconds = 0;  // 0: no time limit
  int intervalMs = 500;
  bool upr = false;
  std::vector<std::string> scans;  // all, mixed, volts, temps, wires
  std::vector<std::string> reads;  // volts, temps, faults, setups
  std::string csvPath;             // the chart rows, written as the samples are taken
  std::string logPath;             // every SPI frame, as the communication log writes it
  int reconnectSeconds = 0;        // how long to wait for a lost board; 0: give up at once
  MqttOptions mqtt;                // every tick published to a broker as well
};

// Exit status of a poll that ran all its ticks and wrote its files while communication errors
// were recorded (the CSV marks the samples they touched).
inline constexpr int kPollCommunicationErrors = 3;

// `poll [N]`: runs the polling loop N times, or for `durationSeconds`, whichever ends first, or
// until Ctrl-C when neither is given, feeding "Read Volts" into the chart store and the CSV file
// as the samples are taken; prints one line (or JSON object) per tick. A tick that lost the
// board runs again once Reconnect brought it back (with `reconnectSeconds`). 2 for an unknown
// scan or read name, 1 when polling stopped early or a file was not written in full (the CSV
// destination is checked before polling), 128 + the signal number after Ctrl-C or SIGTERM
// before the count or duration was reached (0 for a poll without either),
// kPollCommunicationErrors when communication errors were recorded, 0 otherwise; an open log
// gets its stop marker in every case.
int RunPoll(const DeviceOptions& options, const PollOptions& poll, std::ostream& out,
            std::ostream& err);

}  // namespace qvm::cli
