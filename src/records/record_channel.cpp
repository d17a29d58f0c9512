// SPDX-License-Identifier: MIT
#include "records/record_channel.h"

#include <cerrno>
#include <cstring>

#include "records/record_paths.h"

namespace qvm {

RecordChannel::RecordChannel(const RecordChannelProperties& properties, Host& host,
                             RecordFileSystem& files, const std::string& messageTitle)
    : properties_(properties), host_(host), files_(files), messageTitle_(messageTitle) {}

std::string RecordChannel::ProposePath() {
  if (!files_.FolderExists(folder_)) {
    const std::optional<std::string> documents = files_.DocumentsFolder();
    if (!documents) host_.ShowMessage(messageTitle_, "The folder does not exist");
    folder_ = TrimAtNull(documents.value_or(""));
  }
  for (int n = 1;; ++n) {
    const std::string path =
        JoinPath(folder_, NumberedFileName(properties_.prefix, n, properties_.extension));
    if (!files_.FileExists(path)) return path;
  }
}

std::string RecordChannel::Open() {
  if (IsOpen() && !Close()) return {};
  const std::string proposed = ProposePath();
  const std::optional<std::string> answer =
      host_.AskSaveFileName(properties_.dialogTitle, properties_.filterDescription, proposed);
  if (!answer || TrimAtNull(*answer).empty()) return {};
  // The default extension completes a new name; an existing file is taken as named.
  const std::string chosen = TrimAtNull(*answer);
  const std::string path = files_.FileExists(chosen)
                               ? chosen
                               : WithDefaultExtension(chosen, properties_.defaultExtension);
  folder_ = FolderOfPath(path);
  if (files_.FileInUse(path)) {
    host_.ShowMessage(messageTitle_,
                      "The file \"" + path + "\" is currently open or in use by another program." +
                          "\r\nYou must first close this file before you can create the index.");
    return {};
  }
  if (files_.IsRegularFile(path)) {
    if (const auto error = files_.RemoveFile(path)) {
      ReportFailure(properties_.openProcedure, *error);
      return {};
    }
    host_.PumpEvents();
  }
  FileError error;
  file_ = files_.CreateFile(path, error);
  if (!file_) {
    ReportFailure(properties_.openProcedure, error);
    return {};
  }
  return path;
}

bool RecordChannel::AddLine(const std::string& text) {
  return WriteLine(properties_.addLineProcedure, text);
}

bool RecordChannel::AddLines(const std::string& lines) {
  return WriteText(properties_.addLineProcedure, lines);
}

bool RecordChannel::WriteLine(const char* procedure, const std::string& text) {
  return WriteText(procedure, text + "\r\n");
}

bool RecordChannel::WriteText(const char* procedure, const std::string& text) {
  if (!file_) {
    ReportFailure(procedure, {EBADF, std::strerror(EBADF)});
    return false;
  }
  if (const auto error = file_->Write(text)) {
    ReportFailure(procedure, *error);
    return false;
  }
  return true;
}

bool RecordChannel::Close() {
  if (!file_) return true;
  const std::optional<FileError> error = file_->Close();
  file_.reset();
  if (error) {
    ReportFailure(properties_.closeProcedure, *error);
    return false;
  }
  return true;
}

void RecordChannel::ReportFailure(const char* procedure, const FileError& error) {
  ++failures_;
  host_.ShowMessage(messageTitle_, std::string(procedure) + " failed due to the following:\r\n" +
                                       "Error " + std::to_string(error.number) + ":\r\n" +
                                       error.description);
}

}  // namespace qvm
