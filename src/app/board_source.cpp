#include "app/board_source.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "link/bridge.h"
#include "link/hidapi_bus.h"
#include "sim/chain/chain_spec.h"

namespace qvm {

std::optional<ManualConfigChoice> ChoiceForChain(const std::string& chainText, std::string& error) {
  const auto chainSpec = sim::ParseChainSpec(chainText, error);
  if (!chainSpec) return std::nullopt;
  ManualConfigChoice choice;
  choice.daisyChain = chainSpec->mode == sim::ChainMode::kDaisy;
  choice.family = chainSpec->family == sim::PrimaryFamily::k38817 ? DeviceFamily::QVM38817Only
                  : chainSpec->companionCount > 0                 ? DeviceFamily::QVM52400And52401
                                                                  : DeviceFamily::QVM52400Only;
  choice.stackSize = static_cast<std::int16_t>(
      std::max(1, std::max(chainSpec->primaryCount, chainSpec->companionCount)));
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
bool AnyBridgeBoard(HidBus& bus) {
  const auto devices = bus.Enumerate();
  return std::any_of(devices.begin(), devices.end(),
                     [](const HidDeviceInfo& info) { return IsBridgeBoard(info); });
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

std::optional<BoardSource> HardwareSource(Clock& clock, const std::string& fallbackChain) {
  BoardSource source;
  source.hidapi = std::make_unique<HidapiBus>();
  while (!AnyBridgeBoard(*source.hidapi)) {
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
