// SPDX-License-Identifier: MIT
#pragma once

#include <QFontMetrics>
#include <QString>

namespace qvm {

// Sets a name in a narrow column: words wrap at blanks, a word wider than the column is
// broken with a hyphen, and what does not fit in maxLines ends in an ellipsis. Lines are
// joined with '\n'; each fits width under metrics.
QString NameLines(const QString& name, const QFontMetrics& metrics, int width, int maxLines);

}  // namespace qvm
