// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "core/host.h"
#include "protocol/fault_recorder.h"
#include "records/local_time.h"

namespace qvm {

// A fault window as the recorders use it; the desktop windows implement it.
class FaultLogWindow {
 public:
  virtual ~FaultLogWindow() = default;
  // Shows the window without blocking (bringing it up when already shown) and appends `text`.
  virtual void ShowAndAppend(const std::string& text) = 0;
  // Empties the window's text.
  virtual void Clear() = 0;
  // The window's whole text.
  virtual std::string Text() const = 0;
};

// A window that only keeps its text, for front ends without windows.
class TextFaultLogWindow final : public FaultLogWindow {
 public:
  void ShowAndAppend(const std::string& text) override {
    text_ += text;
    ++shows;
  }
  void Clear() override { text_.clear(); }
  std::string Text() const override { return text_; }

  int shows = 0;

 private:
  std::string text_;
};

// Window captions, from the display name of device type 0.
inline std::string ComErrorsCaption(const std::string& partName) {
  return partName + " Communication Errors";
}
inline std::string FaultStatusLogCaption(const std::string& partName) {
  return partName + " Fault Status Log";
}

inline constexpr int kFaultLogMaxLines = 250;

// Writes communication errors and newly raised faults as time-stamped lines into the two fault
// windows, empties a window automatically after 250 lines and pauses on a NACK when the bench
// tool asks for it.
class WindowFaultRecorder final : public FaultRecorder {
 public:
  WindowFaultRecorder(FaultLogWindow& comErrors, FaultLogWindow& faultStatus, LocalTimeSource& time,
                      Host& host, const std::string& messageTitle,
                      std::function<bool()> pauseOnNack);

  void RecordCrc4Error() override;
  void RecordNackResponse(const std::string& traceSent, const std::string& traceReceived) override;
  void RecordUnrecognizedResponse() override;
  void RecordNoAcknowledge(const std::string& devices) override;
  void RecordPipeComError() override;
  void RecordFaultStatus(const std::string& faultText) override;

  int ComErrorLineCount() const { return comErrorLines_; }
  int FaultLogLineCount() const { return faultLogLines_; }
  // The console's load starts the communication error count again.
  void ResetComErrorLineCount() { comErrorLines_ = 0; }

 private:
  void Append(FaultLogWindow& window, int& lineCount, const std::string& line);
  void RecordComError(const std::string& line);

  FaultLogWindow& comErrors_;
  FaultLogWindow& faultStatus_;
  LocalTimeSource& time_;
  Host& host_;
  const std::string& messageTitle_;
  std::function<bool()> pauseOnNack_;
  int comErrorLines_ = 0;
  int faultLogLines_ = 0;
};

}  // namespace qvm
