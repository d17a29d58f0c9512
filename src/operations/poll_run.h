// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/fixed_answer_host.h"
#include "operations/polling_loop.h"
#include "protocol/acquisition.h"
#include "protocol/session.h"
#include "records/chart_csv_recorder.h"
#include "records/chart_store.h"
#include "records/comm_log.h"
#include "records/record_file_system.h"

namespace qvm {

// The files a polling run writes while it runs; empty paths are not written.
struct PollRunFiles {
  std::string csvPath;  // the chart export, a row per sample as it is taken
  std::string logPath;  // the communication log
};

// A polling run without windows, as qvmctl and the Python module run it: the ticks of the
// polling loop at a fixed period, "Read Volts" feeding the chart store, and the records
// written as the samples come. The program ticks its "Enable Polling" box before Start, and its
// view forwards the trace to `Log()`.
class PollRun {
 public:
  PollRun(Session& session, RecordFileSystem& files, LocalTimeSource& time, int intervalMs,
          char decimalSeparator = '.');
  ~PollRun();
  PollRun(const PollRun&) = delete;
  PollRun& operator=(const PollRun&) = delete;

  // Opens the files and switches polling on. False when a file was refused (the host has
  // said why); nothing is then left open.
  bool Start(const PollRunFiles& files);
  // Waits until the next tick is due (one interval after the previous tick began; at once
  // when that is past), in slices of at most `sliceMs`. False, without waiting further, as
  // soon as `interrupted` says so.
  bool WaitForTick(const std::function<bool()>& interrupted, std::int64_t sliceMs = 50);
  // One polling tick. True while polling is still on afterwards.
  bool Tick();
  // Writes the log's stop marker and closes the files. True when every record line was
  // written and every file closed. Runs once; the destructor runs it when nobody did.
  bool Finish();

  bool PollingOn() const;
  bool Finished() const { return finished_; }
  int Ticks() const { return ticks_; }
  // What the last tick read and the errors its exchanges met; nothing before the first tick.
  const Acquisition* LastTick() const { return lastTick_ ? &*lastTick_ : nullptr; }
  // Samples the chart store took in this run, including those it has since dropped.
  int Samples() const { return samples_; }
  ChartStore& Chart() { return chart_; }
  CommLog& Log() { return log_; }
  const ChartCsvRecorder& Csv() const { return csv_; }
  // The files the run was started with.
  const PollRunFiles& Files() const { return files_; }

 private:
  Session& session_;
  FixedAnswerHost logHost_;
  FixedAnswerHost csvHost_;
  RecordChannel csvChannel_;
  CommLog log_;
  ChartStore chart_;
  ChartCsvRecorder csv_;
  PollingView paint_;
  std::int64_t intervalMs_;
  std::int64_t lastTickMs_ = 0;
  std::optional<Acquisition> lastTick_;
  int ticks_ = 0;
  int samples_ = 0;
  bool csvOk_ = true;
  bool finished_ = true;
  PollRunFiles files_;
};

}  // namespace qvm
