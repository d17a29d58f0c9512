// SPDX-License-Identifier: MIT
#include "console/frm_fault_log.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qvm {

FrmFaultLog::FrmFaultLog(const char* objectName, std::function<std::string()> caption,
                         QWidget* parent)
    : QWidget(parent, Qt::Tool), caption_(std::move(caption)) {
  setObjectName(objectName);
  auto* layout = new QVBoxLayout(this);
  txtComErrLog = new QPlainTextEdit(this);
  txtComErrLog->setObjectName("txtComErrLog");
  txtComErrLog->setReadOnly(true);
  layout->addWidget(txtComErrLog);
  auto* buttons = new QHBoxLayout;
  cbClearText = new QPushButton("Clear Text", this);
  cbClearText->setObjectName("cbClearText");
  cbDone = new QPushButton("Done", this);
  cbDone->setObjectName("cbDone");
  buttons->addStretch();
  buttons->addWidget(cbClearText);
  buttons->addWidget(cbDone);
  layout->addLayout(buttons);
  connect(cbClearText, &QPushButton::clicked, this, [this] { Clear(); });
  connect(cbDone, &QPushButton::clicked, this, &QWidget::hide);
  resize(560, 260);
}

void FrmFaultLog::showEvent(QShowEvent* event) {
  if (caption_) setWindowTitle(QString::fromStdString(caption_()));
  QWidget::showEvent(event);
}

void FrmFaultLog::ShowAndAppend(const std::string& text) {
  show();
  raise();
  txtComErrLog->moveCursor(QTextCursor::End);
  txtComErrLog->insertPlainText(QString::fromStdString(text));
  txtComErrLog->verticalScrollBar()->setValue(txtComErrLog->verticalScrollBar()->maximum());
}

void FrmFaultLog::Clear() {
  txtComErrLog->clear();
}

std::string FrmFaultLog::Text() const {
  return txtComErrLog->toPlainText().toStdString();
}

}  // namespace qvm
