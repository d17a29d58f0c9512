#pragma once
#include <QEvent>

namespace qvm {

// Work that only brings the display up to date (laying out gathered log text) is posted as
// an event of this type, so that a wait can run it without running user actions or timers.
QEvent::Type DisplayRefreshEventType();

// Runs the posted display work and paints what is waiting to be painted; nothing else runs.
void RefreshDisplay();

}  // namespace qvm
