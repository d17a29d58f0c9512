// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "operations/board_connection.h"
#include "operations/poll_run.h"
#include "operations/read_all_classes.h"
#include "python/board_error.h"
#include "python/python_outside.h"
#include "records/local_file_system.h"
#include "records/local_time.h"

namespace qvm::python {

// What a poll does on every tick and where it writes.
struct PollSettings {
  int intervalMs = 500;
  bool upr = false;
  std::vector<std::string> scans;
  std::vector<std::string> reads;
  PollRunFiles files;
};

// One board opened from Python: the core's board connection with a host, view and fault
// recorder that keep what went wrong, so every operation can raise with the reason. None of
// its members touches Python objects; the bindings call them with the interpreter lock
// released, and one operation at a time runs (Python threads may share a board).
class EvaluationBoard {
 public:
  // Connects and identifies; throws BoardError when that fails or no device answered.
  explicit EvaluationBoard(const ConnectOptions& options);
  ~EvaluationBoard();
  EvaluationBoard(const EvaluationBoard&) = delete;
  EvaluationBoard& operator=(const EvaluationBoard&) = delete;

  void Close();
  bool Closed() const { return !open_; }

  // Devices per part name, as identification found them.
  std::map<std::string, int> Devices() const;
  // Identifies the chain again; throws when no device answers or the chain found is not the
  // one expected (the stack size, or the simulated chain).
  std::map<std::string, int> Identify();
  // A command of the command panel by name ("scan-all", ... "clear-faults").
  void Command(const std::string& name);
  // Reads one class of registers of every device.
  std::vector<DeviceReading> ReadAll(ReadAllClass kind);
  int Read(int dev, int page, int adr, int type);
  void Write(int dev, int page, int adr, int value, int type);
  // Reads the setup registers, then writes the configuration file.
  void SaveConfig(const std::string& path);
  // Replays a configuration file; the number of register writes.
  int LoadConfig(const std::string& path);

  // Starts a polling run, finishing the previous one; throws when a file is refused.
  std::shared_ptr<PollRun> StartPoll(const PollSettings& settings);
  // Ends the run: the log's stop marker, the files closed; throws when a record was lost.
  void FinishPoll(PollRun& run);
  // Forgets the problems of earlier operations.
  void ResetTrouble();
  // Throws for a link lost or communication errors since the last reset, naming `what`.
  void ThrowTrouble(const std::string& what, bool failed);
  // Newly raised device faults since the last call.
  std::vector<std::string> TakeFaults() { return recorder_.TakeFaults(); }
  const Trouble& trouble() const { return trouble_; }

  // Held for one polling tick.
  std::recursive_mutex& Mutex() { return mutex_; }
  // The last poll's run (its chart store), or null.
  std::shared_ptr<PollRun> LastRun() const { return lastRun_; }
  Session& session();
  bool Simulated();
  // The simulated board's exchanges so far and the faults it injected per kind ("crc", ...);
  // nothing on a real board.
  std::optional<std::pair<std::uint64_t, std::map<std::string, std::uint64_t>>> Injected();
  std::vector<std::string> ActivityLog() const { return view_.Lines(); }
  // The board's name in published samples: its serial number, else its device node.
  std::string PublishedBoardName();

 private:
  void RequireOpen() const;
  // Throws NoAnswerError naming the devices whose values the read did not bring.
  void ThrowUnread(const std::string& what, const std::vector<DeviceReading>& readings);

  const ConnectOptions options_;
  std::recursive_mutex mutex_;
  Trouble trouble_;
  ScriptHost host_;
  ScriptView view_;
  ScriptFaultRecorder recorder_;
  FlagPollingTimer polling_;
  LocalFileSystem files_;
  SystemLocalTime time_;
  BoardConnection connection_;
  std::shared_ptr<PollRun> lastRun_;
  bool open_ = false;
};

// The folder the tab definition files lie in beside this module.
std::string ModuleDataFolder();

}  // namespace qvm::python
