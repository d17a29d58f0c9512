// SPDX-License-Identifier: MIT
#include "ui/name_lines.h"

#include <QStringList>

namespace qvm {

namespace {

// A broken word keeps at least this many letters on either side of the hyphen.
constexpr qsizetype kLeastPiece = 3;

// The longest head of word that fits with its hyphen; 0 when none fits.
qsizetype FittingHead(const QString& word, const QFontMetrics& metrics, int width) {
  for (qsizetype n = word.size() - kLeastPiece; n >= kLeastPiece; --n) {
    if (metrics.horizontalAdvance(word.left(n) + '-') <= width) return n;
  }
  return 0;
}

}  // namespace

QString NameLines(const QString& name, const QFontMetrics& metrics, int width, int maxLines) {
  QStringList lines;
  QString line;
  const auto endLine = [&] {
    if (!line.isEmpty()) lines << line;
    line.clear();
  };
  for (QString word : name.split(' ', Qt::SkipEmptyParts)) {
    const QString joined = line.isEmpty() ? word : line + ' ' + word;
    if (metrics.horizontalAdvance(joined) <= width) {
      line = joined;
      continue;
    }
    endLine();
    while (metrics.horizontalAdvance(word) > width) {
      const qsizetype head = FittingHead(word, metrics, width);
      if (head == 0) break;
      lines << word.left(head) + '-';
      word = word.mid(head);
    }
    line = word;
  }
  endLine();
  if (lines.size() > maxLines) {
    lines.resize(maxLines);
    lines.back() += QChar(0x2026);
  }
  for (QString& text : lines) {
    if (metrics.horizontalAdvance(text) > width)
      text = metrics.elidedText(text, Qt::ElideRight, width);
  }
  return lines.join('\n');
}

}  // namespace qvm
