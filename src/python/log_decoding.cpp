// SPDX-License-Identifier: MIT
#include "python/log_decoding.h"

#include <cerrno>
#include <deque>
#include <memory>

#include "protocol/frame_log_file.h"
#include "python/board_error.h"
#include "python/evaluation_board.h"

namespace py = pybind11;

namespace qvm::python {

namespace {

// Turns what the decoder finds into dictionaries, held until the iterator hands them out.
class DictSink final : public FrameLogSink {
 public:
  void Marker(const LogMarker& marker) override {
    py::dict item;
    item["kind"] = "marker";
    item["line"] = marker.line;
    item["started"] = marker.started;
    item["time"] = std::string(marker.time);
    items.push_back(std::move(item));
  }
  void Frame(const DecodedFrame& frame) override {
    py::dict item;
    item["kind"] = "frame";
    item["line"] = frame.line;
    item["direction"] = frame.direction == FrameDirection::Sent ? "sent" : "rcvd";
    item["request_line"] =
        frame.requestLine == 0 ? py::object(py::none()) : py::int_(frame.requestLine);
    item["type"] = std::string(frame.typeName);
    item["dev"] = frame.dev ? py::object(py::int_(*frame.dev)) : py::object(py::none());
    item["command"] = std::string(frame.command);
    item["page"] = frame.page;
    item["adr"] = frame.adr;
    item["register"] = std::string(frame.name);
    item["raw"] = frame.raw;
    item["value"] =
        frame.value ? py::object(py::float_(frame.value->value)) : py::object(py::none());
    item["unit"] =
        frame.value ? py::object(py::str(std::string(frame.value->unit))) : py::object(py::none());
    constexpr const char* kCrc[] = {nullptr, "good", "bad"};
    constexpr const char* kAck[] = {nullptr, "ACK", "NACK"};
    const char* crc = kCrc[static_cast<int>(frame.crc)];
    const char* ack = kAck[static_cast<int>(frame.ack)];
    item["crc"] = crc ? py::object(py::str(crc)) : py::object(py::none());
    item["ack"] = ack ? py::object(py::str(ack)) : py::object(py::none());
    items.push_back(std::move(item));
  }
  void Malformed(const MalformedLine& line) override {
    py::dict item;
    item["kind"] = "malformed";
    item["line"] = line.line;
    item["reason"] = line.reason;
    items.push_back(std::move(item));
  }

  std::deque<py::dict> items;
};

// Decodes a log a line at a time as Python asks for its transactions: constant memory.
class LogDecoding {
 public:
  LogDecoding(const std::string& path, const std::string& mode, const std::string& family)
      : path_(path) {
    std::string problem;
    if (!LoadDecodingTables(ModuleDataFolder(), family, model_, image_, state_, problem)) {
      throw BoardError(ErrorKind::kGeneral, problem);
    }
    if (!reader_.Open(path, problem)) throw BoardError(problem, errno == 0 ? EIO : errno, path);
    decoder_ = std::make_unique<FrameLogDecoder>(model_, state_, mode != "single");
  }

  py::dict Next() {
    while (sink_.items.empty() && !finished_) {
      if (DecodeNextLine(reader_, *decoder_, sink_)) continue;
      decoder_->Finish(sink_);
      finished_ = true;
      if (reader_.Failed()) throw BoardError(reader_.Problem(), EIO, path_);
    }
    if (sink_.items.empty()) throw py::stop_iteration();
    py::dict item = std::move(sink_.items.front());
    sink_.items.pop_front();
    return item;
  }

 private:
  std::string path_;
  RegisterModel model_;
  RegisterImage image_;
  SharedState state_;
  LineReader reader_;
  std::unique_ptr<FrameLogDecoder> decoder_;
  DictSink sink_;
  bool finished_ = false;
};

}  // namespace

void AddLogDecodingBindings(py::module_& m) {
  py::class_<LogDecoding>(m, "LogDecoding",
                          "Iterator over the transactions of a frame log, decoded as it is read.")
      .def("__iter__", [](LogDecoding& self) -> LogDecoding& { return self; })
      .def("__next__", &LogDecoding::Next);
  m.def(
      "decode_log",
      [](const std::string& path, const std::string& mode, const std::string& family) {
        return std::make_unique<LogDecoding>(path, mode, family);
      },
      py::arg("path"), py::arg("mode") = "daisy", py::arg("family") = "52400",
      "Decode a frame log (poll(log=...), qvmctl poll --log, the console's log file) as "
      "`qvmctl decode --json` does: an iterator of dicts, kind 'marker', 'frame' or "
      "'malformed', read line by line in constant memory. Raises FileRefusedError when the "
      "file cannot be read.");
}

}  // namespace qvm::python
