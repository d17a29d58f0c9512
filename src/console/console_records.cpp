// SPDX-License-Identifier: MIT
#include "console/console_records.h"

#include "model/value_format.h"

namespace qvm {

ConsoleRecords::ConsoleRecords(Session& session, QWidget* windowParent)
    : commLog(session.host, files, time, session.bridge.MessageTitle),
      chart(session.model, session.image, session.state, session.clock, time),
      chartExport(kChartExportChannel, session.host, files, session.bridge.MessageTitle),
      configExport(kConfigExportChannel, session.host, files, session.bridge.MessageTitle),
      chartRecording(kChartExportChannel, session.host, files, session.bridge.MessageTitle),
      csvRecording(chart, chartRecording, HostDecimalSeparator()),
      comErrors(new FrmFaultLog(
          "frmComErrors", [&session] { return ComErrorsCaption(session.state.PartName52400); },
          windowParent)),
      faultStatus(new FrmFaultLog(
          "frmFaultStatusLog",
          [&session] { return FaultStatusLogCaption(session.state.PartName52400); }, windowParent)),
      faults(*comErrors, *faultStatus, time, session.host, session.bridge.MessageTitle,
             [this] { return pauseOnNack; }) {}

}  // namespace qvm
