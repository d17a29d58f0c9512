// SPDX-License-Identifier: MIT
#pragma once

#include <pybind11/pybind11.h>

namespace qvm::python {

// qvm.decode_log and the iterator over a frame log's transactions it returns.
void AddLogDecodingBindings(pybind11::module_& m);

}  // namespace qvm::python
