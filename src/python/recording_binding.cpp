// SPDX-License-Identifier: MIT
#include "python/recording_binding.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>

#include "python/board_error.h"
#include "records/recording_file.h"

namespace py = pybind11;

namespace qvm::python {

namespace {

constexpr std::int16_t kUnreadWord = std::numeric_limits<std::int16_t>::min();

Recording LoadRecording(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BoardError(path + ": " + std::strerror(errno), errno, path);
  Recording recording;
  std::string error;
  if (!ReadRecording(in, 0, recording, error)) throw BoardError(path + ": " + error, EINVAL, path);
  return recording;
}

// Values `first` .. `first + width - 1` of every device of every sample, shaped
// [sample, device, width] (or [sample, device] for a width of 1).
py::array_t<double> Values(const Recording& r, int first, int width) {
  const auto n = static_cast<py::ssize_t>(r.Samples());
  const auto devices = static_cast<py::ssize_t>(r.devices);
  std::vector<py::ssize_t> shape = {n, devices};
  if (width > 1) shape.push_back(width);
  py::array_t<double> values(shape);
  double* out = values.mutable_data();
  for (std::size_t s = 0; s < r.Samples(); ++s) {
    for (int d = 0; d < r.devices; ++d) {
      for (int v = 0; v < width; ++v) *out++ = r.Value(s, d, first + v);
    }
  }
  return values;
}

py::array_t<std::int16_t> FaultWords(const Recording& r, int word) {
  py::array_t<std::int16_t> words(
      {static_cast<py::ssize_t>(r.Samples()), static_cast<py::ssize_t>(r.devices)});
  std::int16_t* out = words.mutable_data();
  for (std::size_t i = static_cast<std::size_t>(word); i < r.faults.size(); i += 2) {
    *out++ =
        r.faults[i] == kRecordedFaultUnread ? kUnreadWord : static_cast<std::int16_t>(r.faults[i]);
  }
  return words;
}

}  // namespace

void AddRecordingBindings(py::module_& m) {
  py::class_<Recording>(
      m, "Recording",
      "A chart recording read back from its CSV file (a chart export or a file recorded while "
      "polling). Arrays are indexed [sample, device - 1, ...] like chart_store(); a value the "
      "row left empty (never read) is NaN, a fault word -32768.")
      .def("__len__", &Recording::Samples)
      .def_readonly("devices", &Recording::devices, "Devices per row.")
      .def_readonly("rows_in_file", &Recording::rowsInFile, "Rows read from the file.")
      .def_property_readonly(
          "stopped_at",
          [](const Recording& r) -> py::object {
            if (r.stoppedAt.empty()) return py::none();
            return py::str(r.stoppedAt);
          },
          "None when every line was read; else the line where reading stopped, and why.")
      .def_readonly("times", &Recording::times, "The time of day of each row, as written.")
      .def_property_readonly("elapsed_min",
                             [](const Recording& r) {
                               return py::array_t<double>(py::ssize_t(r.Samples()),
                                                          r.minutes.data());
                             })
      .def_property_readonly("com_errors",
                             [](const Recording& r) {
                               return py::array_t<std::uint16_t>(py::ssize_t(r.Samples()),
                                                                 r.comErrors.data());
                             })
      .def_property_readonly("cell_volts",
                             [](const Recording& r) { return Values(r, 0, kRecordedCells); })
      .def_property_readonly("pack_volts",
                             [](const Recording& r) { return Values(r, kRecordedCells, 1); })
      .def_property_readonly("ic_temp",
                             [](const Recording& r) { return Values(r, kRecordedCells + 1, 1); })
      .def_property_readonly(
          "et_volts",
          [](const Recording& r) { return Values(r, kRecordedCells + 2, kRecordedInputs); })
      .def_property_readonly("fault_status_a", [](const Recording& r) { return FaultWords(r, 0); })
      .def_property_readonly("fault_status_b", [](const Recording& r) { return FaultWords(r, 1); });
  m.def("load_recording", &LoadRecording, py::arg("path"),
        "Read a chart recording (CSV). Raises FileRefusedError when the file cannot be read or "
        "holds no recording; a file cut short loads up to the bad line, which stopped_at names.");
}

}  // namespace qvm::python
