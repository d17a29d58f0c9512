// SPDX-License-Identifier: MIT
#pragma once
#include <QGroupBox>
#include <array>
#include <string>

#include "operations/raw_message.h"
#include "protocol/session.h"
#include "ui/overwrite_edit.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qvm {

// The "COMMANDS" page: one device command typed field by field in hexadecimal, its encoded
// bytes (and CRC4 in daisy-chain mode) after every key, and "Send". Without a board it encodes
// for the mode chosen on the panel.
class RawMessageSender : public QGroupBox {
  Q_OBJECT
 public:
  explicit RawMessageSender(Session& session, QWidget* parent = nullptr);

  void ShowEnableRawMessageSender();
  void HideDisableRawMessageSender();
  bool PanelShown() const { return shown_; }
  // Re-encodes the fields; when connected the mode options mirror the chain mode.
  void RefreshRawMessageSender();
  // Connected: the device type choice and "Send"; otherwise the mode choice.
  void ApplyConnection(bool connected);
  // The device-type options, shown only in daisy-chain mode, and their captions.
  void ShowDeviceTypeOptions(bool show);
  void SetDeviceTypeCaptions(const std::string& primary, const std::string& companion);
  void optRawMsgNotConnectedMode_Click();
  void cbSendRawMsg_Click();

  // Device address, data type, data address, data, CRC4.
  std::array<QLabel*, 5> lblRawMsg{};
  std::array<OverwriteEdit*, 5> tbRawMsgHex{};
  std::array<QLineEdit*, 4> tbEncodedCommandHexByte{};
  QGroupBox* fraRawMsgNotConnected;
  std::array<QRadioButton*, 2> optRawMsgNotConnectedMode{};
  QGroupBox* fraRawMsgDevType;
  std::array<QRadioButton*, 2> optRawDevicetype{};
  QPushButton* cbSendRawMsg;

 private:
  RawMessageFields Fields() const;
  void ShowDaisyFields(bool daisy);

  Session& session_;
  bool shown_ = false;
};

}  // namespace qvm
