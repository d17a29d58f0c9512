#include "records/chart_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

// The decoded columns of a row: cell voltages, pack voltage, internal temperature, external
// inputs.
enum class ValueColumn { Cell, Vbat, IcTemp, Et };
constexpr std::array<int, 4> kColumnDecimals = {4, 3, 1, 4};
constexpr std::size_t kRawWords = 65536;

// Writes the data lines of a store. With `remember`, the text of each raw word is made once per
// column and copied from then on: an export meets the same words thousands of times.
class RowFormatter {
 public:
  RowFormatter(const ChartStore& store, char decimalSeparator, bool remember)
      : store_(store), separator_(decimalSeparator) {
    if (remember) remembered_.resize(kColumnDecimals.size() * kRawWords);
  }

  void Append(std::string& out, int sample, int devices) {
    const double minutes = store_.ElapsedMinutes(sample);
    const auto seconds = std::chrono::seconds{std::llround(minutes * 60.0)};
    out += FormatLongTime(store_.ChartStartTime() + seconds);
    out += ',';
    AppendFixed(out, minutes, 2, separator_);
    out += ',';
    const std::uint16_t flags = store_.ComErrorFlags(sample);
    for (const ComErrorCode& entry : kComErrorCodes) {
      if ((flags & entry.bit) != 0) out += entry.code;
    }
    out += ',';
    for (int d = 1; d <= devices; ++d) {
      for (int c = 0; c < kChartCells; ++c) {
        AppendValue(out, ValueColumn::Cell, store_.CellRaw(sample, c, d));
      }
      AppendValue(out, ValueColumn::Vbat, store_.VbatRaw(sample, d));
      AppendValue(out, ValueColumn::IcTemp, store_.IcTempRaw(sample, d));
      for (int k = 0; k < kChartEtInputs; ++k) {
        AppendValue(out, ValueColumn::Et, store_.EtRaw(sample, k, d));
      }
      AppendHexWord(out, store_.FaultRawA(sample, d));
      AppendHexWord(out, store_.FaultRawB(sample, d));
    }
  }

 private:
  // A made text; length 0 until it is made (a formatted number is never empty).
  struct Text {
    std::array<char, 15> chars{};
    std::uint8_t length = 0;
  };

  double Decode(ValueColumn column, std::int16_t raw) const {
    const RegisterModel& model = store_.Model();
    switch (column) {
      case ValueColumn::Cell:
        return DecodeCellVoltage(model, raw);
      case ValueColumn::Vbat:
        return DecodeVbatVoltage(model, raw);
      case ValueColumn::IcTemp:
        return DecodeInternalTemp(model, store_.State(), raw);
      case ValueColumn::Et:
        break;
    }
    return DecodeExternalTemp(model, raw);
  }

  void AppendValue(std::string& out, ValueColumn column, std::int16_t raw) {
    const auto index = static_cast<std::size_t>(column);
    const int decimals = kColumnDecimals[index];
    if (remembered_.empty()) {
      AppendFixed(out, Decode(column, raw), decimals, separator_);
      out += ',';
      return;
    }
    Text& text = remembered_[index * kRawWords + static_cast<std::uint16_t>(raw)];
    if (text.length == 0) {
      std::string made;
      AppendFixed(made, Decode(column, raw), decimals, separator_);
      if (made.size() > text.chars.size()) {
        out += made;
        out += ',';
        return;
      }
      std::copy(made.begin(), made.end(), text.chars.begin());
      text.length = static_cast<std::uint8_t>(made.size());
    }
    out.append(text.chars.data(), text.length);
    out += ',';
  }

  const ChartStore& store_;
  char separator_;
  std::vector<Text> remembered_;
};

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
  RowFormatter(store, decimalSeparator, false).Append(out, sample, devices);
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
  RowFormatter rows(store, decimalSeparator, true);
  std::string block;
  block.reserve(kExportBlockBytes + 64 + static_cast<std::size_t>(devices) * 160);
  for (int i = 0; written && i < store.ChartSampleIndex(); ++i) {
    rows.Append(block, i, devices);
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
