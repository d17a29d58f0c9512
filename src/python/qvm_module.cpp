// SPDX-License-Identifier: MIT
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <variant>

#include "core/version.h"
#include "model/decoders.h"
#include "mqtt/tick_publishing.h"
#include "python/evaluation_board.h"
#include "python/log_decoding.h"
#include "python/poll_iterator.h"
#include "python/recording_binding.h"

namespace py = pybind11;

namespace qvm::python {

namespace {

// How long poll() waits for the broker before it warns and polls on.
constexpr std::chrono::seconds kFirstConnect{2};

// The Python exception classes, one per kind of failure.
// The types stay alive as attributes of the module.
struct ExceptionTypes {
  py::handle error;
  py::handle noAnswer;
  py::handle accessDenied;
  py::handle nak;
  py::handle crc;
  py::handle badResponse;
  py::handle linkLost;
  py::handle fileRefused;
  py::handle publish;

  PyObject* For(ErrorKind kind) const {
    switch (kind) {
      case ErrorKind::kNoAnswer:
        return noAnswer.ptr();
      case ErrorKind::kAccessDenied:
        return accessDenied.ptr();
      case ErrorKind::kNak:
        return nak.ptr();
      case ErrorKind::kCrc:
        return crc.ptr();
      case ErrorKind::kBadResponse:
        return badResponse.ptr();
      case ErrorKind::kLinkLost:
        return linkLost.ptr();
      case ErrorKind::kFileRefused:
        return fileRefused.ptr();
      case ErrorKind::kPublish:
        return publish.ptr();
      case ErrorKind::kGeneral:
        break;
    }
    return error.ptr();
  }
};

py::handle NewException(py::module_& m, const char* name, py::handle bases, const char* doc) {
  const std::string qualified = std::string("qvm.") + name;
  py::object type = py::reinterpret_steal<py::object>(
      PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases.ptr(), nullptr));
  if (!type) throw py::error_already_set();
  m.attr(name) = type;
  return type.ptr();
}

ReadAllClass ClassNamed(const std::string& name, const char* what) {
  const std::optional<ReadAllClass> kind = ReadAllClassNamed(name);
  if (!kind) {
    throw std::invalid_argument(std::string(what) + " takes " + ReadAllClassNames() + ", not '" +
                                name + "'");
  }
  return *kind;
}

// The board by instance number, serial number or device node; empty for the first.
std::string BoardChoice(const std::variant<int, std::string>& board) {
  if (const auto* name = std::get_if<std::string>(&board)) return *name;
  const int instance = std::get<int>(board);
  if (instance < 0) throw std::out_of_range("board must not be negative");
  return instance == 0 ? std::string() : std::to_string(instance);
}

std::unique_ptr<EvaluationBoard> Open(std::optional<std::string> sim,
                                      const std::variant<int, std::string>& board,
                                      std::optional<int> vid, std::optional<std::string> mode,
                                      std::optional<std::string> family, int stack,
                                      std::optional<std::string> faults, std::uint32_t seed,
                                      bool virtualTime) {
  if (!sim && faults) throw std::invalid_argument("faults need the simulated board (sim=...)");
  if (vid && (*vid < 0 || *vid > 0xFFFF)) throw std::out_of_range("vid must be 0..0xFFFF");
  ConnectOptions options;
  if (vid) options.vendorId = static_cast<std::uint16_t>(*vid);
  options.simFaults = faults.value_or("");
  options.simSeed = seed;
  options.simChain = sim.value_or("");
  options.board = BoardChoice(board);
  options.mode = mode.value_or("");
  options.family = family.value_or("");
  options.stackSize = stack;
  options.virtualTime = virtualTime;
  options.dataFolder = ModuleDataFolder();
  options.messageTitle = "qvm";
  py::gil_scoped_release release;
  return std::make_unique<EvaluationBoard>(options);
}

py::list Readings(EvaluationBoard& board, const std::string& what) {
  const ReadAllClass kind = ClassNamed(what, "read_all");
  std::vector<DeviceReading> readings;
  {
    py::gil_scoped_release release;
    readings = board.ReadAll(kind);
  }
  py::list devices;
  for (const DeviceReading& reading : readings) {
    devices.append(ReadingDict(board.session(), kind, reading));
  }
  return devices;
}

// The keyword arguments of poll() that publish to a broker.
struct PollMqttArguments {
  std::optional<std::string> url;
  int qos = 1;
  std::optional<std::string> rig;
  std::optional<std::string> user;
  std::optional<std::string> passwordFile;
  std::optional<std::string> caFile;
};

// The publisher's settings, checked before anything is polled: ValueError for a malformed
// address or QoS, FileRefusedError for a password or CA file that cannot be read.
std::optional<PublisherSettings> PublishSettings(const PollMqttArguments& mqtt) {
  if (!mqtt.url) {
    if (mqtt.rig || mqtt.user || mqtt.passwordFile || mqtt.caFile || mqtt.qos != 1) {
      throw std::invalid_argument(
          "rig, mqtt_qos, mqtt_user, mqtt_password_file and mqtt_ca "
          "need a broker: mqtt='mqtt://HOST[:PORT]/TOPIC'");
    }
    return std::nullopt;
  }
  MqttOptions options;
  options.url = *mqtt.url;
  options.qos = mqtt.qos;
  options.rig = mqtt.rig.value_or("");
  options.user = mqtt.user.value_or("");
  options.passwordFile = mqtt.passwordFile.value_or("");
  options.caFile = mqtt.caFile.value_or("");
  MqttOptionsProblem problem;
  std::optional<PublisherSettings> settings = MqttPublisherSettings(options, problem);
  if (settings) return settings;
  switch (problem.field) {
    case MqttOptionsProblem::Field::kUrl:
      throw std::invalid_argument("mqtt: " + problem.reason);
    case MqttOptionsProblem::Field::kQos:
      throw std::invalid_argument("mqtt_qos: " + problem.reason);
    case MqttOptionsProblem::Field::kPasswordFile:
      throw BoardError("mqtt_password_file: " + problem.reason, problem.errorNumber,
                       options.passwordFile);
    case MqttOptionsProblem::Field::kCaFile:
      throw BoardError("mqtt_ca: " + problem.reason, problem.errorNumber, options.caFile);
  }
  return std::nullopt;
}

std::unique_ptr<PollIterator> Poll(
    EvaluationBoard& board, std::optional<int> count, int intervalMs,
    const std::vector<std::string>& scans, const std::vector<std::string>& reads, bool upr,
    std::optional<std::string> csv, std::optional<std::string> log, std::optional<std::string> mqtt,
    int mqttQos, std::optional<std::string> rig, std::optional<std::string> mqttUser,
    std::optional<std::string> mqttPasswordFile, std::optional<std::string> mqttCa) {
  if (count && *count < 0) throw std::out_of_range("count must not be negative");
  if (intervalMs < 0) throw std::out_of_range("interval_ms must not be negative");
  std::vector<ReadAllClass> kinds;
  for (const std::string& name : reads) kinds.push_back(ClassNamed(name, "reads"));
  const std::optional<PublisherSettings> publish =
      PublishSettings({mqtt, mqttQos, rig, mqttUser, mqttPasswordFile, mqttCa});
  PollSettings settings;
  settings.intervalMs = intervalMs;
  settings.upr = upr;
  settings.scans = scans;
  settings.reads = reads;
  settings.files = {csv.value_or(""), log.value_or("")};
  std::shared_ptr<PollRun> run;
  {
    py::gil_scoped_release release;
    run = board.StartPoll(settings);
  }
  if (!publish)
    return std::make_unique<PollIterator>(board, std::move(run), count, std::move(kinds));

  auto publishing = std::make_unique<TickPublishing>(*publish, board.PublishedBoardName(),
                                                     ChainText(board.session().state));
  std::string reason;
  bool connected = false;
  {
    py::gil_scoped_release release;
    connected = publishing->Start(kFirstConnect, reason);
  }
  auto iterator = std::make_unique<PollIterator>(board, std::move(run), count, std::move(kinds),
                                                 std::move(publishing), *mqtt);
  if (!connected) WarnPublishing(BrokerAbsentText(*mqtt, reason));
  return iterator;
}

// The chart store of the last poll as numpy arrays, indexed [sample, device - 1, ...].
py::dict ChartStoreArrays(EvaluationBoard& board) {
  const std::shared_ptr<PollRun> run = board.LastRun();
  if (!run) throw BoardError(ErrorKind::kGeneral, "chart_store: no poll has run");
  const ChartStore& chart = run->Chart();
  const RegisterModel& model = chart.Model();
  const py::ssize_t n = chart.ChartStarted() ? chart.ChartSampleIndex() : 0;
  // Index d is device number d + 1 (devices are numbered from 1); as wide as the chain.
  const SharedState& state = chart.State();
  const py::ssize_t devices =
      std::min<int>(std::max(state.DeviceCount52400, state.DeviceCount52401), kChartDevices - 1);
  py::array_t<double> minutes(n);
  py::array_t<std::uint16_t> flags(n);
  py::array_t<std::int16_t> cells({n, devices, py::ssize_t{kChartCells}});
  py::array_t<std::int16_t> vbat({n, devices});
  py::array_t<std::int16_t> icTemp({n, devices});
  py::array_t<std::int16_t> et({n, devices, py::ssize_t{kChartEtInputs}});
  py::array_t<std::int16_t> faultA({n, devices});
  py::array_t<std::int16_t> faultB({n, devices});
  py::array_t<double> cellVolts({n, devices, py::ssize_t{kChartCells}});
  py::array_t<double> packVolts({n, devices});
  auto m = minutes.mutable_unchecked<1>();
  auto f = flags.mutable_unchecked<1>();
  auto c = cells.mutable_unchecked<3>();
  auto v = vbat.mutable_unchecked<2>();
  auto t = icTemp.mutable_unchecked<2>();
  auto e = et.mutable_unchecked<3>();
  auto a = faultA.mutable_unchecked<2>();
  auto b = faultB.mutable_unchecked<2>();
  auto cv = cellVolts.mutable_unchecked<3>();
  auto pv = packVolts.mutable_unchecked<2>();
  for (py::ssize_t i = 0; i < n; ++i) {
    const int sample = static_cast<int>(i);
    m(i) = chart.ElapsedMinutes(sample);
    f(i) = chart.ComErrorFlags(sample);
    for (py::ssize_t d = 0; d < devices; ++d) {
      const int dev = static_cast<int>(d) + 1;
      for (int cell = 0; cell < kChartCells; ++cell) {
        const std::int16_t raw = chart.CellRaw(sample, cell, dev);
        c(i, d, cell) = raw;
        cv(i, d, cell) = DecodedChartValue(ChartKind::Cells, model, chart.State(), raw);
      }
      v(i, d) = chart.VbatRaw(sample, dev);
      pv(i, d) =
          DecodedChartValue(ChartKind::Packs, model, chart.State(), chart.VbatRaw(sample, dev));
      t(i, d) = chart.IcTempRaw(sample, dev);
      for (int k = 0; k < kChartEtInputs; ++k) e(i, d, k) = chart.EtRaw(sample, k, dev);
      a(i, d) = chart.FaultRawA(sample, dev);
      b(i, d) = chart.FaultRawB(sample, dev);
    }
  }
  py::dict store;
  store["elapsed_min"] = minutes;
  store["com_errors"] = flags;
  store["cells_raw"] = cells;
  store["vbat_raw"] = vbat;
  store["ic_temp_raw"] = icTemp;
  store["et_raw"] = et;
  store["fault_status_a"] = faultA;
  store["fault_status_b"] = faultB;
  store["cell_volts"] = cellVolts;
  store["pack_volts"] = packVolts;
  return store;
}

}  // namespace

}  // namespace qvm::python

PYBIND11_MODULE(_qvm, m) {
  using namespace qvm;
  using namespace qvm::python;
  m.doc() =
      "Scripting interface of the battery-monitor evaluation console: open a board or the "
      "simulated one, identify the chain, read and write registers, read all cell voltages, "
      "temperatures, faults and setups, send commands, poll, and save or load configurations.";

  m.attr("__version__") = ProgramVersion();
  AddRecordingBindings(m);
  AddLogDecodingBindings(m);

  static ExceptionTypes types;
  types.error = NewException(m, "Error", PyExc_Exception, "Any failure of the board or its files.");
  types.noAnswer = NewException(m, "NoAnswerError", types.error,
                                "The bridge board or the devices did not answer.");
  types.accessDenied = NewException(
      m, "AccessDeniedError", py::make_tuple(types.noAnswer, py::handle(PyExc_PermissionError)),
      "The board is attached, but the user may not open it (see the udev rule); also a "
      "PermissionError.");
  types.nak = NewException(m, "NakError", types.error, "A device answered NAK.");
  types.crc = NewException(m, "CrcError", types.error, "A reply frame failed its CRC4 check.");
  types.badResponse = NewException(m, "BadResponseError", types.error,
                                   "A reply was too short or could not be read.");
  types.linkLost =
      NewException(m, "LinkLostError", types.error, "The board went away; polling was terminated.");
  types.fileRefused =
      NewException(m, "FileRefusedError", py::make_tuple(types.error, py::handle(PyExc_OSError)),
                   "A file could not be read or written.");
  types.publish = NewException(m, "PublishError", types.error,
                               "Polled samples did not reach the MQTT broker; the message counts "
                               "them. The run's files are complete.");
  NewException(m, "PublishWarning", PyExc_UserWarning,
               "The MQTT broker did not answer when polling started; polling goes on and "
               "publishes once it does.");
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const BoardError& error) {
      // OSError subclasses take (errno, text[, filename]), which set their attributes.
      if (error.kind() == ErrorKind::kFileRefused) {
        PyErr_SetObject(types.fileRefused.ptr(),
                        py::make_tuple(error.errorNumber(), error.what(), error.filename()).ptr());
      } else if (error.kind() == ErrorKind::kAccessDenied) {
        PyErr_SetObject(types.accessDenied.ptr(), py::make_tuple(EACCES, error.what()).ptr());
      } else {
        PyErr_SetString(types.For(error.kind()), error.what());
      }
    }
  });

  py::class_<PollIterator>(m, "Poll",
                           "Iterator over the samples of a polling run; one tick per step.")
      .def("__iter__", [](PollIterator& self) -> PollIterator& { return self; })
      .def("__next__", &PollIterator::Next)
      .def("close", &PollIterator::Close,
           "End the run now: the log gets its stop marker, the files are closed.")
      .def("__enter__", [](PollIterator& self) -> PollIterator& { return self; })
      .def("__exit__", [](PollIterator& self, py::args) { self.Close(); })
      .def_property_readonly("ticks", &PollIterator::Ticks, "Ticks run so far.")
      .def_property_readonly("samples", &PollIterator::Samples,
                             "Chart samples taken so far (one per polled voltage read).")
      .def_property_readonly("mqtt_status", &PollIterator::PublishingStatus,
                             "The broker's state while publishing, e.g. 'MQTT: connected' or "
                             "'MQTT: unreachable: Connection refused (12 queued)'; None without "
                             "mqtt.");

  py::class_<EvaluationBoard>(m, "Evb", "An open evaluation board (or the simulated one).")
      .def("close", &EvaluationBoard::Close, "Close the link; a running poll is finished.")
      .def("__enter__", [](EvaluationBoard& self) -> EvaluationBoard& { return self; })
      .def("__exit__", [](EvaluationBoard& self, py::args) { self.Close(); })
      .def_property_readonly("closed", &EvaluationBoard::Closed)
      .def_property_readonly("simulated", &EvaluationBoard::Simulated,
                             "True on the simulated board.")
      .def_property_readonly(
          "daisy_chain", [](EvaluationBoard& self) { return self.session().state.DaisyChainMode; },
          "True in daisy-chain mode, False in single-device mode.")
      .def_property_readonly("devices", &EvaluationBoard::Devices,
                             "Devices per part name, as the last identification found them.")
      .def("identify", &EvaluationBoard::Identify, py::call_guard<py::gil_scoped_release>(),
           "Identify the chain again; returns the devices per part name, e.g. "
           "{'QVM52400': 3, 'QVM52401': 0}. Raises NoAnswerError, or the subclass that fits the "
           "communication errors met, when no device answers or the chain found is not the one "
           "expected (`stack`, else the simulated chain).")
      .def("command", &EvaluationBoard::Command, py::arg("name"),
           py::call_guard<py::gil_scoped_release>(),
           "Send a command of the command panel to every device: scan-volts, scan-temps, "
           "scan-mixed, scan-wires, scan-all, scan-cont, scan-inhibit, bal-enable, bal-inhibit, "
           "sleep, wake or clear-faults.")
      .def("read_all", &Readings, py::arg("what"),
           "Read one class of registers of every device: 'volts' (pack and cells in V), "
           "'temps' (internal in degrees C, external inputs in V), 'faults' or 'setups' (raw "
           "registers by index). One dict per device.")
      .def("read", &EvaluationBoard::Read, py::arg("dev"), py::arg("page"), py::arg("adr"),
           py::arg("type") = 0, py::call_guard<py::gil_scoped_release>(),
           "Read one register; returns its 14-bit value.")
      .def("write", &EvaluationBoard::Write, py::arg("dev"), py::arg("page"), py::arg("adr"),
           py::arg("value"), py::arg("type") = 0, py::call_guard<py::gil_scoped_release>(),
           "Write one register (it must be writable).")
      .def("poll", &Poll, py::arg("count") = py::none(), py::arg("interval_ms") = 500,
           py::arg("scans") = std::vector<std::string>{},
           py::arg("reads") = std::vector<std::string>{"volts"}, py::arg("upr") = false,
           py::arg("csv") = py::none(), py::arg("log") = py::none(), py::kw_only(),
           py::arg("mqtt") = py::none(), py::arg("mqtt_qos") = 1, py::arg("rig") = py::none(),
           py::arg("mqtt_user") = py::none(), py::arg("mqtt_password_file") = py::none(),
           py::arg("mqtt_ca") = py::none(), py::keep_alive<0, 1>(),
           "Poll `count` times (forever when None), one tick every `interval_ms`: the scans "
           "('all', 'mixed', 'volts', 'temps', 'wires') before the reads ('volts', 'temps', "
           "'faults', 'setups'). Yields one dict per tick: tick, time_ms, elapsed_min (of the "
           "chart sample, None without a voltage read), errors (flag word of the tick's "
           "exchanges), error_codes, faults and the readings per read class: a value the tick "
           "did not read is None. A board that is lost raises LinkLostError. `csv` gets each "
           "sample's row as it is taken, "
           "`log` every SPI frame. Ctrl-C stops cleanly with the files complete. `mqtt` "
           "('mqtt://HOST[:PORT]/TOPIC', 'mqtts://...' for TLS with `mqtt_ca`) publishes each "
           "tick as qvmctl poll --mqtt does (its --json object with `rig`, the board and the "
           "chain), at `mqtt_qos` 0 or 1, logging in as `mqtt_user` with the password from "
           "`mqtt_password_file` or QVM_MQTT_PASSWORD. A broker that does not answer is a "
           "PublishWarning and polling goes on; samples it never got raise PublishError at the "
           "end, after the files are complete.")
      .def("chart_store", &ChartStoreArrays,
           "The chart store of the last poll as numpy arrays indexed [sample, device - 1, ...], as "
           "wide as the chain (cell_volts[:, :3] holds devices 1..3): "
           "elapsed_min, com_errors, cells_raw, vbat_raw, ic_temp_raw, et_raw, fault_status_a, "
           "fault_status_b, and the decoded cell_volts and pack_volts; a value never read is "
           "-32768 raw and NaN decoded.")
      .def("save_config", &EvaluationBoard::SaveConfig, py::arg("path"),
           py::call_guard<py::gil_scoped_release>(),
           "Read every device's setup registers and save them as a configuration file.")
      .def("load_config", &EvaluationBoard::LoadConfig, py::arg("path"),
           py::call_guard<py::gil_scoped_release>(),
           "Write a configuration file to the devices; returns the number of register writes. "
           "Raises FileRefusedError, naming the file and the line, for a write line that "
           "cannot be sent as it stands; nothing is written then.")
      .def_property_readonly(
          "simulation",
          [](EvaluationBoard& self) -> py::object {
            const auto injected = self.Injected();
            if (!injected) return py::none();
            py::dict stats;
            stats["exchanges"] = injected->first;
            stats["injected"] = injected->second;
            return stats;
          },
          "On the simulated board: SPI packet exchanges so far and the faults injected per "
          "kind, e.g. {'exchanges': 120, 'injected': {'crc': 2, ...}}; None on a real board.")
      .def_property_readonly("activity_log", &EvaluationBoard::ActivityLog,
                             "The last lines of the activity log.");

  m.def("open", &Open, py::arg("sim") = py::none(), py::arg("board") = 0,
        py::arg("vid") = py::none(), py::arg("mode") = py::none(), py::arg("family") = py::none(),
        py::arg("stack") = 0, py::arg("faults") = py::none(), py::arg("seed") = 1,
        py::arg("virtual_time") = false,
        "Open a board and identify its chain. `sim` runs on the simulated board instead, e.g. "
        "'daisy:52400x3', 'daisy:52400x3+52401x2', 'single:38817', with `faults` injected (a "
        "fault list such as 'crc=0.01,nak@17,unplug@40,replug=500') from the random `seed`; "
        "`virtual_time` lets its waits cost nothing. On a real board give `board` (instance "
        "number, serial number or device node, as `qvmctl boards` lists them), `vid` (the bridge "
        "boards' USB vendor id when it is not the build's), `mode` "
        "('daisy' or 'single'), `family` ('52400', '52400+52401', '38817') and `stack` "
        "(devices per type). Raises NoAnswerError when no device answers, AccessDeniedError when "
        "the user may not open the board.");
}
