// SPDX-License-Identifier: MIT
#pragma once
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/i2c_settings.h"
#include "protocol/session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qvm {

// The bench tool's I2C/SMBus page: the bridge's I2C clock and transfer options, the slave
// address, reads and writes with an optional register address, and an address scan.
class I2cPage : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kAddressSettlingMs = 500;
  // The slave address the page starts with, as the board bring-up leaves it.
  static constexpr std::uint8_t kStartupSlaveAddress = 0x50;

  explicit I2cPage(Session& session, QWidget* parent = nullptr);

  // Reads the clock list and the options of the opened board into the page.
  void InitI2cControls();
  bool Initialised() const { return initialised_; }
  void cboSMBusFrequency_init();
  void cboSMBusFrequency_Click();
  void getI2Coptions();
  void cmdToggleSCL_Click();

  // The typed address becomes the slave address: when the field is left, or half a second
  // after the last keystroke.
  void txtI2Caddress_Change();
  // Stores `address` (bit 0 cleared) and shows it in the field and the bit boxes.
  void SetI2cSlaveAddress(std::uint8_t address);
  std::uint8_t I2cSlaveAddress() const { return state_.I2cSlaveAddress; }
  const I2cPageState& State() const { return state_; }

  void cmdReadSimple_Click();
  void cmdWriteSimple_Click();
  void cmdRead_Click();
  void cmdWrite_Click();
  void cmdScanI2Caddress_Click();
  // Ticking "Load Write Data from File" asks for the file; unticked when none is chosen.
  void chkFileWriteData_Click(bool checked);

  QLineEdit* txtI2Caddress;
  std::array<QCheckBox*, 7> chkADDRbit{};
  QCheckBox* chkRepeatedStart;
  QCheckBox* chkStoppedWrite;
  QCheckBox* chkExtendHold;
  QPushButton* cmdToggleSCL;
  QComboBox* cboSMBusFrequency;
  QCheckBox* chkRandom;
  QLineEdit* txtStartRegRD;
  QLineEdit* txtNumToRead;
  QLineEdit* txtNumToWrite;
  std::array<QLineEdit*, kI2cMaxWriteBytes> txtWriteVal{};
  std::array<QLineEdit*, kI2cReadBoxes> txtPBufRd{};
  QCheckBox* chkFileWriteData;
  QLabel* lblWriteDataFile;

 private:
  // A transfer first takes an address still being typed; false when it is not an address.
  bool ApplyPendingAddress();
  QWidget* BuildAddress();
  QWidget* BuildOptions();
  QWidget* BuildTransfers();
  QWidget* BuildDataFields();
  I2cOptions BoxOptions() const;
  void OptionBoxChanged();
  void AddressBitChanged();
  void ShowAddressBits(std::uint8_t address);
  // The register-address byte when "Random Read/Write" is ticked; false after a message when
  // its text is not a byte.
  bool RegisterBytes(std::vector<std::uint8_t>& bytes);
  void Read(bool prompting);
  void Write(bool prompting);
  // The bytes to write: those of the file while one is chosen (at most `room`), else the first
  // `count` typed ones; nothing, after a message and with nothing sent, when they are not bytes.
  std::optional<std::vector<std::uint8_t>> WriteData(int count, int room);
  void ShowReadData(int registerAddress, const std::vector<std::uint8_t>& bytes);
  void Complain(const std::string& text);

  Session& session_;
  I2cPageState state_;
  QTimer addressSettling_;
  bool initialised_ = false;
  std::string writeDataPath_;
};

}  // namespace qvm
