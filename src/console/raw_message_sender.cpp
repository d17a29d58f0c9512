// SPDX-License-Identifier: MIT
#include "console/raw_message_sender.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/hex.h"

namespace qvm {

namespace {

constexpr int kDeviceField = 0;
constexpr int kCrcField = 4;

QRadioButton* MakeOption(QWidget* parent, const char* caption, const QString& name) {
  auto* option = new QRadioButton(caption, parent);
  option->setObjectName(name);
  return option;
}

}  // namespace

RawMessageSender::RawMessageSender(Session& session, QWidget* parent)
    : QGroupBox("Raw Message", parent), session_(session) {
  setObjectName("fraRawMessageSender");
  auto* layout = new QVBoxLayout(this);

  auto* fields = new QGridLayout;
  const char* captions[] = {"Device Address", "Data Type", "Data Address", "Data", "CRC4"};
  for (int i = 0; i < 5; ++i) {
    const std::size_t digits = kRawFieldDigits[i];
    lblRawMsg[i] = new QLabel(captions[i], this);
    lblRawMsg[i]->setObjectName(QString("lblRawMsg%1").arg(i));
    tbRawMsgHex[i] = new OverwriteEdit(this, HexFieldShape{digits, std::nullopt});
    tbRawMsgHex[i]->setObjectName(QString("tbRawMsgHex%1").arg(i));
    tbRawMsgHex[i]->setText(QString(static_cast<int>(digits), '0'));
    tbRawMsgHex[i]->setAlignment(Qt::AlignCenter);
    tbRawMsgHex[i]->setFixedWidth(fontMetrics().horizontalAdvance("MMMM") + 12);
    fields->addWidget(lblRawMsg[i], 0, i, Qt::AlignHCenter);
    fields->addWidget(tbRawMsgHex[i], 1, i, Qt::AlignHCenter);
    connect(tbRawMsgHex[i], &OverwriteEdit::keyHandled, this,
            &RawMessageSender::RefreshRawMessageSender);
  }
  // The CRC4 is the encoder's, not the user's.
  tbRawMsgHex[kCrcField]->setReadOnly(true);
  layout->addLayout(fields);

  auto* encoded = new QHBoxLayout;
  encoded->addWidget(new QLabel("Encoded Command (Hex)", this));
  for (int i = 0; i < 4; ++i) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString("tbEncodedCommandHexByte%1").arg(i));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(fontMetrics().horizontalAdvance("MMM") + 8);
    tbEncodedCommandHexByte[i] = box;
    encoded->addWidget(box);
  }
  encoded->addStretch();
  layout->addLayout(encoded);

  auto* choices = new QHBoxLayout;
  fraRawMsgNotConnected = new QGroupBox("Mode", this);
  fraRawMsgNotConnected->setObjectName("fraRawMsgNotConnected");
  auto* modes = new QVBoxLayout(fraRawMsgNotConnected);
  optRawMsgNotConnectedMode[0] =
      MakeOption(fraRawMsgNotConnected, "Daisy Chain Mode", "optRawMsgNotConnectedMode0");
  optRawMsgNotConnectedMode[1] =
      MakeOption(fraRawMsgNotConnected, "Non Daisy Chain Mode", "optRawMsgNotConnectedMode1");
  for (QRadioButton* option : optRawMsgNotConnectedMode) {
    modes->addWidget(option);
    connect(option, &QRadioButton::clicked, this,
            &RawMessageSender::optRawMsgNotConnectedMode_Click);
  }
  optRawMsgNotConnectedMode[1]->setChecked(true);
  choices->addWidget(fraRawMsgNotConnected);

  fraRawMsgDevType = new QGroupBox("Device Type", this);
  fraRawMsgDevType->setObjectName("fraRawMsgDevType");
  auto* types = new QVBoxLayout(fraRawMsgDevType);
  optRawDevicetype[0] = MakeOption(fraRawMsgDevType, "QVM52400", "optRawDevicetype0");
  optRawDevicetype[1] = MakeOption(fraRawMsgDevType, "QVM52401", "optRawDevicetype1");
  for (QRadioButton* option : optRawDevicetype) types->addWidget(option);
  optRawDevicetype[0]->setChecked(true);
  choices->addWidget(fraRawMsgDevType);

  cbSendRawMsg = new QPushButton("Send", this);
  cbSendRawMsg->setObjectName("cbSendRawMsg");
  connect(cbSendRawMsg, &QPushButton::clicked, this, &RawMessageSender::cbSendRawMsg_Click);
  choices->addWidget(cbSendRawMsg, 0, Qt::AlignBottom);
  choices->addStretch();
  layout->addLayout(choices);

  ApplyConnection(false);
  HideDisableRawMessageSender();
  RefreshRawMessageSender();
}

void RawMessageSender::ShowEnableRawMessageSender() {
  setVisible(true);
  setEnabled(true);
  shown_ = true;
  const bool connected = session_.bridge.EvbConnected;
  ApplyConnection(connected);
  if (!connected) session_.state.DaisyChainMode = optRawMsgNotConnectedMode[0]->isChecked();
  ShowDaisyFields(session_.state.DaisyChainMode);
}

void RawMessageSender::HideDisableRawMessageSender() {
  setVisible(false);
  setEnabled(false);
  shown_ = false;
}

void RawMessageSender::ApplyConnection(bool connected) {
  fraRawMsgNotConnected->setVisible(!connected);
  fraRawMsgNotConnected->setEnabled(!connected);
  fraRawMsgDevType->setVisible(connected);
  fraRawMsgDevType->setEnabled(connected);
  cbSendRawMsg->setVisible(connected);
  cbSendRawMsg->setEnabled(connected);
}

void RawMessageSender::ShowDeviceTypeOptions(bool show) {
  // An option without a part name (no companion configured) stays out of sight.
  for (QRadioButton* option : optRawDevicetype)
    option->setVisible(show && !option->text().isEmpty());
}

void RawMessageSender::SetDeviceTypeCaptions(const std::string& primary,
                                             const std::string& companion) {
  optRawDevicetype[0]->setText(QString::fromStdString(primary));
  optRawDevicetype[1]->setText(QString::fromStdString(companion));
  if (companion.empty()) optRawDevicetype[0]->setChecked(true);
}

void RawMessageSender::ShowDaisyFields(bool daisy) {
  for (const int field : {kDeviceField, kCrcField}) {
    lblRawMsg[field]->setVisible(daisy);
    tbRawMsgHex[field]->setVisible(daisy);
    tbRawMsgHex[field]->setEnabled(daisy);
  }
}

RawMessageFields RawMessageSender::Fields() const {
  RawMessageFields fields;
  fields.device = tbRawMsgHex[0]->text().toStdString();
  fields.category = tbRawMsgHex[1]->text().toStdString();
  fields.address = tbRawMsgHex[2]->text().toStdString();
  fields.data = tbRawMsgHex[3]->text().toStdString();
  return fields;
}

void RawMessageSender::RefreshRawMessageSender() {
  const bool daisy = session_.state.DaisyChainMode;
  if (session_.bridge.EvbConnected) optRawMsgNotConnectedMode[daisy ? 0 : 1]->setChecked(true);
  const RawMessage message = EncodeRawMessage(Fields(), daisy);
  if (daisy) tbRawMsgHex[kCrcField]->setText(QString::fromStdString(HexDigits(message.crc4, 1)));
  for (std::size_t i = 0; i < tbEncodedCommandHexByte.size(); ++i) {
    QLineEdit* box = tbEncodedCommandHexByte[i];
    const bool used = i < message.encoded.size();
    box->setVisible(used);
    box->setText(used ? QString::fromStdString(HexDigits(message.encoded[i], 2)) : QString());
  }
}

void RawMessageSender::optRawMsgNotConnectedMode_Click() {
  if (session_.bridge.EvbConnected) return;
  ShowEnableRawMessageSender();
  RefreshRawMessageSender();
}

void RawMessageSender::cbSendRawMsg_Click() {
  SendRawMessage(session_, Fields(), optRawDevicetype[0]->isChecked() ? 0 : 1);
}

}  // namespace qvm
