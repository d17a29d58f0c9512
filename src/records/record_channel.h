// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "core/host.h"
#include "records/record_file_system.h"

namespace qvm {

// The fixed properties of one record-file channel.
struct RecordChannelProperties {
  const char* openProcedure;
  const char* addLineProcedure;
  const char* closeProcedure;
  const char* prefix;
  const char* extension;
  const char* filterDescription;
  const char* filterPattern;
  const char* defaultExtension;
  const char* dialogTitle;
};

inline constexpr RecordChannelProperties kCommLogChannel = {
    "LogStart",           "LogEvent", "LogStop", "VediRo524_Log_", ".txt",
    "Text Files (*.txt)", "*.txt",    "txt",     "Create Log File"};
inline constexpr RecordChannelProperties kChartExportChannel = {"OpenFileForExportCsv",
                                                                "AddLineToExportCsv",
                                                                "CloseFileForExportCsv",
                                                                "VediRo524_Export_",
                                                                ".csv",
                                                                "CSV Files (*.csv)",
                                                                "*.csv",
                                                                "csv",
                                                                "Export CSV File"};
inline constexpr RecordChannelProperties kConfigExportChannel = {"OpenFileForExportTxt",
                                                                 "AddLineToExportTxt",
                                                                 "CloseFileForExportTxt",
                                                                 "VediRo524_Config_",
                                                                 ".txt",
                                                                 "Text Files (*.txt)",
                                                                 "*.txt",
                                                                 "txt",
                                                                 "Export Text File"};

// One text file channel: proposes a free numbered name in the remembered folder, lets the user
// choose through the save dialog, refuses a file in use, replaces an existing one and writes
// lines ending in CR LF until closed. Failures show a three-line warning and give an empty path
// or false.
class RecordChannel {
 public:
  RecordChannel(const RecordChannelProperties& properties, Host& host, RecordFileSystem& files,
                const std::string& messageTitle);

  // The full path of the file now open, or empty (cancelled, in use, failed). A file still open
  // from before is closed first.
  std::string Open();
  bool AddLine(const std::string& text);
  // Writes `lines`, whole lines each ending in its own CR LF, in one go; a failure is reported
  // as the failure of a line write.
  bool AddLines(const std::string& lines);
  bool Close();

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Folder() const { return folder_; }
  const RecordChannelProperties& Properties() const { return properties_; }

  // Failures reported since the channel was made; a file with any of them is incomplete.
  int FailureCount() const { return failures_; }

  // The three-line warning for a failure of `procedure`.
  void ReportFailure(const char* procedure, const FileError& error);

  // Writes `text` and CR LF, reporting a failure as `procedure`.
  bool WriteLine(const char* procedure, const std::string& text);

 private:
  std::string ProposePath();
  bool WriteText(const char* procedure, const std::string& text);

  const RecordChannelProperties& properties_;
  Host& host_;
  RecordFileSystem& files_;
  const std::string& messageTitle_;
  std::string folder_;
  std::unique_ptr<RecordFile> file_;
  int failures_ = 0;
};

}  // namespace qvm
