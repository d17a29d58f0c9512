// SPDX-License-Identifier: MIT
#include "ui/display_refresh.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <utility>

namespace qvm {

namespace {

bool IsClickOrKey(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

QEvent::Type DisplayRefreshEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void RefreshDisplay() {
  QCoreApplication::sendPostedEvents(nullptr, DisplayRefreshEventType());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void DisplayHold::PumpHeld() {
  loopLevel_ = QThread::currentThread()->loopLevel();
  QCoreApplication::instance()->installEventFilter(this);
  QCoreApplication::processEvents();
  QCoreApplication::instance()->removeEventFilter(this);
  // Repaints go after other events, as Qt posts them.
  for (const Held& held : held_) {
    if (held.receiver.isNull()) continue;
    QCoreApplication::postEvent(
        held.receiver, new QEvent(held.type),
        held.type == QEvent::UpdateRequest ? Qt::LowEventPriority : Qt::NormalEventPriority);
  }
  held_.clear();
}

bool DisplayHold::TakeInputSeen() {
  return std::exchange(inputSeen_, false);
}

bool DisplayHold::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (IsClickOrKey(type)) inputSeen_ = true;
  const bool displayWork = (type == QEvent::UpdateRequest && watched->isWidgetType()) ||
                           type == DisplayRefreshEventType();
  if (!displayWork || QThread::currentThread()->loopLevel() != loopLevel_) return false;
  const bool known = std::any_of(held_.begin(), held_.end(), [&](const Held& held) {
    return held.receiver == watched && held.type == type;
  });
  if (!known) held_.push_back({watched, type});
  return true;
}

}  // namespace qvm
