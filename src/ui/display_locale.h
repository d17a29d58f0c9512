// SPDX-License-Identifier: MIT
#pragma once
#include <QLocale>
#include <QString>

namespace qvm {

// The decimal separator of the user's locale for the numbers the windows show; files keep ".".
inline char DisplayDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  const char separator = point.size() == 1 ? point.at(0).toLatin1() : '\0';
  return separator == ',' ? ',' : '.';
}

}  // namespace qvm
