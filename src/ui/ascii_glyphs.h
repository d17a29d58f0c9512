// SPDX-License-Identifier: MIT
#pragma once
#include <QFont>
#include <QGlyphRun>
#include <QPointF>
#include <QRawFont>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

class QPainter;

namespace qvm {

// The glyphs and advances of the printable ASCII characters of one font, looked up once, so that
// plain text is measured and drawn without being shaped again each time.
class AsciiGlyphs {
 public:
  explicit AsciiGlyphs(const QFont& font);

  // The width of `text` when each of its characters is printable ASCII with a glyph of its own.
  std::optional<double> Width(std::string_view text) const;
  // Draws text that Width() measured, its baseline starting at `origin`.
  void Draw(QPainter& painter, QPointF origin, std::string_view text);

 private:
  QGlyphRun run_;
  std::array<quint32, 128> glyphs_{};
  // Negative for a character drawn otherwise.
  std::array<double, 128> advances_{};
  std::vector<quint32> textGlyphs_;
  std::vector<QPointF> positions_;
};

}  // namespace qvm
