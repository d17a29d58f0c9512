// SPDX-License-Identifier: MIT
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mqtt/tick_publishing.h"
#include "python/evaluation_board.h"

namespace qvm::python {

// What `Evb.poll()` returns: an iterator that runs one polling tick per step and gives its
// sample. The interpreter lock is released while the board is talked to; Ctrl-C between two
// ticks (or during the wait for the next one) ends the run cleanly, its files complete, and
// raises KeyboardInterrupt. With `publishing`, each tick's JSON object (as qvmctl --json prints
// it, with the rig, the board and the chain) is queued to the MQTT broker as well; samples the
// broker did not get by the end raise PublishError once the files are complete.
class PollIterator {
 public:
  PollIterator(EvaluationBoard& board, std::shared_ptr<PollRun> run, std::optional<int> count,
               std::vector<ReadAllClass> reads, std::unique_ptr<TickPublishing> publishing = {},
               std::string url = {});
  ~PollIterator();
  PollIterator(const PollIterator&) = delete;
  PollIterator& operator=(const PollIterator&) = delete;

  pybind11::dict Next();
  // Ends the run early: the log's stop marker, the files closed, what is queued for the broker
  // sent (a few seconds at most); raises PublishError for samples it did not get.
  void Close();
  int Ticks() const { return run_->Ticks(); }
  int Samples() const { return run_->Samples(); }
  // "MQTT: connected", ...; None without publishing.
  std::optional<std::string> PublishingStatus() const;

 private:
  // The files: the log's stop marker, the files closed.
  void Finish();
  // Ends the run, the files first and then the publishing. A file's failure is raised; samples
  // not delivered raise PublishError when `raiseUndelivered`, else they are a warning.
  void End(bool raiseUndelivered);
  // Stops the publishing (once); the samples the broker did not get.
  std::uint64_t FinishPublishing();

  EvaluationBoard& board_;
  std::shared_ptr<PollRun> run_;
  std::optional<int> count_;
  std::vector<ReadAllClass> reads_;
  std::int64_t startMs_;
  std::unique_ptr<TickPublishing> publishing_;
  std::string url_;
  bool publishingDone_ = false;
};

// Warns with qvm.PublishWarning at the caller's line; throws error_already_set when the
// warning is turned into an error.
void WarnPublishing(const std::string& text);

// One device's reading as a dict: "type", "dev", then "pack" and "cells"; "internal" and
// "external"; or "registers" keyed by register index.
pybind11::dict ReadingDict(const Session& session, ReadAllClass kind, const DeviceReading& reading);

}  // namespace qvm::python
