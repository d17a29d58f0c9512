// SPDX-License-Identifier: MIT
#pragma once
#include <QLineEdit>
#include <QString>
#include <cstdint>
#include <optional>

namespace qvm {

// The byte a bench text box holds as two hexadecimal digits; nothing when it is not a byte.
inline std::optional<std::uint8_t> ParseHexByte(const QString& text) {
  bool ok = false;
  const uint value = text.trimmed().toUInt(&ok, 16);
  if (!ok || value > 0xFF) return std::nullopt;
  return static_cast<std::uint8_t>(value);
}

// A decimal count or index of a bench text box within 0..`max`; nothing otherwise.
inline std::optional<int> ParseDecimalUpTo(const QString& text, int max) {
  bool ok = false;
  const uint value = text.trimmed().toUInt(&ok, 10);
  if (!ok || value > static_cast<uint>(max)) return std::nullopt;
  return static_cast<int>(value);
}

// A two-digit byte box of the bench pages, named `name` and holding `text`.
inline QLineEdit* ByteField(QWidget* parent, const QString& name, const QString& text) {
  auto* field = new QLineEdit(text, parent);
  field->setObjectName(name);
  field->setMaxLength(2);
  field->setFixedWidth(30);
  return field;
}

}  // namespace qvm
