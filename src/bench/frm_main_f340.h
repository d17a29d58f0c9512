#pragma once
#include <QWidget>
#include <array>

#include "bench/port_bits.h"
#include "protocol/session.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace qvm {

// The bench tool's port and register page: the bridge microcontroller's ports P0..P4 as rows
// of pins, each row written and read back through the board's register access command, and a
// free single-register access.
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

  QCheckBox* chkAutoWriteRead;
  QCheckBox* chkRandomReadWrite;
  QCheckBox* chkSpiRead;
  QLineEdit* txtSFRAddress;
  QLineEdit* txtSFRWRData;
  std::array<QLabel*, 4> lblSFRBuf{};

 private:
  QWidget* BuildPortRow(int port, PortRow kind);
  QWidget* BuildFreeAccess();
  void RowChanged(int port, PortRow kind);
  void PaintLight(Row& target);
  void Trace(const std::string& line, bool detailedOnly = true);

  Session& session_;
  std::array<std::array<Row, 3>, kPortCount> rows_;
};

}  // namespace qvm
