#include "ui/display_refresh.h"

#include <QCoreApplication>

namespace qvm {

QEvent::Type DisplayRefreshEventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

void RefreshDisplay() {
  QCoreApplication::sendPostedEvents(nullptr, DisplayRefreshEventType());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

}  // namespace qvm
