#include "records/chart_export.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/hex.h"
#include "model/decoders.h"

namespace qvm {

namespace {

struct ComErrorCode {
  std::uint16_t bit;
  const char* code;
};

constexpr std::array<ComErrorCode, 5> kComErrorCodes = {{{kComErrNoAck, "NoACK_"},
                                                         {kComErrCrc4, "CRCErr_"},
                                                         {kComErrBadResponse, "BadResponse_"},
                                                         {kComErrNack, "NackResponse_"},
                                                         {kComErrPipe, "PipeComErr_"}}};

void AddField(std::string& line, const std::string& field) {
  line += field;
  line += ',';
}

}  // namespace

int ChartExportDeviceCount(const SharedState& state) {
  if (!state.DaisyChainMode) return 1;
  return std::clamp(static_cast<int>(state.DeviceCount52400), 0, kChartDevices - 1);
}

std::string ChartExportHeader(int devices) {
  std::string line = "TimeStamp,Elapsed(min),ComErrors,";
  for (int d = 1; d <= devices; ++d) {
    const std::string n = std::to_string(d);
    for (int c = 1; c <= kChartCells; ++c) AddField(line, "VCell" + n + "-" + std::to_string(c));
    AddField(line, "VBat" + n);
    AddField(line, "ICTemp" + n);
    for (int k = 1; k <= kChartEtInputs; ++k) AddField(line, "ETV" + n + "-" + std::to_string(k));
    AddField(line, "FAULTSTAT400-" + n);
    AddField(line, "FAULTSTAT401-" + n);
  }
  return line;
}

std::string ComErrorCodes(std::uint16_t flags) {
  std::string codes;
  for (const ComErrorCode& entry : kComErrorCodes) {
    if ((flags & entry.bit) != 0) codes += entry.code;
  }
  return codes;
}

std::string ChartExportRow(const ChartStore& store, int sample, int devices,
                           char decimalSeparator) {
  const RegisterModel& model = store.Model();
  const double minutes = store.ElapsedMinutes(sample);
  const auto seconds = std::chrono::seconds{std::llround(minutes * 60.0)};
  std::string line;
  line.reserve(64 + static_cast<std::size_t>(devices) * 160);
  AddField(line, FormatLongTime(store.ChartStartTime() + seconds));
  AddField(line, FormatFixed(minutes, 2, decimalSeparator));
  AddField(line, ComErrorCodes(store.ComErrorFlags(sample)));
  for (int d = 1; d <= devices; ++d) {
    for (int c = 0; c < kChartCells; ++c) {
      AddField(line, FormatFixed(DecodeCellVoltage(model, store.CellRaw(sample, c, d)), 4,
                                 decimalSeparator));
    }
    AddField(line,
             FormatFixed(DecodeVbatVoltage(model, store.VbatRaw(sample, d)), 3, decimalSeparator));
    AddField(line, FormatFixed(DecodeInternalTemp(model, store.State(), store.IcTempRaw(sample, d)),
                               1, decimalSeparator));
    for (int k = 0; k < kChartEtInputs; ++k) {
      AddField(line, FormatFixed(DecodeExternalTemp(model, store.EtRaw(sample, k, d)), 4,
                                 decimalSeparator));
    }
    AddField(line, Hex0x(static_cast<std::uint16_t>(store.FaultRawA(sample, d)), 4));
    AddField(line, Hex0x(static_cast<std::uint16_t>(store.FaultRawB(sample, d)), 4));
  }
  return line;
}

bool ExportCSV(const ChartStore& store, RecordChannel& channel, Host& host,
               const std::string& messageTitle, char decimalSeparator) {
  if (channel.Open().empty()) {
    host.ShowMessage(messageTitle, "Export to CSV cancelled, logfile not created.");
    return false;
  }
  const int devices = ChartExportDeviceCount(store.State());
  bool written = channel.AddLine(ChartExportHeader(devices));
  for (int i = 0; written && i < store.ChartSampleIndex(); ++i) {
    written = channel.AddLine(ChartExportRow(store, i, devices, decimalSeparator));
  }
  return channel.Close() && written;
}

}  // namespace qvm
