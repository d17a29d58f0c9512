// SPDX-License-Identifier: MIT
#include "python/poll_iterator.h"

#include <chrono>

#include "records/chart_export.h"
#include "records/sample_json.h"

namespace py = pybind11;

namespace qvm::python {

namespace {

// What is queued for the broker when a run ends goes out for this long at most.
constexpr std::chrono::seconds kPublishFlush{5};

bool Finalizing() {
#if PY_VERSION_HEX >= 0x030D0000
  return Py_IsFinalizing() != 0;
#else
  return _Py_IsFinalizing() != 0;
#endif
}

py::object Value(const std::optional<double>& value, bool raw) {
  if (!value) return py::none();
  if (raw) return py::int_(static_cast<std::uint16_t>(*value));
  return py::float_(*value);
}

py::list Values(const DeviceReading& reading, std::size_t first, bool raw) {
  py::list values;
  for (std::size_t i = first; i < reading.values.size(); ++i) {
    values.append(Value(reading.values[i], raw));
  }
  return values;
}

}  // namespace

py::dict ReadingDict(const Session& session, ReadAllClass kind, const DeviceReading& reading) {
  py::dict device;
  device["type"] = session.state.PartName(reading.type);
  device["dev"] = reading.dev;
  device["errors"] = reading.comErrors;
  const ReadAllClassInfo& info = ClassInfo(kind);
  switch (info.shown) {
    case ReadAllShown::kVolts:
      device["pack"] = Value(reading.values[0], false);
      device["cells"] = Values(reading, 1, false);
      break;
    case ReadAllShown::kTemps:
      device["internal"] = Value(reading.values[0], false);
      device["external"] = Values(reading, 1, false);
      break;
    case ReadAllShown::kRaw: {
      py::dict registers;
      for (int column = 0; column < info.columns; ++column) {
        registers[py::int_(info.firstRegister + column)] =
            Value(reading.values[static_cast<std::size_t>(column)], true);
      }
      device["registers"] = registers;
      break;
    }
  }
  return device;
}

void WarnPublishing(const std::string& text) {
  const py::object category = py::module_::import("qvm._qvm").attr("PublishWarning");
  if (PyErr_WarnEx(category.ptr(), text.c_str(), 1) < 0) throw py::error_already_set();
}

PollIterator::PollIterator(EvaluationBoard& board, std::shared_ptr<PollRun> run,
                           std::optional<int> count, std::vector<ReadAllClass> reads,
                           std::unique_ptr<TickPublishing> publishing, std::string url)
    : board_(board),
      run_(std::move(run)),
      count_(count),
      reads_(std::move(reads)),
      startMs_(board.session().clock.NowMs()),
      publishing_(std::move(publishing)),
      url_(std::move(url)) {}

PollIterator::~PollIterator() {
  try {
    End(false);
  } catch (const BoardError&) {
    // A destructor cannot raise; an explicit close() or the end of the loop reports it.
  } catch (py::error_already_set& raised) {
    raised.discard_as_unraisable(__func__);
  }
}

void PollIterator::Finish() {
  if (run_->Finished() || board_.Closed()) return;
  board_.FinishPoll(*run_);
}

std::uint64_t PollIterator::FinishPublishing() {
  if (!publishing_ || publishingDone_) return 0;
  publishingDone_ = true;
  PublisherCounts counts;
  if (PyGILState_Check() != 0 && !Finalizing()) {
    py::gil_scoped_release release;
    counts = publishing_->Finish(kPublishFlush);
  } else {
    counts = publishing_->Finish(std::chrono::milliseconds{0});
  }
  return counts.dropped;
}

void PollIterator::End(bool raiseUndelivered) {
  std::exception_ptr fileFailure;
  try {
    Finish();
  } catch (const BoardError&) {
    fileFailure = std::current_exception();
  }
  const std::string state =
      publishing_ && !publishingDone_ ? publishing_->Publisher().StateText() : std::string();
  if (const std::uint64_t undelivered = FinishPublishing(); undelivered > 0) {
    const std::string text = "poll: " + UndeliveredText(undelivered, url_, state);
    if (raiseUndelivered && !fileFailure) throw BoardError(ErrorKind::kPublish, text);
    if (!Finalizing()) WarnPublishing(text);
  }
  if (fileFailure) std::rethrow_exception(fileFailure);
}

void PollIterator::Close() {
  End(true);
}

std::optional<std::string> PollIterator::PublishingStatus() const {
  if (!publishing_) return std::nullopt;
  const SamplePublisher& publisher = publishing_->Publisher();
  return PublishingStatusText(publisher.StateText(), publisher.Counts());
}

py::dict PollIterator::Next() {
  if (run_->Finished() || board_.Closed()) {
    End(true);
    throw py::stop_iteration();
  }
  if (!run_->PollingOn()) {
    End(false);
    board_.ThrowTrouble("poll", true);
  }
  if (count_ && run_->Ticks() >= *count_) {
    End(true);
    throw py::stop_iteration();
  }
  bool interrupted = false;
  {
    py::gil_scoped_release release;
    run_->WaitForTick([&interrupted] {
      py::gil_scoped_acquire acquire;
      interrupted = PyErr_CheckSignals() != 0;
      return interrupted;
    });
  }
  if (interrupted) {
    py::error_already_set pending;
    End(false);
    throw pending;
  }
  const int samplesBefore = run_->Samples();
  {
    py::gil_scoped_release release;
    const std::lock_guard<std::recursive_mutex> lock(board_.Mutex());
    board_.ResetTrouble();
    run_->Tick();
  }
  Session& session = board_.session();
  // A board that is gone ends the run; its samples would hold nothing.
  if (session.bridge.LinkLost()) {
    End(false);
    board_.ThrowTrouble("poll", true);
  }
  // Ctrl-C during the tick ends the run here, its files complete, as it does between two ticks;
  // raised later, in the loop's body, it would leave them open until the iterator goes.
  if (PyErr_CheckSignals() != 0) {
    py::error_already_set pending;
    End(false);
    throw pending;
  }
  const Acquisition& tick = *run_->LastTick();
  const std::int64_t timeMs = session.clock.NowMs() - startMs_;
  if (publishing_) {
    publishing_->Publish(
        TickJson({session, tick, run_->Ticks(), timeMs, std::chrono::system_clock::now(), reads_}));
  }
  py::dict sample;
  sample["tick"] = run_->Ticks();
  sample["time_ms"] = timeMs;
  const ChartStore& chart = run_->Chart();
  const bool stored = run_->Samples() > samplesBefore;
  sample["elapsed_min"] =
      stored ? py::object(py::float_(chart.ElapsedMinutes(chart.ChartSampleIndex() - 1)))
             : py::object(py::none());
  sample["errors"] = tick.Errors().flags;
  sample["error_codes"] = ComErrorCodes(tick.Errors().flags);
  py::list faults;
  for (const std::string& fault : board_.TakeFaults()) faults.append(fault);
  sample["faults"] = faults;
  for (const ReadAllClass kind : reads_) {
    py::list devices;
    for (const DeviceReading& reading : DeviceReadings(session, kind, tick)) {
      devices.append(ReadingDict(session, kind, reading));
    }
    sample[ClassInfo(kind).name] = devices;
  }
  return sample;
}

}  // namespace qvm::python
