// SPDX-License-Identifier: MIT
#include "console/frm_publish_mqtt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"

namespace qvm {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

std::string Text(const QString& text) {
  return text.trimmed().toStdString();
}

}  // namespace

std::unique_ptr<QSettings> ConsoleSettings(const std::string& file) {
  if (file.empty()) return std::make_unique<QSettings>("qvm", "qvm-console");
  return std::make_unique<QSettings>(Text(file), QSettings::IniFormat);
}

PublishChoice LoadPublishChoice(QSettings& settings) {
  PublishChoice choice;
  settings.beginGroup("mqtt");
  choice.on = settings.value("publish", false).toBool();
  choice.options.url = Text(settings.value("url").toString());
  choice.options.qos = settings.value("qos", 1).toInt() == 0 ? 0 : 1;
  choice.options.rig = Text(settings.value("rig").toString());
  choice.options.user = Text(settings.value("user").toString());
  choice.options.passwordFile = Text(settings.value("passwordFile").toString());
  choice.options.caFile = Text(settings.value("caFile").toString());
  settings.endGroup();
  return choice;
}

void SavePublishChoice(QSettings& settings, const PublishChoice& choice) {
  settings.beginGroup("mqtt");
  settings.setValue("publish", choice.on);
  settings.setValue("url", Text(choice.options.url));
  settings.setValue("qos", choice.options.qos);
  settings.setValue("rig", Text(choice.options.rig));
  settings.setValue("user", Text(choice.options.user));
  settings.setValue("passwordFile", Text(choice.options.passwordFile));
  settings.setValue("caFile", Text(choice.options.caFile));
  settings.endGroup();
  settings.sync();
}

FrmPublishMqtt::FrmPublishMqtt(Host& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("frmPublishMqtt");
  setWindowTitle("Publish to MQTT");
  auto* layout = new QVBoxLayout(this);
  chkPublish = new QCheckBox("Publish every polled sample", this);
  chkPublish->setObjectName("chkPublish");
  layout->addWidget(chkPublish);

  auto* form = new QFormLayout;
  txtUrl = new QLineEdit(this);
  txtUrl->setObjectName("txtUrl");
  txtUrl->setPlaceholderText("mqtt://broker.lab/lab/rig1");
  txtUrl->setToolTip("mqtt://HOST[:PORT]/TOPIC, or mqtts:// for TLS");
  form->addRow("Broker", txtUrl);
  cboQos = new QComboBox(this);
  cboQos->setObjectName("cboQos");
  cboQos->addItem("0: sent once", 0);
  cboQos->addItem("1: sent again until the broker has it", 1);
  form->addRow("QoS", cboQos);
  txtRig = new QLineEdit(this);
  txtRig->setObjectName("txtRig");
  txtRig->setPlaceholderText(Text(HostName()));
  form->addRow("Rig name", txtRig);
  txtUser = new QLineEdit(this);
  txtUser->setObjectName("txtUser");
  txtUser->setPlaceholderText("no login");
  form->addRow("User", txtUser);
  auto* passwordRow = new QWidget(this);
  txtPasswordFile = FileField("txtPasswordFile", "Password File", passwordRow);
  txtPasswordFile->setPlaceholderText(QString("else $") + kMqttPasswordVariable);
  form->addRow("Password file", passwordRow);
  auto* caRow = new QWidget(this);
  txtCaFile = FileField("txtCaFile", "Certificate Authority", caRow);
  txtCaFile->setPlaceholderText("mqtts:// only; else the system's");
  form->addRow("CA file", caRow);
  layout->addLayout(form);

  lblProblem = new QLabel(this);
  lblProblem->setObjectName("lblProblem");
  lblProblem->setStyleSheet("color: #b00000");
  lblProblem->setWordWrap(true);
  lblProblem->hide();
  layout->addWidget(lblProblem);

  const auto [buttons, ok, cancel] = MakeOkCancelButtons(this);
  layout->addWidget(buttons);
  connect(ok, &QPushButton::clicked, this, &FrmPublishMqtt::OKButton_Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* FrmPublishMqtt::FileField(const char* name, const char* title, QWidget* row) {
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  auto* field = new QLineEdit(row);
  field->setObjectName(name);
  auto* browse = new QPushButton("...", row);
  browse->setFixedWidth(32);
  line->addWidget(field, 1);
  line->addWidget(browse);
  connect(browse, &QPushButton::clicked, this, [this, field, title] {
    if (const auto path = host_.AskOpenFileName(title, "All files (*)")) {
      field->setText(Text(*path));
    }
  });
  return field;
}

PublishChoice FrmPublishMqtt::Choice() const {
  PublishChoice choice;
  choice.on = chkPublish->isChecked();
  choice.options.url = Text(txtUrl->text());
  choice.options.qos = cboQos->currentData().toInt();
  choice.options.rig = Text(txtRig->text());
  choice.options.user = Text(txtUser->text());
  choice.options.passwordFile = Text(txtPasswordFile->text());
  choice.options.caFile = Text(txtCaFile->text());
  return choice;
}

void FrmPublishMqtt::SetChoice(const PublishChoice& choice) {
  chkPublish->setChecked(choice.on);
  txtUrl->setText(Text(choice.options.url));
  cboQos->setCurrentIndex(choice.options.qos == 0 ? 0 : 1);
  txtRig->setText(Text(choice.options.rig));
  txtUser->setText(Text(choice.options.user));
  txtPasswordFile->setText(Text(choice.options.passwordFile));
  txtCaFile->setText(Text(choice.options.caFile));
  lblProblem->hide();
}

void FrmPublishMqtt::OKButton_Click() {
  const PublishChoice choice = Choice();
  // Settings that are kept but not used are not checked; publishing ones are, at once.
  if (choice.on) {
    MqttOptionsProblem problem;
    if (!MqttPublisherSettings(choice.options, problem)) {
      const char* field[] = {"Broker", "QoS", "Password file", "CA file"};
      lblProblem->setText(QString(field[static_cast<int>(problem.field)]) + ": " +
                          Text(problem.reason));
      lblProblem->show();
      return;
    }
  }
  lblProblem->hide();
  accept();
  emit ChoiceAccepted(choice);
}

}  // namespace qvm
