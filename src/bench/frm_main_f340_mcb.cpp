// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "bench/byte_fields.h"
#include "bench/frm_main_f340.h"
#include "bench/write_data_choice.h"
#include "bench/write_data_file.h"
#include "ui/display_refresh.h"

namespace qvm {

namespace {

constexpr const char* kMcbSpiTitle = "MCB SPI";
constexpr std::size_t kRawBytesShown = 11;
// The report bytes that precede the data bytes.
constexpr std::size_t kFirstDataByte = 5;

QLabel* Display(QWidget* parent, const QString& name) {
  auto* label = new QLabel("--", parent);
  label->setObjectName(name);
  label->setMinimumWidth(24);
  return label;
}

// Exchanges come many times a second, most fields as they were: a field is set, and laid out
// again, only when its text changes.
void ShowText(QLineEdit* field, const QString& text) {
  if (field->text() != text) field->setText(text);
}

void ShowByte(QLineEdit* field, std::uint8_t value) {
  const std::string digits = HexByteText(value);
  const QString shown = field->text();
  if (shown.size() == 2 && shown[0] == QChar(digits[0]) && shown[1] == QChar(digits[1])) return;
  field->setText(QString::fromLatin1(digits.data(), 2));
}

}  // namespace

QWidget* FrmMainF340::BuildMcbSpi(QWidget* parent) {
  auto* box = new QGroupBox("MCB SPI Packet", parent);
  auto* grid = new QGridLayout(box);
  cboBridgeCommand = new QComboBox(box);
  cboBridgeCommand->setObjectName("cboBridgeCommand");
  const std::array<std::pair<const char*, int>, 4> commands = {
      {{"21 Single Device", kCmdSpiSingle},
       {"22 Daisy Chain", kCmdSpiDaisy},
       {"23 UPR Buffer 0", kCmdUprBuffer52400},
       {"24 UPR Buffer 1", kCmdUprBuffer52401}}};
  for (const auto& [text, code] : commands) cboBridgeCommand->addItem(text, code);
  txtHeaderByte = ByteField(box, "txtHeaderByte", "00");
  cmdMCBSPI = new QPushButton("MCB SPI", box);
  cmdMCBSPI->setObjectName("cmdMCBSPI");
  connect(cmdMCBSPI, &QPushButton::clicked, this, &FrmMainF340::cmdMCBSPI_Click);
  ChkPauseOnNack = new QCheckBox("Pause on Nack", box);
  ChkPauseOnNack->setObjectName("ChkPauseOnNack");
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Command", box));
  top->addWidget(cboBridgeCommand);
  top->addWidget(new QLabel("Header", box));
  top->addWidget(txtHeaderByte);
  top->addWidget(cmdMCBSPI);
  top->addWidget(ChkPauseOnNack);
  top->addStretch();
  grid->addLayout(top, 0, 0, 1, 8);

  lblDwait = Display(box, "lblDwait");
  lblbytecount = Display(box, "lblbytecount");
  for (int i = 0; i < 2; ++i) lblReportCount[i] = Display(box, QString("lblReportCount_%1").arg(i));
  const std::array<std::pair<const char*, QLabel*>, 4> displays = {
      {{"Waits", lblDwait},
       {"Reply bytes", lblbytecount},
       {"Sent seq.", lblReportCount[0]},
       {"Reply seq.", lblReportCount[1]}}};
  int column = 0;
  for (const auto& [caption, label] : displays) {
    grid->addWidget(new QLabel(caption, box), 1, column++);
    grid->addWidget(label, 1, column++);
  }
  txtWriteRaw = new QLineEdit(box);
  txtWriteRaw->setObjectName("txtWriteRaw");
  txtWriteRaw->setReadOnly(true);
  grid->addWidget(new QLabel("Report", box), 2, 0);
  grid->addWidget(txtWriteRaw, 2, 1, 1, 7);
  return box;
}

std::optional<std::vector<std::uint8_t>> FrmMainF340::WriteData(int count, const char* title) {
  if (chkFileWriteData->isChecked()) {
    const WriteDataFile file = ReadWriteDataFile(writeDataPath_);
    if (!file.error.empty()) {
      session_.host.ShowMessage(title, file.error + " Nothing was sent.");
      return std::nullopt;
    }
    txtNumToWrite->setText(QString::number(file.bytes.size()));
    return file.bytes;
  }
  if (count > static_cast<int>(txtWriteVal.size())) {
    session_.host.ShowMessage(title, "At most " + std::to_string(txtWriteVal.size()) +
                                         " bytes can be typed; load more from a file.");
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    const auto value = ParseHexByte(txtWriteVal[static_cast<std::size_t>(i)]->text());
    if (!value) {
      session_.host.ShowMessage(
          title, "Write byte " + std::to_string(i) + " must be a hexadecimal byte (00 to FF).");
      return std::nullopt;
    }
    bytes.push_back(*value);
  }
  return bytes;
}

void FrmMainF340::chkFileWriteData_Click(bool checked) {
  ChooseWriteDataFile(session_.host, checked, *chkFileWriteData, *lblWriteDataFile, writeDataPath_);
}

void FrmMainF340::cmdMCBSPI_Click() {
  const auto count = ParseDecimalUpTo(txtNumToWrite->text(), PacketExchange::kMaxDataBytes);
  if (!count) {
    session_.host.ShowMessage(kMcbSpiTitle, "The number of bytes to write must be 0 to 59.");
    return;
  }
  const auto header = ParseHexByte(txtHeaderByte->text());
  if (!header) {
    session_.host.ShowMessage(kMcbSpiTitle, "The header must be a hexadecimal byte (00 to FF).");
    return;
  }
  const auto data = WriteData(*count, kMcbSpiTitle);
  if (!data) return;
  if (data->size() > static_cast<std::size_t>(PacketExchange::kMaxDataBytes)) {
    session_.host.ShowMessage(kMcbSpiTitle, "The write data file holds " +
                                                std::to_string(data->size()) +
                                                " bytes; at most 59 fit in a packet.");
    return;
  }
  // The console's own exchanges keep their command and frame: only this packet uses the typed
  // ones.
  ExchangeState& exchange = session_.exchange;
  const ExchangeState kept = exchange;
  exchange.BridgeCommand = static_cast<std::uint8_t>(cboBridgeCommand->currentData().toUInt());
  exchange.FrameBuffer.assign(1, *header);
  exchange.FrameBuffer.insert(exchange.FrameBuffer.end(), data->begin(), data->end());
  exchange.FrameByteCount = static_cast<std::int32_t>(data->size());
  exchange.ScanInProgress = false;
  cmdMCBSPI->setEnabled(false);
  session_.packets.cmdMCBSPI_Click();
  // The packet the user sent shows at once.
  ShowPendingExchange();
  cmdMCBSPI->setEnabled(true);
  exchange.BridgeCommand = kept.BridgeCommand;
  exchange.FrameBuffer = kept.FrameBuffer;
  exchange.FrameByteCount = kept.FrameByteCount;
  exchange.ScanInProgress = kept.ScanInProgress;
}

void FrmMainF340::ShowExchange(const ExchangeDisplay& display) {
  const int catchUpReads = pendingExchange_ ? pendingExchange_->catchUpReads : -1;
  if (!pendingExchange_) {
    QCoreApplication::postEvent(this, new QEvent(DisplayRefreshEventType()));
  }
  pendingExchange_ = display;
  // An exchange without catch-up reads leaves the count of one still waiting.
  if (display.catchUpReads < 0) pendingExchange_->catchUpReads = catchUpReads;
}

bool FrmMainF340::event(QEvent* event) {
  if (event->type() != DisplayRefreshEventType()) return QWidget::event(event);
  ShowPendingExchange();
  return true;
}

void FrmMainF340::ShowPendingExchange() {
  if (!pendingExchange_) return;
  const ExchangeDisplay display = *pendingExchange_;
  pendingExchange_.reset();
  if (display.catchUpReads >= 0) lblDwait->setText(QString::number(display.catchUpReads));
  lblbytecount->setText(QString::number(display.replyCount));
  lblReportCount[0]->setText(QString::number(display.requestSequence));
  lblReportCount[1]->setText(QString::number(display.replySequence));
  ShowText(txtNumToWrite, QString::number(display.bytesToWrite));
  std::string raw;
  for (std::size_t i = 0; i < kRawBytesShown; ++i) {
    if (i > 0) raw += ' ';
    raw += HexByteText(display.written[i]);
  }
  ShowText(txtWriteRaw, QString::fromStdString(raw));
  const std::size_t sent =
      kFirstDataByte + static_cast<std::size_t>(std::max(0, display.bytesToWrite));
  for (std::size_t i = kFirstDataByte; i < display.written.size() && i < sent; ++i) {
    ShowByte(txtWriteVal[i - kFirstDataByte], display.written[i]);
  }
  for (std::size_t i = 0; i < display.read.size(); ++i) ShowByte(txtReadVal[i], display.read[i]);
}

}  // namespace qvm
