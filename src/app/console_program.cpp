// SPDX-License-Identifier: MIT
#include "app/console_program.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <iostream>

#include "app/board_source.h"
#include "app/timed_poll.h"
#include "console/qt_host.h"
#include "core/hex.h"
#include "core/number_text.h"
#include "link/hidapi_bus.h"
#include "operations/polling_loop.h"
#include "sim/faults/fault_list.h"

namespace qvm {

namespace {
constexpr const char* kFallbackChain = "daisy:52400x3";
// A day.
constexpr std::uint32_t kMaxPollSeconds = 86400;
// PNG quality 80 is deflate level 1: pictures of windows come out as small as at the default
// level, in about half the time.
constexpr int kPngQuality = 80;

// No X or Wayland display and no platform chosen by hand: the windows can only draw offscreen.
bool NoDisplay() {
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
         qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

bool IsHeadlessPlatform(const QString& platform) {
  return platform == "offscreen" || platform == "minimal";
}

std::string OneLine(const std::string& text) {
  return QString::fromStdString(text).simplified().toStdString();
}

// Without a display nobody sees a prompt: each one is written to standard error and answered
// Cancel (No, no file).
QtHost::Answer AnswerOnStandardError(const QtHost::Prompt& prompt) {
  const std::string title = OneLine(prompt.title);
  std::cerr << "qvm-console: " << (title.empty() ? "" : title + ": ") << OneLine(prompt.text)
            << '\n';
  return QtHost::Answer{};
}

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

// A screenshot run waits on nobody: every message goes to stderr and every prompt takes its
// default (OK, Cancel, No, no file).
QtHost::Answer PrintedDefaultAnswer(const QtHost::Prompt& prompt) {
  std::cerr << "qvm-console: " << (prompt.title.empty() ? "" : prompt.title + ": ") << prompt.text
            << '\n';
  return {};
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
    if (!window->grab().save(name, nullptr, kPngQuality)) {
      std::cerr << "qvm-console: cannot write " << name.toStdString() << '\n';
      status = 1;
    }
  }
  return status;
}

// Brings the console up on the configuration of `chainText`, as the user would in the startup
// window and the configuration dialog. 0, or the program's exit status.
int ConnectOnChain(FrmStartup& startup, GenericVbDiag& console, const std::string& chainText) {
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
  return console.LoadFailed() ? 1 : 0;
}

// Runs `steps` on the console, draws it into `file` and every other window beside it.
int TakeScreenshot(GenericVbDiag& console, const ScreenshotSteps& steps, const QString& file) {
  if (!RunScreenshotSteps(console, steps)) return 2;
  QCoreApplication::processEvents();
  if (!console.grab().save(file, nullptr, kPngQuality)) {
    std::cerr << "qvm-console: cannot write " << file.toStdString() << '\n';
    return 1;
  }
  const int saved = SaveOtherWindows(console, file);
  // The picture shows a console that did not connect; a smoke test must not take it for one
  // that did.
  if (const auto reason = console.NotConnectedReason()) {
    std::cerr << "qvm-console: not connected: " << *reason << '\n';
    return 1;
  }
  return saved;
}

// Opens the recording at `path` in the console's recording window and saves that window as
// `file`. 0, or 1 when the file holds no recording (the reason is on stderr) or the picture
// was not written.
int PictureRecording(GenericVbDiag& console, const QString& path, const QString& file) {
  console.FormLoad();
  if (console.LoadFailed() || !console.OpenRecording(path.toStdString())) return 1;
  std::cerr << "qvm-console: opened recording " << console.OpenedRecording()->Summary() << '\n';
  QCoreApplication::processEvents();
  if (!console.OpenedRecording()->Window().grab().save(file, nullptr, kPngQuality)) {
    std::cerr << "qvm-console: cannot write " << file.toStdString() << '\n';
    return 1;
  }
  return 0;
}

// --poll, --poll-interval and --record-csv as one request; nothing when --poll is not given.
// Exit status 2 in `status` when they are malformed.
std::optional<TimedPoll> TimedPollOption(const QCommandLineParser& parser,
                                         const QCommandLineOption& pollOption,
                                         const QCommandLineOption& intervalOption,
                                         const QCommandLineOption& csvOption, int& status) {
  status = 0;
  if (!parser.isSet(pollOption)) {
    if (parser.isSet(intervalOption) || parser.isSet(csvOption)) {
      std::cerr << "qvm-console: --poll-interval and --record-csv need --poll\n";
      status = 2;
    }
    return std::nullopt;
  }
  TimedPoll poll;
  const std::string seconds = parser.value(pollOption).toStdString();
  const auto parsedSeconds = ParseNumberText(seconds, kMaxPollSeconds);
  if (!parsedSeconds || *parsedSeconds == 0) {
    std::cerr << "qvm-console: --poll takes whole seconds from 1 to " << kMaxPollSeconds
              << ", not '" << seconds << "'\n";
    status = 2;
    return std::nullopt;
  }
  poll.seconds = static_cast<int>(*parsedSeconds);
  if (parser.isSet(intervalOption)) {
    const std::string text = parser.value(intervalOption).toStdString();
    const auto interval = ParseNumberText(text, kMaxPollingIntervalMs);
    if (!interval || *interval < kMinPollingIntervalMs) {
      std::cerr << "qvm-console: --poll-interval takes milliseconds from " << kMinPollingIntervalMs
                << " to " << kMaxPollingIntervalMs << ", not '" << text << "'\n";
      status = 2;
      return std::nullopt;
    }
    poll.intervalMs = static_cast<int>(*interval);
  }
  poll.csvFile = parser.value(csvOption);
  return poll;
}
}  // namespace

ConsoleProgram::ConsoleProgram(const ConsoleDeps& deps)
    : console(deps), bench(console.session()), startup(console, bench) {
  // The configuration dialog proposes the simulated chain.
  std::string error;
  if (deps.simulatedChain.empty()) return;
  if (const auto choice = ChoiceForChain(deps.simulatedChain, error)) {
    console.manualConfig().SetChoice(*choice);
  }
}

int RunConsoleProgram(int argc, char** argv) {
  const bool noDisplay = NoDisplay();
  // The screenshots still work without a display.
  if (noDisplay) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // --version prints "qvm-console MAJOR.MINOR.PATCH".
  QCoreApplication::setApplicationName("qvm-console");
  QCoreApplication::setApplicationVersion(
      QString("%1.%2.%3").arg(QVM_VERSION_MAJOR).arg(QVM_VERSION_MINOR).arg(QVM_VERSION_PATCH));
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption simOption("sim", "Run on the simulated board with CHAIN.", "CHAIN");
  QCommandLineOption shotOption("screenshot", "Connect and save the console as FILE.", "FILE");
  QCommandLineOption startupShotOption("startup-screenshot", "Save the startup window as FILE.",
                                       "FILE");
  QCommandLineOption tabOption("tab", "With --screenshot: show the tab NAME.", "NAME");
  QCommandLineOption clickOption("click", "With --screenshot: press the button CAPTION first.",
                                 "CAPTION");
  QCommandLineOption simFaultsOption("sim-faults", QString::fromStdString(sim::FaultListHelp()),
                                     "LIST");
  QCommandLineOption simSeedOption(
      "sim-seed",
      "Seed of the simulated board's noise and faults, for repeatable runs (default 1).", "N");
  QCommandLineOption vidOption(
      "vid",
      QString("USB vendor id of the bridge boards, e.g. 0x1A86 (default: the build's, %1).")
          .arg(QString::fromStdString(Hex0x(kBridgeVendorId, 4))),
      "0xNNNN");
  parser.addOption(simOption);
  parser.addOption(vidOption);
  parser.addOption(simFaultsOption);
  parser.addOption(simSeedOption);
  parser.addOption(shotOption);
  parser.addOption(tabOption);
  QCommandLineOption windowOption(
      "window",
      "With --screenshot: also show the window NAME (frmCharting, frmMainF340, frmTrace).", "NAME");
  parser.addOption(clickOption);
  parser.addOption(windowOption);
  parser.addOption(startupShotOption);
  QCommandLineOption pollOption(
      "poll",
      "After connecting, poll with Quick Setup's actions for SECONDS (with --screenshot: before "
      "the pictures are taken).",
      "SECONDS");
  QCommandLineOption pollIntervalOption("poll-interval", "With --poll: the polling interval.",
                                        "MS");
  QCommandLineOption recordCsvOption(
      "record-csv", "With --poll: record each sample to FILE as \"Record to CSV while polling\".",
      "FILE");
  parser.addOption(pollOption);
  parser.addOption(pollIntervalOption);
  parser.addOption(recordCsvOption);
  QCommandLineOption openOption(
      "open",
      "Open the chart recording FILE (a chart export or a CSV recorded while polling) in a chart "
      "window; with --screenshot, save that window (no board needed).",
      "FILE");
  parser.addOption(openOption);
  parser.process(app);
  const bool recordingShot = parser.isSet(openOption) && parser.isSet(shotOption);
  const std::string chainText = parser.value(simOption).toStdString();
  int pollStatus = 0;
  const std::optional<TimedPoll> poll =
      TimedPollOption(parser, pollOption, pollIntervalOption, recordCsvOption, pollStatus);
  if (pollStatus != 0) return pollStatus;
  if (!parser.isSet(simOption) && (parser.isSet(simFaultsOption) || parser.isSet(simSeedOption))) {
    std::cerr << "qvm-console: --sim-faults and --sim-seed need --sim\n";
    return 2;
  }
  std::uint16_t vendorId = kBridgeVendorId;
  if (parser.isSet(vidOption)) {
    const std::string text = parser.value(vidOption).toStdString();
    const auto parsed = ParseNumberText(text, 0xFFFF);
    if (!parsed) {
      std::cerr << "qvm-console: --vid must be a number from 0 to 65535 (decimal or 0x "
                   "hexadecimal), not '"
                << text << "'\n";
      return 2;
    }
    vendorId = static_cast<std::uint16_t>(*parsed);
  }
  sim::SimulationOptions simulation{chainText, parser.value(simFaultsOption).toStdString()};
  if (parser.isSet(simSeedOption)) {
    bool ok = false;
    simulation.seed = parser.value(simSeedOption).toUInt(&ok);
    if (!ok) {
      std::cerr << "qvm-console: --sim-seed " << parser.value(simSeedOption).toStdString()
                << ": not a number from 0 to 4294967295\n";
      return 2;
    }
  }

  const bool headless = noDisplay || IsHeadlessPlatform(QGuiApplication::platformName());
  SystemClock clock;
  QtHost host;
  host.SetPumpInterval(clock, kConsolePumpIntervalMs);
  if (headless) host.SetAnswerHook(AnswerOnStandardError);
  std::string error;
  std::optional<BoardSource> source;
  if (parser.isSet(simOption) || recordingShot) {
    if (simulation.chain.empty()) simulation.chain = kFallbackChain;
    source = SimulatedSource(simulation, clock, error);
    if (!source) {
      std::cerr << "qvm-console: " << error << '\n';
      return 2;
    }
  } else {
    source = HardwareSource(std::make_unique<HidapiBus>(), vendorId, clock, kFallbackChain,
                            !headless, error);
    if (!source) {
      if (error.empty()) return 0;
      std::cerr << "qvm-console: " << OneLine(error) << '\n';
      return 1;
    }
  }
  const std::string chain = chainText.empty() ? kFallbackChain : chainText;
  ConsoleProgram program(ConsoleDeps{source->bus(), host, clock,
                                     QCoreApplication::applicationDirPath().toStdString(), vendorId,
                                     source->simulated ? chain : std::string()});
  FrmStartup& startup = program.startup;
  GenericVbDiag& console = program.console;
  if (parser.isSet(startupShotOption)) {
    startup.show();
    QCoreApplication::processEvents();
    return startup.grab().save(parser.value(startupShotOption), nullptr, kPngQuality) ? 0 : 1;
  }
  if (recordingShot) {
    host.SetAnswerHook(PrintedDefaultAnswer);
    return PictureRecording(console, parser.value(openOption), parser.value(shotOption));
  }
  if (parser.isSet(shotOption)) {
    host.SetAnswerHook(PrintedDefaultAnswer);
    if (const int status = ConnectOnChain(startup, console, chain); status != 0) return status;
    const bool polled = !poll || (!console.NotConnectedReason() &&
                                  RunTimedPoll(console, host, PrintedDefaultAnswer, *poll));
    const ScreenshotSteps steps{parser.value(tabOption), parser.values(clickOption),
                                parser.values(windowOption)};
    const int status = TakeScreenshot(console, steps, parser.value(shotOption));
    return polled ? status : std::max(status, 1);
  }
  if (headless && poll) {
    if (const int status = ConnectOnChain(startup, console, chain); status != 0) return status;
    return RunTimedPoll(console, host, AnswerOnStandardError, *poll) ? 0 : 1;
  }
  if (headless) {
    std::cerr << "qvm-console: no display to show the windows on; set DISPLAY or use "
                 "--screenshot FILE\n";
    return 1;
  }
  if (poll) {
    if (const int status = ConnectOnChain(startup, console, chain); status != 0) return status;
    if (!StartTimedPoll(console, host, {}, *poll)) return 1;
    QTimer::singleShot(poll->seconds * 1000, &console,
                       [&console, &poll] { StopTimedPoll(console, *poll); });
    return app.exec();
  }
  if (parser.isSet(openOption)) {
    console.FormLoad();
    console.show();
    console.OpenRecording(parser.value(openOption).toStdString());
    return app.exec();
  }
  startup.show();
  return app.exec();
}

}  // namespace qvm
