// SPDX-License-Identifier: MIT
#include "protocol/procedure_trap.h"

#include <new>

namespace qvm {

void ReportTrappedError(Session& session, std::string_view procedure, const std::exception& error) {
  int number = kErrInvalidProcedureCall;
  if (dynamic_cast<const std::out_of_range*>(&error) != nullptr) {
    number = kErrSubscriptOutOfRange;
  } else if (dynamic_cast<const std::overflow_error*>(&error) != nullptr) {
    number = kErrOverflow;
  }
  session.host.ShowMessage(session.bridge.MessageTitle,
                           ErrorTrapMessage(procedure, number, error.what()));
}

bool ReportPipeError(Session& session, std::string_view procedure, int devType) {
  if (!session.exchange.ExchangeFailed) return false;
  session.LogLine(std::string(procedure) + ": " + session.state.PartName(devType) +
                  " pipe communication error");
  session.faults.RecordPipeComError();
  return true;
}

}  // namespace qvm
