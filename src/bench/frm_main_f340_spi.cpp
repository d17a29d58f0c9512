// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "bench/byte_fields.h"
#include "bench/frm_main_f340.h"

namespace qvm {

namespace {

constexpr int kFieldsPerRow = 12;
constexpr const char* kSpiWriteTitle = "SPI Write";

}  // namespace

QWidget* FrmMainF340::BuildSpiControls() {
  auto* box = new QGroupBox("SPI", this);
  auto* layout = new QVBoxLayout(box);

  auto* mode = new QHBoxLayout;
  chkSPIckpol = new QCheckBox("Clock Polarity (idle HI if checked)", box);
  chkSPIckpol->setObjectName("chkSPIckpol");
  chkSPIckpha = new QCheckBox("Clock Phase ('1' if checked)", box);
  chkSPIckpha->setObjectName("chkSPIckpha");
  chkSPIss = new QCheckBox("Slave Select (idle HI if checked)", box);
  chkSPIss->setObjectName("chkSPIss");
  for (QCheckBox* modeBox : {chkSPIckpol, chkSPIckpha, chkSPIss}) {
    connect(modeBox, &QCheckBox::toggled, this, [this] {
      if (!SpiModeUpdating) SetSpiMode();
    });
    mode->addWidget(modeBox);
  }
  layout->addLayout(mode);

  auto* clock = new QHBoxLayout;
  clock->addWidget(new QLabel("SPI Clock (MHz)", box));
  cboSPICLock = new QComboBox(box);
  cboSPICLock->setObjectName("cboSPICLock");
  connect(cboSPICLock, &QComboBox::activated, this, &FrmMainF340::cboSPICLock_Click);
  clock->addWidget(cboSPICLock);
  auto* version = new QPushButton("Firmware Version", box);
  version->setObjectName("cmdFirmwareVersion");
  connect(version, &QPushButton::clicked, this, &FrmMainF340::cmdFirmwareVersion_Click);
  clock->addWidget(version);
  lblFirmwareVersion = new QLabel(box);
  lblFirmwareVersion->setObjectName("lblFirmwareVersion");
  clock->addWidget(lblFirmwareVersion);
  txtFirmwareVersion = new QLineEdit(box);
  txtFirmwareVersion->setObjectName("txtFirmwareVersion");
  txtFirmwareVersion->setReadOnly(true);
  clock->addWidget(txtFirmwareVersion);
  layout->addLayout(clock);

  layout->addWidget(BuildRawSpiWrite(box));
  layout->addWidget(BuildMcbSpi(box));
  return box;
}

QWidget* FrmMainF340::BuildRawSpiWrite(QWidget* parent) {
  auto* box = new QGroupBox("SPI Write", parent);
  auto* layout = new QVBoxLayout(box);

  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel("Bytes", box));
  txtNumToWrite = new QLineEdit("0", box);
  txtNumToWrite->setObjectName("txtNumToWrite");
  txtNumToWrite->setFixedWidth(40);
  options->addWidget(txtNumToWrite);
  chkSPIread = new QCheckBox("Read", box);
  chkSPIread->setObjectName("chkSPIread");
  options->addWidget(chkSPIread);
  chkFileWriteData = new QCheckBox("Load Write Data from File", box);
  chkFileWriteData->setObjectName("chkFileWriteData");
  chkFileWriteData->setToolTip(
      "Hexadecimal bytes separated by blanks, commas or line ends; # starts a comment");
  connect(chkFileWriteData, &QCheckBox::clicked, this, &FrmMainF340::chkFileWriteData_Click);
  options->addWidget(chkFileWriteData);
  lblWriteDataFile = new QLabel(box);
  lblWriteDataFile->setObjectName("lblWriteDataFile");
  options->addWidget(lblWriteDataFile);
  chkSPIClockPhaseChange = new QCheckBox("Clock Phase Change", box);
  chkSPIClockPhaseChange->setObjectName("chkSPIClockPhaseChange");
  options->addWidget(chkSPIClockPhaseChange);
  txtClockPhaseChangeByte = new QLineEdit("0", box);
  txtClockPhaseChangeByte->setObjectName("txtClockPhaseChangeByte");
  txtClockPhaseChangeByte->setFixedWidth(40);
  options->addWidget(txtClockPhaseChangeByte);
  auto* send = new QPushButton("SPI Write", box);
  send->setObjectName("cmdSPIWrite");
  connect(send, &QPushButton::clicked, this, &FrmMainF340::cmdSPIWrite_Click);
  options->addWidget(send);
  layout->addLayout(options);

  auto* written = new QGridLayout;
  for (std::size_t i = 0; i < txtWriteVal.size(); ++i) {
    txtWriteVal[i] = ByteField(box, QString("txtWriteVal_%1").arg(i), "00");
    const int at = static_cast<int>(i);
    written->addWidget(txtWriteVal[i], at / kFieldsPerRow, at % kFieldsPerRow);
  }
  layout->addLayout(written);

  auto* read = new QGridLayout;
  for (std::size_t i = 0; i < txtReadVal.size(); ++i) {
    txtReadVal[i] = ByteField(box, QString("txtReadVal_%1").arg(i), "");
    txtReadVal[i]->setReadOnly(true);
    const int at = static_cast<int>(i);
    read->addWidget(txtReadVal[i], at / kFieldsPerRow, at % kFieldsPerRow);
  }
  layout->addLayout(read);
  return box;
}

void FrmMainF340::InitSpiControls() {
  getSPIconfig();
  cboSPIclock_init();
}

void FrmMainF340::getSPIconfig() {
  TraceSpi("getSPIconfig: Configure SPI Options\r\n");
  const SpiModeBits bits = ReadSpiMode(session_.bridge);
  SpiModeUpdating = true;
  chkSPIckpol->setChecked(bits.polarity);
  chkSPIckpha->setChecked(bits.phase);
  chkSPIss->setChecked(bits.slaveSelect);
  SpiModeUpdating = false;
  TraceSpi("getSPIconfig: Configure SPI Completed\r\n\r\n");
}

void FrmMainF340::SetSpiMode() {
  WriteSpiMode(session_.bridge,
               {chkSPIckpol->isChecked(), chkSPIckpha->isChecked(), chkSPIss->isChecked()});
}

void FrmMainF340::cboSPIclock_init() {
  const SpiClockReading reading = ReadSpiClock(session_.bridge);
  const std::vector<SpiClockItem> items = SpiClockList(reading.systemClockMhz);
  cboSPICLock->clear();
  for (const SpiClockItem& item : items) {
    cboSPICLock->addItem(QString::fromStdString(item.text), item.code);
  }
  const int selected = SpiClockListIndex(reading.code);
  cboSPICLock->setCurrentIndex(selected);
  if (onClockListFilled) onClockListFilled(items, selected);
}

void FrmMainF340::cboSPICLock_Click() {
  if (cboSPICLock->currentIndex() < 0) return;
  TraceSpi("Write SPI Clock :" + cboSPICLock->currentText().toStdString() + " MHz\r\n");
  WriteSpiClock(session_.bridge, static_cast<std::uint8_t>(cboSPICLock->currentData().toUInt()));
}

void FrmMainF340::ChooseClockListItem(int index) {
  if (index < 0 || index >= cboSPICLock->count()) return;
  cboSPICLock->setCurrentIndex(index);
  cboSPICLock_Click();
}

void FrmMainF340::cmdFirmwareVersion_Click() {
  const QString caption =
      QString::fromStdString(FirmwareVersionCaption(ReadFirmwareVersion(session_.bridge)));
  lblFirmwareVersion->setText(caption);
  txtFirmwareVersion->setText(caption);
  TraceSpi("Read F340 Processor Firmware Revision: " + caption.toStdString() + "\r\n");
}

void FrmMainF340::cmdSPIWrite_Click() {
  const auto count =
      ParseDecimalUpTo(txtNumToWrite->text(), static_cast<int>(RawSpiWrite::kMaxDataBytes));
  if (!count) {
    session_.host.ShowMessage(kSpiWriteTitle, "The number of bytes to write must be 0 to 57.");
    return;
  }
  const auto phaseByte = ParseDecimalUpTo(txtClockPhaseChangeByte->text(), 0xFF);
  if (!phaseByte) {
    session_.host.ShowMessage(kSpiWriteTitle, "The clock phase change byte must be 0 to 255.");
    return;
  }
  RawSpiWrite write;
  write.readBack = chkSPIread->isChecked();
  write.clockPhaseChange = chkSPIClockPhaseChange->isChecked();
  write.clockPhaseChangeByte = static_cast<std::uint8_t>(*phaseByte);
  const auto data = WriteData(*count, kSpiWriteTitle);
  if (!data) return;
  if (data->size() > RawSpiWrite::kMaxDataBytes) {
    session_.host.ShowMessage(kSpiWriteTitle, "The write data file holds " +
                                                  std::to_string(data->size()) +
                                                  " bytes; at most 57 can be written.");
    return;
  }
  write.data = *data;
  const RawSpiResult result = SendRawSpiWrite(session_.bridge, write);
  if (!write.readBack || !result.sent) return;
  for (std::size_t i = 0; i < txtReadVal.size(); ++i) {
    txtReadVal[i]->setText(QString::fromStdString(HexByteText(result.reply[i])));
  }
}

void FrmMainF340::TraceSpi(const std::string& text) {
  if (session_.view.TraceActive()) session_.view.AppendTrace(text);
}

}  // namespace qvm
