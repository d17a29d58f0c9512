// SPDX-License-Identifier: MIT
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "python/evaluation_board.h"

namespace qvm::python {

// What `Evb.poll()` returns: an iterator that runs one polling tick per step and gives its
// sample. The interpreter lock is released while the board is talked to; Ctrl-C between two
// ticks (or during the wait for the next one) ends the run cleanly, its files complete, and
// raises KeyboardInterrupt.
class PollIterator {
 public:
  PollIterator(EvaluationBoard& board, std::shared_ptr<PollRun> run, std::optional<int> count,
               std::vector<ReadAllClass> reads);
  ~PollIterator();
  PollIterator(const PollIterator&) = delete;
  PollIterator& operator=(const PollIterator&) = delete;

  pybind11::dict Next();
  // Ends the run early: the log's stop marker, the files closed.
  void Close();
  int Ticks() const { return run_->Ticks(); }
  int Samples() const { return run_->Samples(); }

 private:
  void Finish();

  EvaluationBoard& board_;
  std::shared_ptr<PollRun> run_;
  std::optional<int> count_;
  std::vector<ReadAllClass> reads_;
  std::int64_t startMs_;
};

// One device's reading as a dict: "type", "dev", then "pack" and "cells"; "internal" and
// "external"; or "registers" keyed by register index.
pybind11::dict ReadingDict(const Session& session, ReadAllClass kind, const DeviceReading& reading);

}  // namespace qvm::python
