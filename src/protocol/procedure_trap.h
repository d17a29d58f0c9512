// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "core/error_trap.h"
#include "protocol/session.h"

namespace qvm {

// Shows the error trap report of `procedure` for an unexpected failure.
void ReportTrappedError(Session& session, std::string_view procedure, const std::exception& error);

// Runs `body`; an unexpected failure inside it is reported as "Error in <procedure> ..." and
// ends the call, and the caller goes on.
template <typename Body>
void RunTrapped(Session& session, std::string_view procedure, Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (const std::exception& error) {
    ReportTrappedError(session, procedure, error);
  }
}

// After an exchange: when the bridge did not answer, logs "<procedure>: <name> pipe
// communication error", records it and returns true, so that the caller stops.
bool ReportPipeError(Session& session, std::string_view procedure, int devType);

}  // namespace qvm
