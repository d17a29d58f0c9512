// SPDX-License-Identifier: MIT
#include "app/board_source.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "link/bridge.h"
#include "sim/chain/chain_layout.h"

namespace qvm {

std::optional<ManualConfigChoice> ChoiceForChain(const std::string& chainText, std::string& error) {
  const auto chainLayout = sim::ParseChainLayout(chainText, error);
  if (!chainLayout) return std::nullopt;
  ManualConfigChoice choice;
  choice.daisyChain = chainLayout->mode == sim::ChainMode::kDaisy;
  choice.family = chainLayout->family == sim::PrimaryFamily::k38817 ? DeviceFamily::QVM38817Only
                  : chainLayout->companionCount > 0                 ? DeviceFamily::QVM52400And52401
                                                                    : DeviceFamily::QVM52400Only;
  choice.stackSize = static_cast<std::int16_t>(
      std::max(1, std::max(chainLayout->primaryCount, chainLayout->companionCount)));
  return choice;
}

std::optional<BoardSource> SimulatedSource(const std::string& chainText, Clock& clock,
                                           std::string& error) {
  auto evb = sim::MakeSimulatedEvb(chainText, clock, error);
  if (!evb) return std::nullopt;
  BoardSource source;
  source.simulated = std::move(evb);
  return source;
}

std::optional<BoardSource> SimulatedSource(const sim::SimulationOptions& options, Clock& clock,
                                           std::string& error) {
  auto evb = sim::MakeSimulatedSource(options, clock, error);
  if (!evb) return std::nullopt;
  BoardSource source;
  source.simulated = std::move(evb);
  return source;
}

namespace {
bool AnyBridgeBoard(HidBus& bus, std::uint16_t vendorId) {
  const auto devices = bus.Enumerate();
  return std::any_of(devices.begin(), devices.end(),
                     [vendorId](const auto& info) { return HasBridgeIds(info, vendorId); });
}

enum class NoBoardAnswer { Retry, Simulate, Cancel };

NoBoardAnswer AskNoBoard() {
  QMessageBox box(QMessageBox::Warning, "BMS  Evaluation Board",
                  QString::fromStdString(BoardNotFoundText("BMS ")));
  QPushButton* retry = box.addButton("Retry", QMessageBox::AcceptRole);
  QPushButton* simulate = box.addButton("Continue on the simulated board", QMessageBox::ActionRole);
  box.addButton("Cancel", QMessageBox::RejectRole);
  box.exec();
  if (box.clickedButton() == retry) return NoBoardAnswer::Retry;
  if (box.clickedButton() == simulate) return NoBoardAnswer::Simulate;
  return NoBoardAnswer::Cancel;
}
}  // namespace

std::optional<BoardSource> HardwareSource(std::unique_ptr<HidBus> bus, std::uint16_t vendorId,
                                          Clock& clock, const std::string& fallbackChain,
                                          bool interactive, std::string& error) {
  BoardSource source;
  source.hidapi = std::move(bus);
  while (!AnyBridgeBoard(*source.hidapi, vendorId)) {
    if (!interactive) {
      error = BoardNotFoundText("BMS ");
      return std::nullopt;
    }
    const NoBoardAnswer answer = AskNoBoard();
    if (answer == NoBoardAnswer::Cancel) return std::nullopt;
    if (answer == NoBoardAnswer::Simulate) {
      std::string error;
      return SimulatedSource(fallbackChain, clock, error);
    }
  }
  return source;
}

}  // namespace qvm
