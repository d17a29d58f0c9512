// SPDX-License-Identifier: MIT
#include "python/poll_iterator.h"

#include "records/chart_export.h"

namespace py = pybind11;

namespace qvm::python {

namespace {

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

PollIterator::PollIterator(EvaluationBoard& board, std::shared_ptr<PollRun> run,
                           std::optional<int> count, std::vector<ReadAllClass> reads)
    : board_(board),
      run_(std::move(run)),
      count_(count),
      reads_(std::move(reads)),
      startMs_(board.session().clock.NowMs()) {}

PollIterator::~PollIterator() {
  try {
    Finish();
  } catch (const BoardError&) {
    // A destructor cannot raise; an explicit close() or the end of the loop reports it.
  }
}

void PollIterator::Finish() {
  if (run_->Finished() || board_.Closed()) return;
  board_.FinishPoll(*run_);
}

void PollIterator::Close() {
  Finish();
}

py::dict PollIterator::Next() {
  if (run_->Finished() || board_.Closed()) throw py::stop_iteration();
  if (!run_->PollingOn()) {
    Finish();
    board_.ThrowTrouble("poll", true);
  }
  if (count_ && run_->Ticks() >= *count_) {
    Finish();
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
    Finish();
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
    Finish();
    board_.ThrowTrouble("poll", true);
  }
  const Acquisition& tick = *run_->LastTick();
  py::dict sample;
  sample["tick"] = run_->Ticks();
  sample["time_ms"] = session.clock.NowMs() - startMs_;
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
