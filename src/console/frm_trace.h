#pragma once
#include <QWidget>
#include <string>

#include "core/host.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace qvm {

// The trace window: the lines the link and the bench tool trace while "Trace Enabled" is
// ticked, with the detail switch that adds the buffer-level lines, and a text file export.
class FrmTrace : public QWidget {
  Q_OBJECT
 public:
  FrmTrace(Host& host, QWidget* parent = nullptr);

  bool TraceActive() const;
  bool TraceDetailed() const;
  void AppendTrace(const std::string& text);
  // "Save...": writes the trace to a text file with CR LF line ends.
  void cmdSaveTrace_Click();

  QCheckBox* chkTraceEnabled;
  QCheckBox* chkTraceDetailed;
  QPlainTextEdit* txtTrace;
  QPushButton* cmdSaveTrace;
  QPushButton* cmdClearTrace;
  QPushButton* cmdHideTrace;

 private:
  Host& host_;
};

}  // namespace qvm
