#include "host/qt/qt_harness_ui.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include "host/harness/harness_texts.h"
#include "host/qt/main_frame.h"
#include "host/services/front_end.h"

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

bool Choose(QWidget* owner, QFileDialog::AcceptMode mode, const char* filter, const char* suffix,
            const QString& name, std::string* path) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFilter(filter));
  dialog.setDefaultSuffix(suffix);
  if (!name.isEmpty()) dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace

QString QtFilter(const char* filter) {
  const QStringList parts = QString::fromUtf8(filter).split('|');
  QStringList descriptions;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty()) descriptions << parts[i];
  return descriptions.join(";;");
}

void QtHarnessUi::Message(const std::string& text) {
  QMessageBox::information(owner_, QString(kWindowTitle), Q(text));
}

bool QtHarnessUi::AskYesNo(const std::string& text) {
  return QMessageBox::warning(owner_, QString(kWindowTitle), Q(text),
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtHarnessUi::AskRetry(const std::string& text) {
  return QMessageBox::warning(owner_, QString(kWindowTitle), Q(text),
                              QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
}

bool QtHarnessUi::ChooseLogToRecord(std::string* path) {
  return Choose(owner_, QFileDialog::AcceptSave, harness_text::kRecordFilter,
                harness_text::kLogExtension, {}, path);
}

bool QtHarnessUi::ChooseLogToReplay(std::string* path) {
  return Choose(owner_, QFileDialog::AcceptOpen, harness_text::kReplayFilter,
                harness_text::kLogExtension, {}, path);
}

bool QtHarnessUi::ChooseKeyTable(std::string* path) {
  if (!Choose(owner_, QFileDialog::AcceptOpen, harness_text::kKeyTableFilter,
              harness_text::kKeyTableExtension, harness_text::kKeyTableDefaultName, path))
    return false;
  chosenKeyTable = Q(*path);
  return true;
}

void QtHarnessUi::ShowNote(const std::string& note) {
  const OsHooks& hooks = HostOsHooks();
  const char* status = ShiftStatusText(hooks.getShiftState ? hooks.getShiftState() : 0);
  if (auto* frame = qobject_cast<MainFrame*>(owner_->window()))
    frame->setStatusAndTitle(QString(status) + "\t" + Q(note),
                             QString(kWindowTitle) + QString(status));
}

void QtHarnessUi::Pause(int ms) {
  if (ms <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}
