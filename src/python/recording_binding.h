// SPDX-License-Identifier: MIT
#pragma once

#include <pybind11/pybind11.h>

namespace qvm::python {

// qvm.load_recording and the Recording it returns.
void AddRecordingBindings(pybind11::module_& m);

}  // namespace qvm::python
