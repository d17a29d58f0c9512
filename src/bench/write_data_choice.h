// SPDX-License-Identifier: MIT
#pragma once
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <string>

#include "bench/write_data_file.h"
#include "core/host.h"

namespace qvm {

// "Load Write Data from File" ticked: asks for the file, keeps it in `path` and names it in
// `label`; unticked again when none is chosen. Unticking clears the name.
inline void ChooseWriteDataFile(Host& host, bool checked, QCheckBox& box, QLabel& label,
                                std::string& path) {
  if (!checked) {
    label.clear();
    return;
  }
  const auto chosen = AskWriteDataFile(host);
  if (!chosen) {
    box.setChecked(false);
    return;
  }
  path = *chosen;
  label.setText(QFileInfo(QString::fromStdString(path)).fileName());
}

}  // namespace qvm
