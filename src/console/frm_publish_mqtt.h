// SPDX-License-Identifier: MIT
#pragma once
#include <QDialog>
#include <memory>
#include <string>

#include "core/host.h"
#include "mqtt/tick_publishing.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSettings;

namespace qvm {

// Whether the console publishes its polled samples, and where to.
struct PublishChoice {
  bool on = false;
  MqttOptions options;

  bool operator==(const PublishChoice& other) const {
    const MqttOptions& a = options;
    const MqttOptions& b = other.options;
    return on == other.on && a.url == b.url && a.qos == b.qos && a.rig == b.rig &&
           a.user == b.user && a.passwordFile == b.passwordFile && a.caFile == b.caFile;
  }
};

// The console's remembered settings: `file` (an INI file) when given, else the user's
// (~/.config/qvm/qvm-console.conf).
std::unique_ptr<QSettings> ConsoleSettings(const std::string& file);
PublishChoice LoadPublishChoice(QSettings& settings);
void SavePublishChoice(QSettings& settings, const PublishChoice& choice);

// "Polling Options" > "Publish to MQTT...": the broker address, QoS, rig name, user, password
// file and certificate authority file, and whether to publish. OK checks the settings as
// qvmctl poll --mqtt does (the address, the files readable) before it takes them.
class FrmPublishMqtt : public QDialog {
  Q_OBJECT
 public:
  FrmPublishMqtt(Host& host, QWidget* parent = nullptr);

  PublishChoice Choice() const;
  void SetChoice(const PublishChoice& choice);
  void OKButton_Click();

  QCheckBox* chkPublish;
  QLineEdit* txtUrl;
  QComboBox* cboQos;
  QLineEdit* txtRig;
  QLineEdit* txtUser;
  QLineEdit* txtPasswordFile;
  QLineEdit* txtCaFile;
  // Why OK did not take the settings.
  QLabel* lblProblem;

 signals:
  void ChoiceAccepted(const qvm::PublishChoice& choice);

 private:
  // A line edit with a "..." button that asks for a file.
  QLineEdit* FileField(const char* name, const char* title, QWidget* row);

  Host& host_;
};

}  // namespace qvm
