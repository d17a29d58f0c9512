// SPDX-License-Identifier: MIT
#include "sim/bridge/simulated_bus.h"

#include <algorithm>
#include <utility>

namespace qvm::sim {

namespace {

// An opened board. It forwards to the board while the connection it was opened on lasts; after
// an unplug it stays dead, as a real device handle does, and the board has to be opened again.
class SimulatedBoardHandle final : public HidDevice {
 public:
  explicit SimulatedBoardHandle(std::shared_ptr<SimulatedBoard> board)
      : board_(std::move(board)), generation_(board_->PlugGeneration()) {}

  bool Write(const Report& report) override {
    if (!Connected()) return false;
    return board_->Write(report);
  }
  ReadResult Read(Report& report, int timeoutMs) override {
    if (!Connected()) return ReadResult::Error;
    return board_->Read(report, timeoutMs);
  }
  std::string LastError() const override {
    if (board_->Plugged() && board_->PlugGeneration() != generation_) {
      return "simulated board was unplugged; open it again";
    }
    return board_->LastError();
  }
  bool IsSimulated() const override { return true; }

 private:
  bool Connected() const { return board_->Plugged() && board_->PlugGeneration() == generation_; }

  std::shared_ptr<SimulatedBoard> board_;
  std::uint64_t generation_;
};

}  // namespace

SimulatedBus::SimulatedBus(std::vector<std::shared_ptr<SimulatedBoard>> boards) {
  for (auto& board : boards) Attach(std::move(board));
}

void SimulatedBus::Attach(std::shared_ptr<SimulatedBoard> board) {
  if (!board) return;
  const auto same = std::find_if(boards_.begin(), boards_.end(),
                                 [&](const auto& b) { return b->Path() == board->Path(); });
  if (same != boards_.end()) {
    *same = std::move(board);
  } else {
    boards_.push_back(std::move(board));
  }
}

void SimulatedBus::Detach(const std::string& path) {
  std::erase_if(boards_, [&](const auto& b) { return b->Path() == path; });
}

std::shared_ptr<SimulatedBoard> SimulatedBus::Board(const std::string& path) const {
  const auto it = std::find_if(boards_.begin(), boards_.end(),
                               [&](const auto& b) { return b->Path() == path; });
  return it == boards_.end() ? nullptr : *it;
}

std::vector<HidDeviceInfo> SimulatedBus::Enumerate() {
  std::vector<HidDeviceInfo> infos;
  for (const auto& board : boards_) {
    if (board->Plugged()) infos.push_back(board->Info());
  }
  return infos;
}

std::unique_ptr<HidDevice> SimulatedBus::Open(const std::string& path) {
  auto board = Board(path);
  if (!board || !board->Plugged()) {
    openError_ = "No such device";
    return nullptr;
  }
  if (board->OpenDenied()) {
    openError_ = "Permission denied";
    return nullptr;
  }
  openError_.clear();
  return std::make_unique<SimulatedBoardHandle>(std::move(board));
}

}  // namespace qvm::sim
