// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qvm {

// The round indicators that the core lights.
enum class Led {
  Com52400,
  Com52401,
  Ack52400,
  Ack52401,
  Nack52400,
  Nack52401,
  Fault52400,
  Fault52401,
  Polling,
};

enum class Colour {
  Green,     // 00 FF 00
  Red,       // FF 00 00
  Yellow,    // FF FF 00
  Grey,      // 7F 7F 7F
  LightRed,  // the attachment indicator after a lost link
};

// What the last packet exchange shows in the bench window's SPI fields.
struct ExchangeDisplay {
  int catchUpReads = -1;  // lblDwait; -1 leaves the previous value
  int replyCount = 0;     // lblbytecount
  int requestSequence = 0;
  int replySequence = 0;
  int bytesToWrite = 0;  // txtNumToWrite
  std::array<std::uint8_t, 11> written{};
  std::array<std::uint8_t, 11> read{};
};

// What the core paints and asks of the windows. Every method has a harmless default so that a
// headless front end overrides only what it shows; the desktop console implements all of it and
// the tests record it.
class ConsoleView {
 public:
  virtual ~ConsoleView() = default;

  // Activity log (txtLog); the text carries its own line end.
  virtual void AppendLog(const std::string& text) { (void)text; }
  virtual void ClearLog() {}
  // "Polling Optiion Show Activity Log": device traffic lines and the hex logs are written.
  virtual bool ShowActivityLogs() { return true; }
  // Hex log of one device type (txt52400HexLog, txt52401HexLog).
  virtual void AppendHexLog(int devType, const std::string& text) {
    (void)devType;
    (void)text;
  }

  // Trace window of bench operations.
  virtual bool TraceActive() { return false; }
  virtual bool TraceDetailed() { return false; }
  virtual void AppendTrace(const std::string& text) { (void)text; }

  // Communication log file: one line per traced frame while logging is active.
  virtual bool CommLoggingActive() { return false; }
  virtual void LogEvent(const std::string& line) { (void)line; }

  // Bench window.
  virtual void ShowExchange(const ExchangeDisplay& display) { (void)display; }
  virtual void RefillBoardList(int boardCount) { (void)boardCount; }
  virtual void MarkAttachmentLost() {}
  virtual void UnloadBenchWindow() {}
  // The selected board failed a write or a read (it was unplugged); called once per loss.
  virtual void BoardLost() {}

  // Console indicators.
  virtual void SetLed(Led led, Colour colour) {
    (void)led;
    (void)colour;
  }
  // Untick "Enable Polling", stop the polling timer and grey its indicator.
  virtual void StopPolling() {}
  // "Enable Polling" is ticked: there is polling that a lost link terminates.
  virtual bool PollingRunning() { return false; }
};

}  // namespace qvm
