// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/i2c_page.h"
#include "bench/port_bits.h"
#include "link/spi_settings.h"
#include "protocol/session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qvm {

// The bench tool's port and register page: the bridge microcontroller's ports P0..P4 as rows
// of pins, each row written and read back through the board's register access command, and a
// free single-register access; beside them the bridge's SPI controls: mode bits, clock list,
// firmware version and a raw SPI write. The I2C/SMBus page sits on a second tab.
class FrmMainF340 : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPortCount = 5;

  explicit FrmMainF340(Session& session, QWidget* parent = nullptr);

  // One row of eight pins with its written byte, read-back byte and indicator.
  struct Row {
    std::array<QCheckBox*, 8> pins{};
    QLabel* written = nullptr;
    QLabel* readBack = nullptr;
    QLabel* status = nullptr;
    ReadBackLight light = ReadBackLight::Off;
  };

  Row& row(int port, PortRow kind) { return rows_[port][static_cast<int>(kind)]; }
  void SetPin(int port, PortRow kind, int pin, bool ticked);
  void SetPinCaption(int port, int pin, const QString& caption);

  void WriteRow(int port, PortRow kind);
  void ReadRow(int port, PortRow kind);
  void cmdResetGPIO_Click();
  void cmdClearAnalog_Click();
  void cmdWriteReadAll_Click();
  void cmdSetSFR_Click();
  void cmdGetSDFValue_Click();

  // Refills the board list with the instance numbers of `boardCount` opened boards (one entry
  // when none) and selects board 0.
  void cboEVB_init(int boardCount);
  // Makes the chosen board the one every report goes to and comes from.
  void cboEVBinstance_Click(int index);
  // Closes every board and opens the boards attached now.
  void cmdReconnect_Click();

  // Reads the SPI mode and clock of the opened board into the SPI controls.
  void InitSpiControls();
  void getSPIconfig();
  void SetSpiMode();
  void cboSPIclock_init();
  void cboSPICLock_Click();
  // The console's clock dialog chose entry `index` of its list: select it here and write it.
  void ChooseClockListItem(int index);
  void cmdFirmwareVersion_Click();
  void cmdSPIWrite_Click();
  // "MCB SPI": one packet exchange of the typed header and bytes under the chosen bridge command.
  void cmdMCBSPI_Click();
  // Shows what the last packet exchange sent and received when the display is next brought up
  // to date: exchanges come many times a second, and laying the fields out for each would cost
  // more than the exchange itself.
  void ShowExchange(const ExchangeDisplay& display);
  // Ticking "Load Write Data from File" asks for the file; unticked when none is chosen.
  void chkFileWriteData_Click(bool checked);

  QComboBox* cboEVBinstance;
  QPushButton* cmdReconnect;
  QCheckBox* chkAutoWriteRead;
  // The I2C/SMBus page.
  I2cPage* i2c;
  // The name the startup bring-up ticks the I2C page's chkRandom by.
  QCheckBox* chkRandomReadWrite;
  QLineEdit* txtSFRAddress;
  QLineEdit* txtSFRWRData;
  std::array<QLabel*, 4> lblSFRBuf{};

  QCheckBox* chkSPIckpol;
  QCheckBox* chkSPIckpha;
  QCheckBox* chkSPIss;
  // Set while the mode boxes are filled from the bridge, so that they do not write back.
  bool SpiModeUpdating = false;
  QComboBox* cboSPICLock;
  // Runs after the clock list was refilled, with its entries and the selected index (-1 for
  // none), so that the console's clock dialog can show the same list.
  std::function<void(const std::vector<SpiClockItem>& items, int selected)> onClockListFilled;
  QLabel* lblFirmwareVersion;
  QLineEdit* txtFirmwareVersion;
  QLineEdit* txtNumToWrite;
  std::array<QLineEdit*, RawSpiWrite::kMaxDataBytes> txtWriteVal{};
  QCheckBox* chkSPIread;
  // The name the startup bring-up ticks the same box by.
  QCheckBox*& chkSpiRead = chkSPIread;
  QCheckBox* chkSPIClockPhaseChange;
  QLineEdit* txtClockPhaseChangeByte;
  std::array<QLineEdit*, kRawSpiReplyBytes> txtReadVal{};
  QCheckBox* chkFileWriteData;
  QLabel* lblWriteDataFile;
  QPushButton* cmdMCBSPI;
  QComboBox* cboBridgeCommand;
  QLineEdit* txtHeaderByte;
  QLabel* lblDwait;
  QLabel* lblbytecount;
  std::array<QLabel*, 2> lblReportCount{};
  QLineEdit* txtWriteRaw;
  // "Pause on Nack": a NACK response stops the console at a message box.
  QCheckBox* ChkPauseOnNack;

 protected:
  bool event(QEvent* event) override;

 private:
  // Puts the exchange waiting to be shown into the fields.
  void ShowPendingExchange();
  QWidget* BuildBoardChoice();
  QWidget* BuildPortRow(int port, PortRow kind);
  QWidget* BuildFreeAccess();
  QWidget* BuildSpiControls();
  QWidget* BuildRawSpiWrite(QWidget* parent);
  QWidget* BuildMcbSpi(QWidget* parent);
  // The data bytes to send: the write data file's when ticked, else the first `count` byte
  // fields; nothing (after a message titled `title`) when they are not valid.
  std::optional<std::vector<std::uint8_t>> WriteData(int count, const char* title);
  void TraceSpi(const std::string& text);
  void RowChanged(int port, PortRow kind);
  void PaintLight(Row& target);
  void Trace(const std::string& line, bool detailedOnly = true);

  Session& session_;
  std::array<std::array<Row, 3>, kPortCount> rows_;
  std::string writeDataPath_;
  std::optional<ExchangeDisplay> pendingExchange_;
};

}  // namespace qvm
