// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/console_view.h"
#include "core/host.h"
#include "link/board_access.h"
#include "link/hid_device.h"
#include "link/transfer_status.h"

namespace qvm {

// The bridge boards on the USB bus and the one report buffer every transfer goes through.
// All attached boards are opened; one of them, chosen by its instance number, is selected.
class Bridge {
 public:
  static constexpr int kReadTimeoutMs = 6000;

  Bridge(HidBus& bus, Host& host, Clock& clock, ConsoleView& view);

  // True after an OpenBridge that opened at least one board.
  bool EvbConnected = false;
  Report ReportBuffer{};
  // Set by the startup window: the prompts' title and the family name inside the
  // board-not-found text.
  std::string MessageTitle;
  std::string BoardFamilyName = "BMS ";
  // The vendor id the scan looks for (the build's default or the --vid option).
  std::uint16_t VendorId = kBridgeVendorId;

  // Enumerates, opens every bridge board and selects board 0; prompts while none is found.
  void OpenBridge();
  // Closes every board; leaves EvbConnected to the caller.
  void CloseBridge();

  int BoardCount() const { return static_cast<int>(boards_.size()); }
  // Bridge boards the bus lists now, opened or not.
  int ListedBoardCount();
  // Board selection from the board list; an instance out of range is ignored.
  void SelectBoard(int instance);
  int SelectedBoard() const { return selected_; }
  bool SelectedBoardIsSimulated() const;
  // Bridge boards the last scan found but could not open.
  const std::vector<BoardOpenFailure>& OpenFailures() const { return openFailures_; }

  // Set when a write or read on the selected board failed (the board is gone); cleared when
  // the link is opened again. `LinkLostReason` is the device's error text.
  bool LinkLost() const { return linkLost_; }
  const std::string& LinkLostReason() const { return linkLostReason_; }
  // Set when the selected board took a request and never answered; cleared with the link.
  void MarkSilent() { silent_ = true; }
  // What the link knows of why the board cannot be used, for the line the user is left with:
  // the device's error text once the board is gone ("No such device"), a board found but not
  // opened ("/dev/hidraw3 cannot be opened: Permission denied"), or a board that opened but
  // never answered; empty when the link knows of nothing wrong. A link closed after a failure
  // (Cancel at a prompt) keeps its problem until it is opened again.
  std::string LinkProblem() const;

  // Sends ReportBuffer as one output report on the selected board; a failure loses the link.
  bool WriteReport();
  // Waits up to `timeoutMs` for the next input report and, when one arrives, puts it in
  // ReportBuffer; otherwise the buffer keeps what it held. An error loses the link.
  ReadResult ReadInto(int timeoutMs);

  // An input report arrived from the selected board since the link was opened.
  bool Answered() const { return answered_; }

  // Reads one input report with the 6000 ms time-out.
  std::uint16_t ReadReport();
  // Discards the input reports already queued, without waiting for more.
  void FlushInput();
  void FillReport(std::uint8_t value);
  void SetReportId() { ReportBuffer[0] = 1; }

  // 8 when `result` is true; otherwise prompts as PromptLinkRetry does and returns 0.
  std::uint16_t checkStatus(bool result);
  // Prompts "Please check USB connection." with what the link knows; true when the user chose
  // Retry, which opens the link again.
  bool PromptLinkRetry();
  // The prompt for a failed I2C transfer; true when the user chose Retry.
  bool ShowTransferError(std::uint16_t status, bool addressValid);

  // I2C transfers through the bridge (command 6). Addresses are 8-bit (write form).
  std::uint16_t I2cReadTransfer(std::uint8_t slaveAddress, std::uint8_t readCount,
                                std::span<const std::uint8_t> writeBytes,
                                std::vector<std::uint8_t>& readBytes);
  std::uint16_t I2cWriteTransfer(std::uint8_t slaveAddress,
                                 std::span<const std::uint8_t> addressBytes,
                                 std::span<const std::uint8_t> dataBytes);
  // The same with the prompts, repeated while the link fails (status 2 or 4) and the user
  // answers Retry.
  std::uint16_t I2cRead(std::uint8_t slaveAddress, std::uint8_t readCount,
                        std::span<const std::uint8_t> writeBytes,
                        std::vector<std::uint8_t>& readBytes, bool addressValid = true);
  std::uint16_t I2cWrite(std::uint8_t slaveAddress, std::span<const std::uint8_t> addressBytes,
                         std::span<const std::uint8_t> dataBytes, bool addressValid = true);

  // Waits while keeping the user interface alive.
  void DelaySeconds(float seconds);

 private:
  // One scan of the bus; returns the number of boards opened.
  int ScanBoards();
  bool RetryAfterLinkError(const std::string& text);
  // Marks the link lost and, once per loss, tells the view.
  void LoseLink();

  HidBus& bus_;
  Host& host_;
  Clock& clock_;
  ConsoleView& view_;
  std::vector<std::unique_ptr<HidDevice>> boards_;
  int selected_ = -1;
  std::vector<BoardOpenFailure> openFailures_;
  bool linkLost_ = false;
  std::string linkLostReason_;
  bool silent_ = false;
  bool answered_ = false;
  // The problem the link knew when it was last closed, until it is opened anew.
  std::string lastProblem_;
};

// Text of the board-not-found prompt.
std::string BoardNotFoundText(const std::string& boardFamilyName);

}  // namespace qvm
