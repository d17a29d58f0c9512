// SPDX-License-Identifier: MIT
#pragma once
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <memory>
#include <string>

#include "console/frm_charting.h"
#include "evb_bench.h"
#include "operations/bulk_reads.h"
#include "operations/panel_commands.h"
#include "records/chart_store.h"
#include "records/record_channel.h"
#include "records_fixture.h"

namespace qvm::test {

// A chart window over the chart store of a connected simulated chain, in virtual time.
class ChartWindowRig {
 public:
  ChartWindowRig(const std::string& chain, std::uint8_t mode) : bench(chain) {
    bench.Connect(mode);
    files.documents = folder.path();
    window = std::make_unique<FrmCharting>(bench.session, store, channel);
    window->resize(1360, 900);
    store.Initialize(true, bench.session.bridge.EvbConnected);
  }

  Session& session() { return bench.session; }

  // Scans the chain, reads all voltages as "Read Volts" does and charts them, `stepMs` apart.
  void ReadSamples(int count, std::int64_t stepMs = 1000) {
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(RunPanelCommand(bench.session, kScanAllAll));
      ASSERT_TRUE(ReadAllVolts(bench.session, [this](std::uint16_t errors) {
        store.AddNewVoltageDataToChartArray(errors);
      }));
      bench.clock.SleepMs(stepMs);
    }
  }

  // Charts what the register image holds now, without device traffic.
  void StoreSamples(int count, std::int64_t stepMs) {
    for (int i = 0; i < count; ++i) {
      store.AddNewVoltageDataToChartArray();
      bench.clock.SleepMs(stepMs);
    }
  }

  EvbBench bench;
  FixedLocalTime time;
  ChartStore store{bench.session.model, bench.session.image, bench.session.state, bench.clock,
                   time};
  TempFolder folder;
  TestFileSystem files;
  RecordChannel channel{kChartExportChannel, bench.host, files, bench.session.bridge.MessageTitle};
  std::unique_ptr<FrmCharting> window;
};

}  // namespace qvm::test
