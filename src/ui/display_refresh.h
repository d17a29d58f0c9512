// SPDX-License-Identifier: MIT
#pragma once
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <vector>

namespace qvm {

// Work that only brings the display up to date (laying out gathered log text) is posted as
// an event of this type, so that a wait can run it without running user actions or timers.
QEvent::Type DisplayRefreshEventType();

// Runs the posted display work and paints what is waiting to be painted; nothing else runs.
void RefreshDisplay();

// Runs pending events (timers, user actions) while keeping back the display work they would
// bring (gathered log text, repaints), so that the many pumps of one operation paint once. What
// was kept back is posted again after the pump, for the next pump that paints or for
// RefreshDisplay. A dialog opened during the pump runs an event loop of its own and paints as
// usual.
class DisplayHold : public QObject {
 public:
  // Runs pending events with the display work kept back.
  void PumpHeld();
  // True once a held pump has delivered a click or a key since the last call: its effect is to
  // be shown without waiting for the operation to end.
  bool TakeInputSeen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Held {
    QPointer<QObject> receiver;
    QEvent::Type type;
  };

  std::vector<Held> held_;
  // The event-loop depth of the held pump.
  int loopLevel_ = 0;
  bool inputSeen_ = false;
};

}  // namespace qvm
