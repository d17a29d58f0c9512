// SPDX-License-Identifier: MIT
#include "operations/raw_message.h"

#include <optional>

#include "model/leading_number.h"
#include "protocol/polling_guard.h"
#include "protocol/register_access.h"

namespace qvm {

namespace {

constexpr const char* kProcedure = "cbSendRawMsg_Click";
constexpr std::uint8_t kWriteCategories = 8;

// The field's value; a field the user emptied counts as zero.
int FieldValue(const std::string& text) {
  return ReadHexText(text).value_or(0);
}

}  // namespace

RawMessage EncodeRawMessage(const RawMessageFields& fields, bool daisyChain) {
  RawMessage message;
  DeviceCommand& command = message.command;
  command.dev = daisyChain ? static_cast<std::uint8_t>(FieldValue(fields.device) & 0xF) : 0;
  command.cat = static_cast<std::uint8_t>(FieldValue(fields.category) & 0xF);
  command.adr = static_cast<std::uint8_t>(FieldValue(fields.address) & 0xFF);
  command.dat = static_cast<std::int16_t>(FieldValue(fields.data) & 0xFFFF);
  std::int16_t dat = command.dat;
  if (daisyChain) {
    EncodeDaisyFrame(command.dev, command.cat, command.adr, dat, message.encoded);
    message.crc4 = static_cast<std::uint8_t>(message.encoded.back() & 0xF);
  } else {
    EncodeNonDaisyFrame(command.cat, command.adr, dat, message.encoded);
  }
  return message;
}

void SendRawMessage(Session& session, const RawMessageFields& fields, int devType) {
  if (!session.bridge.EvbConnected) {
    session.host.ShowMessage(session.bridge.MessageTitle,
                             session.state.PartName52400 + " EVB not connected!");
    session.LogLine(std::string(kProcedure) + ": EVB not detected. Please check connections.");
    return;
  }
  const int type = devType == 0 ? 0 : 1;
  const int count = type == 0 ? session.state.DeviceCount52400 : session.state.DeviceCount52401;
  const std::string& part = session.state.PartName(type);
  if (count == 0) {
    session.host.ShowMessage(session.bridge.MessageTitle, part + " not present!");
    session.LogLine(std::string(kProcedure) + ": " + part +
                    " not present. Please check connections.");
    ResumeUprPolling(session);
    return;
  }
  DeviceCommand command = EncodeRawMessage(fields, session.state.DaisyChainMode).command;
  command.devType = static_cast<std::int16_t>(type);
  PauseUprPolling(session);
  if (command.cat < kWriteCategories) {
    ReadSingleReg(session, command);
  } else {
    WriteSingleReg(session, command);
  }
  ResumeUprPolling(session);
}

}  // namespace qvm
