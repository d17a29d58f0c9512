// SPDX-License-Identifier: MIT
#include "console/frm_trace.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <vector>

#include "link/frame_trace.h"
#include "model/value_format.h"
#include "protocol/decoded_frame_text.h"
#include "protocol/frame_log_decoder.h"

namespace qvm {

namespace {
constexpr int kTraceLines = 20000;
constexpr const char* kTraceTitle = "Trace";
// Wide enough for a trace line of eight bytes.
constexpr std::size_t kHexColumn = 30;
constexpr std::string_view kColumnGap = "| ";

bool IsFrameTrace(const std::string& text) {
  return text.starts_with("Sent:") || text.starts_with("Rcvd:");
}

// The decoded words of one frame, as summary lines.
class SummaryLines final : public FrameLogSink {
 public:
  std::vector<std::string> lines;

  void Marker(const LogMarker&) override {}
  void Frame(const DecodedFrame& frame) override {
    lines.push_back(FrameSummary(frame, HostDecimalSeparator()));
  }
  void Malformed(const MalformedLine& line) override { lines.push_back("? " + line.reason); }
};

}  // namespace

FrmTrace::FrmTrace(Host& host, QWidget* parent) : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("frmTrace");
  setWindowTitle("Trace Options");
  auto* layout = new QVBoxLayout(this);
  auto* options = new QHBoxLayout;
  chkTraceEnabled = new QCheckBox("Trace Enabled", this);
  chkTraceEnabled->setObjectName("chkTraceEnabled");
  chkTraceEnabled->setChecked(true);
  chkTraceDetailed = new QCheckBox("Detailed", this);
  chkTraceDetailed->setObjectName("chkTraceDetailed");
  options->addWidget(chkTraceEnabled);
  options->addWidget(chkTraceDetailed);
  options->addStretch();
  layout->addLayout(options);
  txtTrace = new QPlainTextEdit(this);
  txtTrace->setObjectName("txtTrace");
  txtTrace->setReadOnly(true);
  txtTrace->setMaximumBlockCount(kTraceLines);
  txtTrace->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Decoded registers line up beside the bytes.
  txtTrace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(txtTrace, 1);
  auto* buttons = new QHBoxLayout;
  cmdSaveTrace = new QPushButton("Save...", this);
  cmdSaveTrace->setObjectName("cmdSaveTrace");
  cmdClearTrace = new QPushButton("Clear", this);
  cmdClearTrace->setObjectName("cmdClearTrace");
  cmdHideTrace = new QPushButton("Close", this);
  cmdHideTrace->setObjectName("cmdHideTrace");
  buttons->addStretch();
  for (QPushButton* button : {cmdSaveTrace, cmdClearTrace, cmdHideTrace}) {
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  connect(cmdSaveTrace, &QPushButton::clicked, this, &FrmTrace::cmdSaveTrace_Click);
  connect(cmdClearTrace, &QPushButton::clicked, txtTrace, &QPlainTextEdit::clear);
  connect(cmdHideTrace, &QPushButton::clicked, this, &QWidget::hide);
  resize(900, 420);
}

FrmTrace::~FrmTrace() = default;

void FrmTrace::DecodeFramesWith(const RegisterModel& model, const SharedState& state) {
  state_ = &state;
  decoder_ = std::make_unique<FrameLogDecoder>(model, state, state.DaisyChainMode);
  decoder_->SetHoldRequests(false);
}

bool FrmTrace::TraceActive() const {
  return chkTraceEnabled->isChecked();
}

bool FrmTrace::TraceDetailed() const {
  return chkTraceDetailed->isChecked();
}

std::string FrmTrace::DecodedFrameLines(const std::string& text) {
  SummaryLines decoded;
  decoder_->SetDaisyChain(state_->DaisyChainMode);
  decoder_->Line(ReplaceLineBreaks(text, ""), decoded);
  std::vector<std::string_view> hex;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find("\r\n");
    hex.push_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
  }
  std::string lines;
  for (std::size_t i = 0; i < std::max(hex.size(), decoded.lines.size()); ++i) {
    const std::string_view bytes = i < hex.size() ? hex[i] : std::string_view();
    lines += bytes;
    if (i < decoded.lines.size()) {
      lines.append(bytes.size() < kHexColumn ? kHexColumn - bytes.size() : 1, ' ');
      lines += kColumnGap;
      lines += decoded.lines[i];
    }
    lines += '\n';
  }
  return lines;
}

void FrmTrace::AppendTrace(const std::string& text) {
  const bool frame = IsFrameTrace(text);
  if (frame && !isVisible()) return;
  QString lines = QString::fromStdString(frame && decoder_ ? DecodedFrameLines(text) : text);
  lines.remove('\r');
  txtTrace->moveCursor(QTextCursor::End);
  txtTrace->insertPlainText(lines);
}

void FrmTrace::cmdSaveTrace_Click() {
  const auto path = host_.AskSaveFileName(kTraceTitle, "Text files (*.txt)", "Trace.txt");
  if (!path) return;
  std::string text = txtTrace->toPlainText().toStdString();
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  // Written beside the target first, so a failed write never leaves a partial file behind.
  const std::filesystem::path target(*path);
  std::filesystem::path partial = target;
  partial += ".part";
  std::error_code error;
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file << lines;
    file.flush();
    if (!file) error = std::make_error_code(std::errc::io_error);
  }
  if (!error) std::filesystem::rename(partial, target, error);
  if (error) {
    std::filesystem::remove(partial, error);
    host_.ShowMessage(kTraceTitle, "The trace could not be written to " + *path + ".");
  }
}

}  // namespace qvm
