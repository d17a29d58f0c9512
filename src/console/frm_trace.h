// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <memory>
#include <string>

#include "core/host.h"
#include "model/register_model.h"
#include "model/shared_state.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace qvm {

class FrameLogDecoder;

// The trace window: the lines the link and the bench tool trace while "Trace Enabled" is
// ticked, with the detail switch that adds the buffer-level lines, and a text file export.
// While it is shown it also traces the SPI frames, each beside its registers and values.
class FrmTrace : public QWidget {
  Q_OBJECT
 public:
  FrmTrace(Host& host, QWidget* parent = nullptr);
  ~FrmTrace() override;

  // Frames are decoded with the register names and scales of `model`, as `state`'s chain mode
  // says; both must outlive the window.
  void DecodeFramesWith(const RegisterModel& model, const SharedState& state);

  bool TraceActive() const;
  bool TraceDetailed() const;
  // A "Sent:" or "Rcvd:" frame trace is shown only while the window is, with its decoded
  // registers beside its bytes: polling would otherwise fill a window nobody looks at.
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
  // The frame's hex lines, each followed by a decoded register, with as many lines as either.
  std::string DecodedFrameLines(const std::string& text);

  Host& host_;
  const SharedState* state_ = nullptr;
  std::unique_ptr<FrameLogDecoder> decoder_;
};

}  // namespace qvm
