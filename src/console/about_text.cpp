// SPDX-License-Identifier: MIT
#include "console/about_text.h"

#include <hidapi/hidapi.h>

#include <QString>
#include <QSysInfo>
#include <QtGlobal>

namespace qvm {

std::string AboutText() {
  const std::string version = std::to_string(QVM_VERSION_MAJOR) + "." +
                              std::to_string(QVM_VERSION_MINOR) + "." +
                              std::to_string(QVM_VERSION_PATCH);
  return "BMS Evaluation Console Version " + version + "\r\n" + "Qt " + qVersion() + "\r\n" +
         "hidapi " + hid_version_str() + "\r\n" + QSysInfo::prettyProductName().toStdString() +
         " (" + QSysInfo::kernelType().toStdString() + " " +
         QSysInfo::kernelVersion().toStdString() + ", " +
         QSysInfo::currentCpuArchitecture().toStdString() + ")";
}

}  // namespace qvm
