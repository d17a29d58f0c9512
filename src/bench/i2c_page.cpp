// SPDX-License-Identifier: MIT
#include "bench/i2c_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

#include "bench/byte_fields.h"
#include "bench/port_bits.h"
#include "bench/write_data_choice.h"
#include "bench/write_data_file.h"

namespace qvm {

namespace {

constexpr int kFieldsPerRow = 16;
constexpr const char* kI2cTitle = "I2C";

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

I2cPage::I2cPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("I2cPage");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildAddress());
  layout->addWidget(BuildOptions());
  layout->addWidget(BuildTransfers());
  layout->addWidget(BuildDataFields());
  layout->addStretch();
  SetI2cSlaveAddress(kStartupSlaveAddress);
}

QWidget* I2cPage::BuildAddress() {
  auto* box = new QGroupBox("Slave Address", this);
  auto* layout = new QHBoxLayout(box);
  txtI2Caddress = ByteField(box, "txtI2Caddress", "00");
  // Typing settles for half a second; leaving the field applies the address at once, without
  // a wait that would swallow the click that moved the focus.
  addressSettling_.setSingleShot(true);
  addressSettling_.setInterval(kAddressSettlingMs);
  connect(&addressSettling_, &QTimer::timeout, this, &I2cPage::txtI2Caddress_Change);
  connect(txtI2Caddress, &QLineEdit::textEdited, this, [this] { addressSettling_.start(); });
  connect(txtI2Caddress, &QLineEdit::editingFinished, this, &I2cPage::txtI2Caddress_Change);
  layout->addWidget(txtI2Caddress);
  for (int j = static_cast<int>(chkADDRbit.size()) - 1; j >= 0; --j) {
    auto* bit = new QCheckBox(QString("A%1").arg(j + 1), box);
    bit->setObjectName(QString("chkADDRbit_%1").arg(j));
    connect(bit, &QCheckBox::toggled, this, &I2cPage::AddressBitChanged);
    chkADDRbit[static_cast<std::size_t>(j)] = bit;
    layout->addWidget(bit);
  }
  auto* scan = Button(box, "cmdScanI2Caddress", "Scan Address");
  connect(scan, &QPushButton::clicked, this, &I2cPage::cmdScanI2Caddress_Click);
  layout->addWidget(scan);
  layout->addStretch();
  return box;
}

QWidget* I2cPage::BuildOptions() {
  auto* box = new QGroupBox("Bus Options", this);
  auto* layout = new QHBoxLayout(box);
  chkRepeatedStart = new QCheckBox("Use Repeated Start for Read", box);
  chkRepeatedStart->setObjectName("chkRepeatedStart");
  chkStoppedWrite = new QCheckBox("Stop Write Before Read", box);
  chkStoppedWrite->setObjectName("chkStoppedWrite");
  chkExtendHold = new QCheckBox("EXTHOLD", box);
  chkExtendHold->setObjectName("chkExtendHold");
  for (QCheckBox* option : {chkRepeatedStart, chkStoppedWrite, chkExtendHold}) {
    connect(option, &QCheckBox::toggled, this, &I2cPage::OptionBoxChanged);
    layout->addWidget(option);
  }
  cmdToggleSCL = Button(box, "cmdToggleSCL", "Toggle SCL");
  connect(cmdToggleSCL, &QPushButton::clicked, this, &I2cPage::cmdToggleSCL_Click);
  layout->addWidget(cmdToggleSCL);
  layout->addWidget(new QLabel("SMBus Clock (kHz)", box));
  cboSMBusFrequency = new QComboBox(box);
  cboSMBusFrequency->setObjectName("cboSMBusFrequency");
  connect(cboSMBusFrequency, &QComboBox::activated, this, &I2cPage::cboSMBusFrequency_Click);
  layout->addWidget(cboSMBusFrequency);
  layout->addStretch();
  return box;
}

QWidget* I2cPage::BuildTransfers() {
  auto* box = new QGroupBox("Transfers", this);
  auto* layout = new QHBoxLayout(box);
  chkRandom = new QCheckBox("Random Read/Write", box);
  chkRandom->setObjectName("chkRandom");
  layout->addWidget(chkRandom);
  layout->addWidget(new QLabel("Register", box));
  txtStartRegRD = ByteField(box, "txtStartRegRD", "00");
  layout->addWidget(txtStartRegRD);
  layout->addWidget(new QLabel("Bytes to read", box));
  txtNumToRead = new QLineEdit("1", box);
  txtNumToRead->setObjectName("txtNumToRead");
  txtNumToRead->setFixedWidth(40);
  layout->addWidget(txtNumToRead);
  layout->addWidget(new QLabel("Bytes to write", box));
  txtNumToWrite = new QLineEdit("1", box);
  txtNumToWrite->setObjectName("txtNumToWrite");
  txtNumToWrite->setFixedWidth(40);
  layout->addWidget(txtNumToWrite);
  const std::array<std::tuple<const char*, const char*, void (I2cPage::*)()>, 4> actions = {{
      {"cmdReadSimple", "Read Simple", &I2cPage::cmdReadSimple_Click},
      {"cmdWriteSimple", "Write Simple", &I2cPage::cmdWriteSimple_Click},
      {"cmdRead", "Read", &I2cPage::cmdRead_Click},
      {"cmdWrite", "Write", &I2cPage::cmdWrite_Click},
  }};
  for (const auto& [name, caption, handler] : actions) {
    auto* button = Button(box, name, caption);
    connect(button, &QPushButton::clicked, this, handler);
    layout->addWidget(button);
  }
  layout->addStretch();
  return box;
}

QWidget* I2cPage::BuildDataFields() {
  auto* box = new QGroupBox("Data", this);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(new QLabel("Write data", box));
  auto* written = new QGridLayout;
  for (std::size_t i = 0; i < txtWriteVal.size(); ++i) {
    txtWriteVal[i] = ByteField(box, QString("txtI2cWriteVal_%1").arg(i), "00");
    const int at = static_cast<int>(i);
    written->addWidget(txtWriteVal[i], at / kFieldsPerRow, at % kFieldsPerRow);
  }
  layout->addLayout(written);
  auto* fromFile = new QHBoxLayout;
  chkFileWriteData = new QCheckBox("Load Write Data from File", box);
  chkFileWriteData->setObjectName("chkI2cFileWriteData");
  chkFileWriteData->setToolTip(
      "Write the bytes of a file (hexadecimal bytes, # comments) instead of the typed ones");
  connect(chkFileWriteData, &QCheckBox::clicked, this, &I2cPage::chkFileWriteData_Click);
  lblWriteDataFile = new QLabel(box);
  lblWriteDataFile->setObjectName("lblI2cWriteDataFile");
  fromFile->addWidget(chkFileWriteData);
  fromFile->addWidget(lblWriteDataFile, 1);
  layout->addLayout(fromFile);
  layout->addWidget(new QLabel("Read data", box));
  auto* read = new QGridLayout;
  for (std::size_t i = 0; i < txtPBufRd.size(); ++i) {
    txtPBufRd[i] = ByteField(box, QString("txtPBufRd_%1").arg(i), "");
    txtPBufRd[i]->setReadOnly(true);
    const int at = static_cast<int>(i);
    read->addWidget(txtPBufRd[i], at / kFieldsPerRow, at % kFieldsPerRow);
  }
  layout->addLayout(read);
  return box;
}

void I2cPage::InitI2cControls() {
  initialised_ = true;
  cboSMBusFrequency_init();
  getI2Coptions();
}

void I2cPage::cboSMBusFrequency_init() {
  const I2cClockReading reading = ReadI2cClock(session_.bridge);
  const std::vector<I2cClockItem> items = I2cClockList(reading.baseClockMhz);
  cboSMBusFrequency->clear();
  for (const I2cClockItem& item : items) {
    cboSMBusFrequency->addItem(QString::fromStdString(item.text), item.divider);
  }
  const int selected = I2cClockListIndex(items, reading.divider);
  cboSMBusFrequency->setCurrentIndex(selected);
  if (selected >= 0) cboSMBusFrequency_Click();
}

void I2cPage::cboSMBusFrequency_Click() {
  if (cboSMBusFrequency->currentIndex() < 0) return;
  WriteI2cClock(session_.bridge, cboSMBusFrequency->currentData().toInt());
}

void I2cPage::getI2Coptions() {
  LoadI2cOptions(session_.bridge, state_, [this](const I2cOptions& options) {
    chkRepeatedStart->setChecked(options.repeatedStart);
    chkStoppedWrite->setChecked(options.stopWriteBeforeRead);
    chkExtendHold->setChecked(options.extendHold);
  });
}

I2cOptions I2cPage::BoxOptions() const {
  return {chkRepeatedStart->isChecked(), chkStoppedWrite->isChecked(), chkExtendHold->isChecked()};
}

void I2cPage::OptionBoxChanged() {
  I2cOptionsChanged(session_.bridge, state_, BoxOptions());
}

void I2cPage::cmdToggleSCL_Click() {
  if (ToggleScl(session_.bridge, BoxOptions()).sdaError) {
    session_.host.ShowMessage(session_.bridge.MessageTitle, "SDA error");
  }
}

void I2cPage::txtI2Caddress_Change() {
  addressSettling_.stop();
  const auto address = ParseSlaveAddress(txtI2Caddress->text().toStdString());
  if (!address) {
    Complain("The I2C slave address must be one or two hexadecimal digits (00 to FE).");
    SetI2cSlaveAddress(state_.I2cSlaveAddress);
    return;
  }
  SetI2cSlaveAddress(*address);
}

bool I2cPage::ApplyPendingAddress() {
  if (addressSettling_.isActive() || txtI2Caddress->isModified()) {
    // A typed address that is no address stops the transfer; the message says why.
    const bool valid = ParseSlaveAddress(txtI2Caddress->text().toStdString()).has_value();
    txtI2Caddress_Change();
    if (!valid) return false;
  }
  SetI2cSlaveAddress(state_.I2cSlaveAddress);
  return true;
}

void I2cPage::SetI2cSlaveAddress(std::uint8_t address) {
  state_.I2cSlaveAddress = static_cast<std::uint8_t>(address & 0xFE);
  txtI2Caddress->setText(QString::fromStdString(HexByteText(state_.I2cSlaveAddress)));
  ShowAddressBits(state_.I2cSlaveAddress);
}

void I2cPage::ShowAddressBits(std::uint8_t address) {
  const std::array<bool, 7> bits = SlaveAddressBits(address);
  const bool wasUpdating = state_.OptionsUpdating;
  state_.OptionsUpdating = true;
  for (std::size_t j = 0; j < bits.size(); ++j) chkADDRbit[j]->setChecked(bits[j]);
  state_.OptionsUpdating = wasUpdating;
}

void I2cPage::AddressBitChanged() {
  if (state_.OptionsUpdating) return;
  std::array<bool, 7> bits{};
  for (std::size_t j = 0; j < bits.size(); ++j) bits[j] = chkADDRbit[j]->isChecked();
  SetI2cSlaveAddress(SlaveAddressFromBits(bits));
}

bool I2cPage::RegisterBytes(std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (!chkRandom->isChecked()) return true;
  const auto reg = ParseHexByte(txtStartRegRD->text());
  if (!reg) {
    Complain("The register address must be a hexadecimal byte (00 to FF).");
    return false;
  }
  bytes.push_back(*reg);
  return true;
}

void I2cPage::cmdReadSimple_Click() {
  Read(true);
}

void I2cPage::cmdWriteSimple_Click() {
  Write(true);
}

void I2cPage::cmdRead_Click() {
  Read(false);
}

void I2cPage::cmdWrite_Click() {
  Write(false);
}

void I2cPage::Read(bool prompting) {
  std::vector<std::uint8_t> reg;
  if (!RegisterBytes(reg)) return;
  const auto count = ParseDecimalUpTo(txtNumToRead->text(), kI2cMaxReadBytes);
  if (!count || *count == 0) {
    Complain("The number of bytes to read must be 1 to " + std::to_string(kI2cMaxReadBytes) + ".");
    return;
  }
  if (!ApplyPendingAddress()) return;
  Bridge& bridge = session_.bridge;
  bridge.FlushInput();
  std::vector<std::uint8_t> bytes;
  const auto readCount = static_cast<std::uint8_t>(*count);
  const std::uint16_t status =
      prompting ? bridge.I2cRead(state_.I2cSlaveAddress, readCount, reg, bytes, false)
                : bridge.I2cReadTransfer(state_.I2cSlaveAddress, readCount, reg, bytes);
  if (!prompting) bridge.ShowTransferError(status, true);
  // Only a completed transfer carries data; anything else leaves the boxes as they were.
  if (status != kTransferSuccess) return;
  ShowReadData(reg.empty() ? 0 : reg.front(), bytes);
}

void I2cPage::ShowReadData(int registerAddress, const std::vector<std::uint8_t>& bytes) {
  const ReadPlacement placement = PlaceReadData(registerAddress, bytes.size());
  for (int i = 0; i < placement.count; ++i) {
    txtPBufRd[static_cast<std::size_t>(placement.first + i)]->setText(
        QString::fromStdString(HexByteText(bytes[static_cast<std::size_t>(i)])));
  }
}

void I2cPage::Write(bool prompting) {
  std::vector<std::uint8_t> reg;
  if (!RegisterBytes(reg)) return;
  const int room = kI2cMaxWriteBytes - static_cast<int>(reg.size());
  const auto count = ParseDecimalUpTo(txtNumToWrite->text(), room);
  if (!count) {
    Complain("The number of bytes to write must be 0 to " + std::to_string(room) + ".");
    return;
  }
  const auto data = WriteData(*count, room);
  if (!data) return;
  if (!ApplyPendingAddress()) return;
  Bridge& bridge = session_.bridge;
  bridge.FlushInput();
  if (prompting) {
    bridge.I2cWrite(state_.I2cSlaveAddress, reg, *data, false);
    return;
  }
  bridge.ShowTransferError(bridge.I2cWriteTransfer(state_.I2cSlaveAddress, reg, *data), true);
}

std::optional<std::vector<std::uint8_t>> I2cPage::WriteData(int count, int room) {
  if (chkFileWriteData->isChecked()) {
    const WriteDataFile file = ReadWriteDataFile(writeDataPath_);
    if (!file.error.empty()) {
      Complain(file.error + " Nothing was sent.");
      return std::nullopt;
    }
    if (file.bytes.size() > static_cast<std::size_t>(room)) {
      Complain("The write data file holds " + std::to_string(file.bytes.size()) +
               " bytes; at most " + std::to_string(room) + " fit in one write.");
      return std::nullopt;
    }
    txtNumToWrite->setText(QString::number(file.bytes.size()));
    return file.bytes;
  }
  std::vector<std::uint8_t> data;
  for (int i = 0; i < count; ++i) {
    const auto value = ParseHexByte(txtWriteVal[static_cast<std::size_t>(i)]->text());
    if (!value) {
      Complain("Write byte " + std::to_string(i) + " must be a hexadecimal byte (00 to FF).");
      return std::nullopt;
    }
    data.push_back(*value);
  }
  return data;
}

void I2cPage::chkFileWriteData_Click(bool checked) {
  ChooseWriteDataFile(session_.host, checked, *chkFileWriteData, *lblWriteDataFile, writeDataPath_);
}

void I2cPage::cmdScanI2Caddress_Click() {
  std::vector<std::uint8_t> reg;
  if (!RegisterBytes(reg)) return;
  const std::uint8_t before = state_.I2cSlaveAddress;
  state_.ScanRunning = true;
  const I2cScanResult result = ScanI2cAddresses(session_.bridge, reg, [this](std::uint8_t address) {
    txtI2Caddress->setText(QString::fromStdString(HexByteText(address)));
    txtI2Caddress_Change();
  });
  state_.ScanRunning = false;
  if (result.found) return;
  if (result.status != kTransferDeviceError) {
    // The link failed: no address was found, so the one in use before the scan stays.
    SetI2cSlaveAddress(before);
    session_.bridge.ShowTransferError(result.status, true);
    return;
  }
  if (session_.host.AskYesNo(session_.bridge.MessageTitle, I2cAddressNotFoundText())) {
    window()->close();
  }
}

void I2cPage::Complain(const std::string& text) {
  session_.host.ShowMessage(kI2cTitle, text);
}

}  // namespace qvm
