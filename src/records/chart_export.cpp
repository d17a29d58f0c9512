// SPDX-License-Identifier: MIT
#include "records/chart_export.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

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

// The decoded columns of a row: cell voltages, pack voltage, internal temperature, external
// inputs.
enum class ValueColumn { Cell, Vbat, IcTemp, Et };
constexpr std::array<int, 4> kColumnDecimals = {4, 3, 1, 4};
constexpr std::size_t kRawWords = 65536;

// The room a line reserves for each field; a longer field makes the line grow. A value is copied
// as one 8-byte piece, so its room is 8 even when its text is shorter.
constexpr std::size_t kTimeRoom = 16;
constexpr std::size_t kMinutesRoom = 24;
constexpr std::size_t kErrorsRoom = 64;
constexpr std::size_t kFieldRoom = 8;
constexpr std::size_t kValuesPerDevice = kChartCells + 2 + kChartEtInputs;
constexpr std::size_t kDeviceRoom = (kValuesPerDevice + 2) * kFieldRoom;

// Formats the data lines of a store straight into the text they go to, with room reserved ahead
// and each field copied through a raw pointer. With `remember`, the text of each raw word is made
// once per column and copied from then on: an export meets the same words thousands of times.
class RowFormatter {
 public:
  RowFormatter(const ChartStore& store, int devices, char decimalSeparator, bool remember)
      : store_(store), devices_(devices), separator_(decimalSeparator) {
    if (remember) {
      for (std::vector<Text>& texts : remembered_) texts.resize(kRawWords);
    }
  }

  // Appends the data line of `sample`, without line end, to `line`.
  void AppendLine(std::string& line, int sample) {
    const std::size_t start = line.size();
    line.resize(start + kTimeRoom + kMinutesRoom + kErrorsRoom +
                static_cast<std::size_t>(devices_) * kDeviceRoom);
    char* out = line.data() + start;
    const double minutes = store_.ElapsedMinutes(sample);
    const long long seconds = std::llround(minutes * 60.0);
    // Samples come a second or less apart: the time text changes at most once a second.
    if (timeText_.empty() || seconds != timeSeconds_) {
      timeText_ = FormatLongTime(store_.ChartStartTime() + std::chrono::seconds{seconds});
      timeText_ += ',';
      timeSeconds_ = seconds;
    }
    out = Put(line, out, timeText_, kTimeRoom);
    scratch_.clear();
    AppendFixed(scratch_, minutes, 2, separator_);
    scratch_ += ',';
    const std::uint16_t flags = store_.ComErrorFlags(sample);
    for (const ComErrorCode& entry : kComErrorCodes) {
      if ((flags & entry.bit) != 0) scratch_ += entry.code;
    }
    scratch_ += ',';
    out = Put(line, out, scratch_, kMinutesRoom + kErrorsRoom);
    // All lookups first, so that they overlap instead of waiting on each copy.
    rowTexts_.resize(static_cast<std::size_t>(devices_) * kValuesPerDevice);
    Text* text = rowTexts_.data();
    for (int d = 1; d <= devices_; ++d) {
      for (int c = 0; c < kChartCells; ++c) {
        *text++ = Remembered(ValueColumn::Cell, store_.CellRaw(sample, c, d));
      }
      *text++ = Remembered(ValueColumn::Vbat, store_.VbatRaw(sample, d));
      *text++ = Remembered(ValueColumn::IcTemp, store_.IcTempRaw(sample, d));
      for (int k = 0; k < kChartEtInputs; ++k) {
        *text++ = Remembered(ValueColumn::Et, store_.EtRaw(sample, k, d));
      }
    }
    text = rowTexts_.data();
    for (int d = 1; d <= devices_; ++d) {
      for (int c = 0; c < kChartCells; ++c) {
        out = PutValue(line, out, *text++, ValueColumn::Cell, store_.CellRaw(sample, c, d));
      }
      out = PutValue(line, out, *text++, ValueColumn::Vbat, store_.VbatRaw(sample, d));
      out = PutValue(line, out, *text++, ValueColumn::IcTemp, store_.IcTempRaw(sample, d));
      for (int k = 0; k < kChartEtInputs; ++k) {
        out = PutValue(line, out, *text++, ValueColumn::Et, store_.EtRaw(sample, k, d));
      }
      out = PutHexWord(out, store_.FaultRawA(sample, d));
      out = PutHexWord(out, store_.FaultRawB(sample, d));
    }
    line.resize(static_cast<std::size_t>(out - line.data()));
  }

 private:
  // A made text with its comma, when it fits in eight characters, packed into one word and
  // padded with zero bytes, which tell its length; kUnmade until it is made, kLongText when it
  // does not fit.
  using Text = std::uint64_t;
  static_assert(sizeof(Text) == kFieldRoom);
  static constexpr Text kUnmade = 0;
  static constexpr Text kLongText = ~Text{0};

  static std::size_t TextLength(Text text) {
    const int padding = std::endian::native == std::endian::little ? std::countl_zero(text)
                                                                   : std::countr_zero(text);
    return sizeof text - static_cast<std::size_t>(padding) / 8;
  }

  double Decode(ValueColumn column, std::int16_t raw) const {
    constexpr std::array<ChartKind, 4> kKinds = {ChartKind::Cells, ChartKind::Packs,
                                                 ChartKind::IcTemp, ChartKind::EtVolts};
    return DecodedChartValue(kKinds[static_cast<std::size_t>(column)], store_.Model(),
                             store_.State(), raw);
  }

  // Copies `text` at `out`, where `room` characters are reserved for it, growing the line when
  // the text is longer; gives the end of the copy.
  static char* Put(std::string& line, char* out, std::string_view text, std::size_t room) {
    if (text.size() > room) {
      const auto at = static_cast<std::size_t>(out - line.data());
      line.resize(line.size() + text.size());
      out = line.data() + at;
    }
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
  }

  // The value's text, made through the general formatter; an empty field for a value never
  // read.
  void MakeText(ValueColumn column, std::int16_t raw) {
    scratch_.clear();
    if (raw != kChartNeverRead) {
      AppendFixed(scratch_, Decode(column, raw), kColumnDecimals[static_cast<std::size_t>(column)],
                  separator_);
    }
    scratch_ += ',';
  }

  // The remembered text of a value, made when first met; kLongText when not remembering.
  Text Remembered(ValueColumn column, std::int16_t raw) {
    std::vector<Text>& texts = remembered_[static_cast<std::size_t>(column)];
    if (texts.empty()) return kLongText;
    Text& text = texts[static_cast<std::uint16_t>(raw)];
    if (text == kUnmade) {
      MakeText(column, raw);
      if (scratch_.size() > sizeof text) {
        text = kLongText;
      } else {
        std::array<char, sizeof text> chars{};
        std::copy(scratch_.begin(), scratch_.end(), chars.begin());
        std::memcpy(&text, chars.data(), sizeof text);
      }
    }
    return text;
  }

  // Copies the value's text, made anew when it is too long to be remembered.
  char* PutValue(std::string& line, char* out, Text text, ValueColumn column, std::int16_t raw) {
    if (text == kLongText) {
      MakeText(column, raw);
      return Put(line, out, scratch_, kFieldRoom);
    }
    std::memcpy(out, &text, sizeof text);
    return out + TextLength(text);
  }

  // "0x" and four upper-case hexadecimal digits of a raw register word, then the comma; only
  // the comma for a word never read.
  static char* PutHexWord(char* out, std::int16_t raw) {
    if (raw == kChartNeverRead) {
      *out = ',';
      return out + 1;
    }
    constexpr const char* kDigits = "0123456789ABCDEF";
    const auto word = static_cast<std::uint16_t>(raw);
    out[0] = '0';
    out[1] = 'x';
    out[2] = kDigits[(word >> 12) & 0xF];
    out[3] = kDigits[(word >> 8) & 0xF];
    out[4] = kDigits[(word >> 4) & 0xF];
    out[5] = kDigits[word & 0xF];
    out[6] = ',';
    return out + 7;
  }

  const ChartStore& store_;
  int devices_;
  char separator_;
  std::array<std::vector<Text>, kColumnDecimals.size()> remembered_;
  std::vector<Text> rowTexts_;
  std::string scratch_;
  std::string timeText_;
  long long timeSeconds_ = 0;
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

std::optional<std::uint16_t> ComErrorFlags(std::string_view codes) {
  std::uint16_t flags = 0;
  while (!codes.empty()) {
    const auto entry =
        std::find_if(kComErrorCodes.begin(), kComErrorCodes.end(),
                     [codes](const ComErrorCode& e) { return codes.starts_with(e.code); });
    if (entry == kComErrorCodes.end()) return std::nullopt;
    flags |= entry->bit;
    codes.remove_prefix(std::strlen(entry->code));
  }
  return flags;
}

std::string ChartExportRow(const ChartStore& store, int sample, int devices,
                           char decimalSeparator) {
  std::string line;
  RowFormatter(store, devices, decimalSeparator, false).AppendLine(line, sample);
  return line;
}

void AppendChartExportRow(std::string& out, const ChartStore& store, int sample, int devices,
                          char decimalSeparator) {
  RowFormatter(store, devices, decimalSeparator, false).AppendLine(out, sample);
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
  RowFormatter rows(store, devices, decimalSeparator, true);
  std::string block;
  block.reserve(kExportBlockBytes + kTimeRoom + kMinutesRoom + kErrorsRoom +
                static_cast<std::size_t>(devices) * kDeviceRoom);
  for (int i = 0; written && i < store.ChartSampleIndex(); ++i) {
    rows.AppendLine(block, i);
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
