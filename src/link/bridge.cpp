// SPDX-License-Identifier: MIT
#include "link/bridge.h"

#include <algorithm>

namespace qvm {

namespace {
constexpr const char* kCheckConnection = "Please check USB connection.";
constexpr std::size_t kI2cFirstData = 5;
}  // namespace

std::string BoardNotFoundText(const std::string& boardFamilyName) {
  return std::string(kCheckConnection) + "\r\n" + "Velquist HID USB (PID 2035) " + " " +
         boardFamilyName + " Evaluation Board not found.";
}

Bridge::Bridge(HidBus& bus, Host& host, Clock& clock, ConsoleView& view)
    : bus_(bus), host_(host), clock_(clock), view_(view) {}

void Bridge::OpenBridge() {
  CloseBridge();
  lastProblem_.clear();
  EvbConnected = false;
  while (ScanBoards() == 0) {
    const std::string text = openFailures_.empty() ? BoardNotFoundText(BoardFamilyName)
                                                   : BoardAccessText(openFailures_.front());
    if (!host_.AskRetryCancel(MessageTitle, text)) {
      view_.UnloadBenchWindow();
      view_.RefillBoardList(0);
      return;
    }
  }
  EvbConnected = true;
  if (view_.TraceActive()) view_.AppendTrace(std::string("     ") + "Init USB HID Connection\r\n");
  selected_ = 0;
  view_.RefillBoardList(BoardCount());
}

int Bridge::ListedBoardCount() {
  const auto devices = bus_.Enumerate();
  return static_cast<int>(std::count_if(devices.begin(), devices.end(), [this](const auto& info) {
    return HasBridgeIds(info, VendorId);
  }));
}

int Bridge::ScanBoards() {
  openFailures_.clear();
  for (const HidDeviceInfo& info : bus_.Enumerate()) {
    if (!HasBridgeIds(info, VendorId)) continue;
    if (auto device = bus_.Open(info.path)) {
      boards_.push_back(std::move(device));
    } else {
      const std::string reason = bus_.OpenError();
      openFailures_.push_back({info.path, reason.empty() ? "unknown error" : reason});
    }
  }
  return BoardCount();
}

void Bridge::CloseBridge() {
  lastProblem_ = LinkProblem();
  boards_.clear();
  selected_ = -1;
  linkLost_ = false;
  linkLostReason_.clear();
  silent_ = false;
  answered_ = false;
}

std::string Bridge::LinkProblem() const {
  if (linkLost_) {
    return "the board was lost" + (linkLostReason_.empty() ? "" : ": " + linkLostReason_);
  }
  if (silent_) {
    return answered_ ? "the bridge stopped answering" : "the bridge opened but never answered";
  }
  if (boards_.empty() && !openFailures_.empty()) {
    const BoardOpenFailure& failure = openFailures_.front();
    return failure.path + " cannot be opened: " + failure.reason;
  }
  return lastProblem_;
}

void Bridge::LoseLink() {
  const bool wasLost = linkLost_;
  linkLost_ = true;
  linkLostReason_ = boards_[static_cast<std::size_t>(selected_)]->LastError();
  if (!wasLost) view_.BoardLost();
}

void Bridge::SelectBoard(int instance) {
  if (instance < 0 || instance >= BoardCount() || instance == selected_) return;
  selected_ = instance;
  linkLost_ = false;
  linkLostReason_.clear();
  silent_ = false;
  answered_ = false;
}

bool Bridge::SelectedBoardIsSimulated() const {
  return selected_ >= 0 && boards_[static_cast<std::size_t>(selected_)]->IsSimulated();
}

bool Bridge::WriteReport() {
  if (selected_ < 0) return false;
  if (boards_[static_cast<std::size_t>(selected_)]->Write(ReportBuffer)) return true;
  LoseLink();
  return false;
}

ReadResult Bridge::ReadInto(int timeoutMs) {
  if (selected_ < 0) {
    clock_.SleepMs(timeoutMs);
    return ReadResult::Error;
  }
  const ReadResult result =
      boards_[static_cast<std::size_t>(selected_)]->Read(ReportBuffer, timeoutMs);
  if (result == ReadResult::Error) LoseLink();
  // A whole read time-out without a report: the bridge does not answer.
  if (result == ReadResult::Timeout && timeoutMs >= kReadTimeoutMs) silent_ = true;
  if (result == ReadResult::Report) {
    answered_ = true;
    silent_ = false;
  }
  return result;
}

std::uint16_t Bridge::ReadReport() {
  if (ReadInto(kReadTimeoutMs) != ReadResult::Report) return kTransferReadTimeout;
  return ReportBuffer[1] != 0 ? kTransferDeviceError : kTransferSuccess;
}

void Bridge::FlushInput() {
  // Reports already queued are taken without waiting; one still on its way is passed over by
  // the sequence matching of the exchange.
  while (ReadInto(0) == ReadResult::Report) {
  }
}

void Bridge::FillReport(std::uint8_t value) {
  if (view_.TraceActive() && view_.TraceDetailed()) {
    view_.AppendTrace("Clear USB Buffer Memory: " + std::to_string(kReportSize - 1) + "\r\n");
  }
  ReportBuffer.fill(value);
}

bool Bridge::RetryAfterLinkError(const std::string& text) {
  if (host_.AskRetryCancel(MessageTitle, text)) {
    OpenBridge();
    return true;
  }
  view_.UnloadBenchWindow();
  return false;
}

std::uint16_t Bridge::checkStatus(bool result) {
  if (result) return kTransferSuccess;
  PromptLinkRetry();
  return 0;
}

bool Bridge::PromptLinkRetry() {
  const std::string problem = LinkProblem();
  return RetryAfterLinkError(std::string(kCheckConnection) + "\r\n" + "checkStatus" +
                             (problem.empty() ? "" : ": " + problem));
}

bool Bridge::ShowTransferError(std::uint16_t status, bool addressValid) {
  if (status == kTransferDeviceError && !addressValid) {
    if (host_.AskRetryCancel(MessageTitle,
                             "Invalid I2C address. Press Retry to return to GUI and enter valid "
                             "address or Cancel to close GUI.")) {
      return true;
    }
    view_.UnloadBenchWindow();
    return false;
  }
  if (status == kTransferReadTimeout || status == kTransferWriteFailed) {
    view_.MarkAttachmentLost();
    const char* call = status == kTransferReadTimeout ? "ReadFile" : "WriteFile";
    return RetryAfterLinkError(std::string(kCheckConnection) + call + " error.");
  }
  return false;
}

std::uint16_t Bridge::I2cReadTransfer(std::uint8_t slaveAddress, std::uint8_t readCount,
                                      std::span<const std::uint8_t> writeBytes,
                                      std::vector<std::uint8_t>& readBytes) {
  const std::size_t writeCount = std::min(writeBytes.size(), kReportSize - kI2cFirstData);
  FillReport(0);
  SetReportId();
  ReportBuffer[1] = 6;
  ReportBuffer[2] = static_cast<std::uint8_t>(slaveAddress + 1);
  ReportBuffer[3] = readCount;
  ReportBuffer[4] = static_cast<std::uint8_t>(writeCount);
  std::copy_n(writeBytes.begin(), writeCount, ReportBuffer.begin() + kI2cFirstData);
  if (!WriteReport()) return kTransferWriteFailed;
  const std::uint16_t status = ReadReport();
  if (status == kTransferSuccess) {
    const std::size_t n = std::min<std::size_t>(readCount, kReportSize - 2);
    readBytes.assign(ReportBuffer.begin() + 2, ReportBuffer.begin() + 2 + static_cast<long>(n));
  }
  return status;
}

std::uint16_t Bridge::I2cWriteTransfer(std::uint8_t slaveAddress,
                                       std::span<const std::uint8_t> addressBytes,
                                       std::span<const std::uint8_t> dataBytes) {
  const std::size_t room = kReportSize - kI2cFirstData;
  const std::size_t addressCount = std::min(addressBytes.size(), room);
  const std::size_t dataCount = std::min(dataBytes.size(), room - addressCount);
  FillReport(0);
  SetReportId();
  ReportBuffer[1] = 6;
  ReportBuffer[2] = slaveAddress;
  ReportBuffer[3] = static_cast<std::uint8_t>(dataCount);
  ReportBuffer[4] = static_cast<std::uint8_t>(addressCount);
  auto out = std::copy_n(addressBytes.begin(), addressCount, ReportBuffer.begin() + kI2cFirstData);
  std::copy_n(dataBytes.begin(), dataCount, out);
  if (!WriteReport()) return kTransferWriteFailed;
  return ReadReport();
}

std::uint16_t Bridge::I2cRead(std::uint8_t slaveAddress, std::uint8_t readCount,
                              std::span<const std::uint8_t> writeBytes,
                              std::vector<std::uint8_t>& readBytes, bool addressValid) {
  for (;;) {
    const std::uint16_t status = I2cReadTransfer(slaveAddress, readCount, writeBytes, readBytes);
    const bool linkFailed = status == kTransferReadTimeout || status == kTransferWriteFailed;
    if (!ShowTransferError(status, addressValid) || !linkFailed) return status;
  }
}

std::uint16_t Bridge::I2cWrite(std::uint8_t slaveAddress,
                               std::span<const std::uint8_t> addressBytes,
                               std::span<const std::uint8_t> dataBytes, bool addressValid) {
  for (;;) {
    const std::uint16_t status = I2cWriteTransfer(slaveAddress, addressBytes, dataBytes);
    const bool linkFailed = status == kTransferReadTimeout || status == kTransferWriteFailed;
    if (!ShowTransferError(status, addressValid) || !linkFailed) return status;
  }
}

void Bridge::DelaySeconds(float seconds) {
  // The clock is monotonic, so unlike a time-of-day reading it never wraps at midnight.
  const std::int64_t end = clock_.NowMs() + static_cast<std::int64_t>(seconds * 1000.0f);
  while (clock_.NowMs() < end) {
    clock_.SleepMs(4);
    host_.PumpEvents();
  }
}

}  // namespace qvm
