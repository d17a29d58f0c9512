#include "app/console_program.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QPushButton>
#include <QTabBar>
#include <iostream>

#include "app/board_source.h"
#include "app/frm_startup.h"
#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"
#include "console/qt_host.h"

namespace qvm {

namespace {
constexpr const char* kFallbackChain = "daisy:52400x3";

// What the console shows before it is drawn: a tab chosen by name, then buttons pressed by
// caption, in order.
struct ScreenshotSteps {
  QString tab;
  QStringList clicks;
  QStringList windows;
};

bool RunScreenshotSteps(GenericVbDiag& console, const ScreenshotSteps& steps) {
  if (!steps.tab.isEmpty()) {
    int found = -1;
    for (int tab = 0; tab < console.TabStrip1->count(); ++tab) {
      if (console.TabStrip1->tabText(tab) == steps.tab) found = tab;
    }
    if (found < 0) {
      std::cerr << "qvm-console: no tab " << steps.tab.toStdString() << '\n';
      return false;
    }
    console.SelectTab(found);
  }
  for (const QString& caption : steps.clicks) {
    QPushButton* target = nullptr;
    for (QPushButton* button : console.findChildren<QPushButton*>()) {
      if (button->text() == caption && button->isVisible()) target = button;
    }
    if (target == nullptr) {
      std::cerr << "qvm-console: no button " << caption.toStdString() << '\n';
      return false;
    }
    target->click();
  }
  for (const QString& name : steps.windows) {
    QWidget* window = nullptr;
    for (QWidget* candidate : QApplication::topLevelWidgets()) {
      if (candidate->objectName() == name) window = candidate;
    }
    if (window == nullptr) {
      std::cerr << "qvm-console: no window " << name.toStdString() << '\n';
      return false;
    }
    window->show();
  }
  return true;
}

// Saves every other visible window beside `file`: its name without ".png", "-", the window's
// object name, ".png".
int SaveOtherWindows(const QWidget& console, const QString& file) {
  QString stem = file;
  if (stem.endsWith(".png", Qt::CaseInsensitive)) stem.chop(4);
  int status = 0;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == &console || !window->isVisible() || window->objectName().isEmpty()) continue;
    const QString name = stem + "-" + window->objectName() + ".png";
    if (!window->grab().save(name)) {
      std::cerr << "qvm-console: cannot write " << name.toStdString() << '\n';
      status = 1;
    }
  }
  return status;
}

// Brings the console up on the configuration of `chainText`, runs `steps`, draws it into `file`
// and ends.
int TakeScreenshot(FrmStartup& startup, GenericVbDiag& console, const std::string& chainText,
                   const ScreenshotSteps& steps, const QString& file) {
  std::string error;
  const auto choice = ChoiceForChain(chainText, error);
  if (!choice) {
    std::cerr << "qvm-console: --sim " << chainText << ": " << error << '\n';
    return 2;
  }
  startup.cboDeviceSelect->setCurrentIndex(1);
  startup.cboDeviceSelect_Click(1);
  console.manualConfig().SetChoice(*choice);
  emit console.manualConfig().ChoiceAccepted(*choice);
  QCoreApplication::processEvents();
  if (!RunScreenshotSteps(console, steps)) return 2;
  QCoreApplication::processEvents();
  if (!console.grab().save(file)) {
    std::cerr << "qvm-console: cannot write " << file.toStdString() << '\n';
    return 1;
  }
  return SaveOtherWindows(console, file);
}
}  // namespace

int RunConsoleProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  QCommandLineOption simOption("sim", "Run on the simulated board with CHAIN.", "CHAIN");
  QCommandLineOption shotOption("screenshot", "Connect and save the console as FILE.", "FILE");
  QCommandLineOption startupShotOption("startup-screenshot", "Save the startup window as FILE.",
                                       "FILE");
  QCommandLineOption tabOption("tab", "With --screenshot: show the tab NAME.", "NAME");
  QCommandLineOption clickOption("click", "With --screenshot: press the button CAPTION first.",
                                 "CAPTION");
  parser.addOption(simOption);
  parser.addOption(shotOption);
  parser.addOption(tabOption);
  QCommandLineOption windowOption(
      "window",
      "With --screenshot: also show the window NAME (frmCharting, frmMainF340, frmTrace).", "NAME");
  parser.addOption(clickOption);
  parser.addOption(windowOption);
  parser.addOption(startupShotOption);
  parser.process(app);
  const std::string chainText = parser.value(simOption).toStdString();

  SystemClock clock;
  QtHost host;
  std::string error;
  std::optional<BoardSource> source = parser.isSet(simOption)
                                          ? SimulatedSource(chainText, clock, error)
                                          : HardwareSource(clock, kFallbackChain);
  if (!source) {
    if (!error.empty()) std::cerr << "qvm-console: --sim " << chainText << ": " << error << '\n';
    return error.empty() ? 0 : 2;
  }
  GenericVbDiag console(ConsoleDeps{source->bus(), host, clock,
                                    QCoreApplication::applicationDirPath().toStdString()});
  if (console.LoadFailed()) return 1;
  FrmMainF340 bench(console.session());
  FrmStartup startup(console, bench);
  if (parser.isSet(startupShotOption)) {
    startup.show();
    QCoreApplication::processEvents();
    return startup.grab().save(parser.value(startupShotOption)) ? 0 : 1;
  }
  if (parser.isSet(shotOption)) {
    const ScreenshotSteps steps{parser.value(tabOption), parser.values(clickOption),
                                parser.values(windowOption)};
    return TakeScreenshot(startup, console, chainText.empty() ? kFallbackChain : chainText, steps,
                          parser.value(shotOption));
  }
  startup.show();
  return app.exec();
}

}  // namespace qvm
