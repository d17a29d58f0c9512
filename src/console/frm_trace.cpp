#include "console/frm_trace.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

namespace qvm {

namespace {
constexpr int kTraceLines = 20000;
constexpr const char* kTraceTitle = "Trace";
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
  resize(640, 420);
}

bool FrmTrace::TraceActive() const {
  return chkTraceEnabled->isChecked();
}

bool FrmTrace::TraceDetailed() const {
  return chkTraceDetailed->isChecked();
}

void FrmTrace::AppendTrace(const std::string& text) {
  QString lines = QString::fromStdString(text);
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
