// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <array>
#include <cstring>
#include <initializer_list>

namespace qvm {

// A key of a cached picture: the kind of picture, then plain numbers as the characters of a
// string. Formatting the numbers as text would cost more than copying the picture.
inline QString PictureKey(char16_t kind, std::initializer_list<quint64> numbers) {
  QString key;
  key.reserve(1 + static_cast<qsizetype>(numbers.size()) * 4);
  key.append(QChar(kind));
  for (const quint64 number : numbers) {
    std::array<char16_t, 4> units{};
    std::memcpy(units.data(), &number, sizeof number);
    key.append(reinterpret_cast<const QChar*>(units.data()), 4);
  }
  return key;
}

}  // namespace qvm
