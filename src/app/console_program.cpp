#include "app/console_program.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <iostream>

#include "app/board_source.h"
#include "app/frm_startup.h"
#include "bench/frm_main_f340.h"
#include "console/generic_vb_diag.h"
#include "console/qt_host.h"

namespace qvm {

namespace {
constexpr const char* kFallbackChain = "daisy:52400x3";

// Brings the console up on the configuration of `chainText`, draws it into `file` and ends.
int TakeScreenshot(FrmStartup& startup, GenericVbDiag& console, const std::string& chainText,
                   const QString& file) {
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
  if (!console.grab().save(file)) {
    std::cerr << "qvm-console: cannot write " << file.toStdString() << '\n';
    return 1;
  }
  return 0;
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
  parser.addOption(simOption);
  parser.addOption(shotOption);
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
  FrmMainF340 bench(console.session());
  FrmStartup startup(console, bench);
  if (parser.isSet(startupShotOption)) {
    startup.show();
    QCoreApplication::processEvents();
    return startup.grab().save(parser.value(startupShotOption)) ? 0 : 1;
  }
  if (parser.isSet(shotOption)) {
    return TakeScreenshot(startup, console, chainText.empty() ? kFallbackChain : chainText,
                          parser.value(shotOption));
  }
  startup.show();
  return app.exec();
}

}  // namespace qvm
