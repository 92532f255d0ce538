// vk2280: the desktop front end.
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "host/qt/calc_view.h"
#include "host/qt/main_frame.h"
#include "host/qt/qt_front_end.h"
#include "host/qt/single_instance.h"
#include "host/services/front_end.h"
#include "apps/calculator.h"
#include "memory/flash_file.h"

namespace {

// The user's private folder ($TMPDIR or /tmp, then vk2280-<uid>, mode 0700).
QString PrivateFolder() {
  QString base = QString::fromStdString(HostTempFolder());
  QString folder = QDir(base).filePath(QString("vk2280-%1").arg(getuid()));
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return folder;
}

// Lets the OS thread finish while the window keeps answering it.
void EndOsThread() {
  HostRequestOsStop();
  QElapsedTimer waited;
  waited.start();
  while (!HostOsThreadFinished() && waited.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  HostStopOsThread(0);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Without a display Qt would abort; help needs none, the window does.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    bool help = false;
    for (int i = 1; i < argc; ++i)
      for (const char* flag : {"--help", "-h", "-?", "--help-all"})
        help = help || std::strcmp(argv[i], flag) == 0;
    if (!help) {
      std::fprintf(stderr,
                   "vk2280: no display (DISPLAY and WAYLAND_DISPLAY are unset); "
                   "in a terminal, run vk2280-cli tui\n");
      return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("vk2280 emulator");
  QApplication::setOrganizationName("ORVEX");

  QCommandLineParser parser;
  parser.setApplicationDescription("vk2280 emulator: a pocket graphing calculator on the desktop.");
  parser.addHelpOption();
  QCommandLineOption flash("flash", "Use the flash image at PATH.", "PATH");
  QCommandLineOption lcdDump("lcd-dump", "Write the display as text art to FILE after each change.",
                             "FILE");
  parser.addOption(flash);
  parser.addOption(lcdDump);
  parser.process(app);
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "vk2280: unexpected argument '%s' (see --help)\n",
                 qPrintable(parser.positionalArguments().first()));
    return 2;
  }
  if (parser.isSet(lcdDump)) {
    // Scripts read this file: a path that cannot be written is said at once
    // (without creating it: a second copy must leave no trace).
    const QFileInfo dump(parser.value(lcdDump));
    if (dump.exists() ? !dump.isFile() || !dump.isWritable()
                      : !QFileInfo(dump.absolutePath()).isWritable()) {
      std::fprintf(stderr, "vk2280: cannot write %s\n", qPrintable(parser.value(lcdDump)));
      return 2;
    }
  }

  const QString folder = PrivateFolder();
  SingleInstance instance(folder);
  if (!instance.acquire()) {
    if (instance.heldByAnother() && instance.notifyFirst()) return 0;
    QMessageBox::critical(nullptr, "vk2280 emulator",
                          instance.heldByAnother()
                              ? "Another vk2280 window holds the lock in " + folder +
                                    " but does not answer."
                              : "Cannot use the folder " + folder +
                                    " for the emulator's lock (check TMPDIR).");
    return 1;
  }

  std::string error;
  if (!CalculatorPrepare(parser.value(flash).toStdString(), nullptr, &error)) {
    QMessageBox::critical(nullptr, "vk2280 emulator", QString::fromStdString(error));
    return 1;
  }
  MainFrame frame;
  QtFrontEnd frontEnd(&frame);
  if (parser.isSet(lcdDump)) frontEnd.setLcdDumpPath(parser.value(lcdDump));
  HostSetFrontEnd(&frontEnd);
  QObject::connect(&instance, &SingleInstance::raiseRequested, &frame, &MainFrame::bringToFront);
  frame.show();

  int status = app.exec();
  frontEnd.detach();
  HostSetFrontEnd(nullptr);
  EndOsThread();
  CalculatorRelease();
  return status;
}
