#include "records/chart_export.h"

#include <algorithm>
#include <array>
#include <cmath>

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

constexpr std::size_t kExportBlockBytes = std::size_t{1} << 20;

void AddField(std::string& line, const std::string& field) {
  line += field;
  line += ',';
}

// "0x" and four upper-case hexadecimal digits of a raw register word, then the comma.
void AppendHexWord(std::string& out, std::int16_t raw) {
  constexpr const char* kDigits = "0123456789ABCDEF";
  const auto word = static_cast<std::uint16_t>(raw);
  const char field[] = {'0',
                        'x',
                        kDigits[(word >> 12) & 0xF],
                        kDigits[(word >> 8) & 0xF],
                        kDigits[(word >> 4) & 0xF],
                        kDigits[word & 0xF],
                        ','};
  out.append(field, sizeof field);
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
  std::string line;
  line.reserve(64 + static_cast<std::size_t>(devices) * 160);
  AppendChartExportRow(line, store, sample, devices, decimalSeparator);
  return line;
}

void AppendChartExportRow(std::string& out, const ChartStore& store, int sample, int devices,
                          char decimalSeparator) {
  const RegisterModel& model = store.Model();
  const double minutes = store.ElapsedMinutes(sample);
  const auto seconds = std::chrono::seconds{std::llround(minutes * 60.0)};
  out += FormatLongTime(store.ChartStartTime() + seconds);
  out += ',';
  AppendFixed(out, minutes, 2, decimalSeparator);
  out += ',';
  const std::uint16_t flags = store.ComErrorFlags(sample);
  for (const ComErrorCode& entry : kComErrorCodes) {
    if ((flags & entry.bit) != 0) out += entry.code;
  }
  out += ',';
  const auto fixed = [&out, decimalSeparator](double value, int decimals) {
    AppendFixed(out, value, decimals, decimalSeparator);
    out += ',';
  };
  for (int d = 1; d <= devices; ++d) {
    for (int c = 0; c < kChartCells; ++c)
      fixed(DecodeCellVoltage(model, store.CellRaw(sample, c, d)), 4);
    fixed(DecodeVbatVoltage(model, store.VbatRaw(sample, d)), 3);
    fixed(DecodeInternalTemp(model, store.State(), store.IcTempRaw(sample, d)), 1);
    for (int k = 0; k < kChartEtInputs; ++k)
      fixed(DecodeExternalTemp(model, store.EtRaw(sample, k, d)), 4);
    AppendHexWord(out, store.FaultRawA(sample, d));
    AppendHexWord(out, store.FaultRawB(sample, d));
  }
}

bool ExportCSV(const ChartStore& store, RecordChannel& channel, Host& host,
               const std::string& messageTitle, char decimalSeparator) {
  if (channel.Open().empty()) {
    host.ShowMessage(messageTitle, "Export to CSV cancelled, logfile not created.");
    return false;
  }
  const int devices = ChartExportDeviceCount(store.State());
  bool written = channel.AddLine(ChartExportHeader(devices));
  // The rows go out in large blocks of whole lines.
  std::string block;
  block.reserve(kExportBlockBytes + 64 + static_cast<std::size_t>(devices) * 160);
  for (int i = 0; written && i < store.ChartSampleIndex(); ++i) {
    AppendChartExportRow(block, store, i, devices, decimalSeparator);
    block += "\r\n";
    if (block.size() >= kExportBlockBytes) {
      written = channel.AddLines(block);
      block.clear();
    }
  }
  if (written && !block.empty()) written = channel.AddLines(block);
  return channel.Close() && written;
}

}  // namespace qvm
