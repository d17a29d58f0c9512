// SPDX-License-Identifier: MIT
#pragma once
#include <QLineEdit>

#include "model/shown_value.h"

namespace qvm {

// Shows `value` in `box`: its text, in grey while the value is stale, with a tooltip saying
// when it was last read. Boxes are refreshed after every reply; what a box already shows is not
// set again, as laying it out and repainting it would be for nothing.
void ShowValue(QLineEdit* box, const ShownValue& value, const TimeOfDay& timeOfDay);

}  // namespace qvm
