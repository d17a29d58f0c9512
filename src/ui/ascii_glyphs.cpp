// SPDX-License-Identifier: MIT
#include "ui/ascii_glyphs.h"

#include <QPainter>

namespace qvm {

namespace {

constexpr char16_t kFirstPrintable = 0x20;
constexpr char16_t kLastPrintable = 0x7E;

}  // namespace

AsciiGlyphs::AsciiGlyphs(const QFont& font) {
  advances_.fill(-1.0);
  const QRawFont raw = QRawFont::fromFont(font);
  run_.setRawFont(raw);
  for (char16_t c = kFirstPrintable; c <= kLastPrintable; ++c) {
    const QList<quint32> glyph = raw.glyphIndexesForString(QString(QChar(c)));
    if (glyph.size() != 1 || glyph.front() == 0) continue;
    glyphs_[c] = glyph.front();
    advances_[c] = raw.advancesForGlyphIndexes(glyph).front().x();
  }
}

std::optional<double> AsciiGlyphs::Width(std::string_view text) const {
  double width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= advances_.size() || advances_[byte] < 0) return std::nullopt;
    width += advances_[byte];
  }
  return width;
}

void AsciiGlyphs::Draw(QPainter& painter, QPointF origin, std::string_view text) {
  textGlyphs_.clear();
  for (const char c : text) textGlyphs_.push_back(glyphs_[static_cast<unsigned char>(c)]);
  const auto count = static_cast<int>(textGlyphs_.size());
  // Kerned as the text engine would place them.
  positions_.resize(textGlyphs_.size());
  run_.rawFont().advancesForGlyphIndexes(textGlyphs_.data(), positions_.data(), count,
                                         QRawFont::KernedAdvances);
  double x = 0;
  for (QPointF& position : positions_) {
    const double advance = position.x();
    position = QPointF(x, 0);
    x += advance;
  }
  run_.setRawData(textGlyphs_.data(), positions_.data(), static_cast<int>(textGlyphs_.size()));
  painter.drawGlyphRun(origin, run_);
}

}  // namespace qvm
