// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <functional>
#include <string>

#include "records/fault_log.h"

class QPlainTextEdit;
class QPushButton;

namespace qvm {

// A fault window: the communication errors or the fault status log. It pops up with every
// recorded line and stays until "Done"; its text lives only here.
class FrmFaultLog : public QWidget, public FaultLogWindow {
  Q_OBJECT
 public:
  // `caption` gives the window title each time the window comes up.
  FrmFaultLog(const char* objectName, std::function<std::string()> caption,
              QWidget* parent = nullptr);

  void ShowAndAppend(const std::string& text) override;
  void Clear() override;
  std::string Text() const override;

  QPlainTextEdit* txtComErrLog;
  QPushButton* cbClearText;
  QPushButton* cbDone;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<std::string()> caption_;
};

}  // namespace qvm
