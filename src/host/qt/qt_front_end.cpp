#include "host/qt/qt_front_end.h"

#include <QFile>
#include <QSaveFile>
#include <QThread>

#include "host/qt/calc_file_dialog.h"
#include "host/qt/calc_view.h"
#include "host/qt/main_frame.h"

QtFrontEnd::QtFrontEnd(MainFrame* frame) : frame_(frame) {}

template <typename F>
void QtFrontEnd::RunInUiThread(F&& work) {
  if (closing_) return;
  if (QThread::currentThread() == frame_->thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(frame_, std::forward<F>(work), Qt::BlockingQueuedConnection);
  }
}

void QtFrontEnd::LcdChanged() {
  if (closing_ || redrawPending_.exchange(true)) return;  // one redraw covers many changes
  QMetaObject::invokeMethod(
      frame_,
      [this] {
        redrawPending_ = false;
        frame_->view()->lcdChanged();
        if (!dumpPath_.isEmpty()) DumpLcd();
      },
      Qt::QueuedConnection);
}

void QtFrontEnd::DumpLcd() {
  const std::string text = LcdImageText();
  QSaveFile file(dumpPath_);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(text.data(), qsizetype(text.size()));
    file.commit();
  }
}

void QtFrontEnd::SetStatusAndTitle(const std::string& message, const std::string& title) {
  QString m = QString::fromStdString(message), t = QString::fromStdString(title);
  RunInUiThread([this, m, t] { frame_->setStatusAndTitle(m, t); });
}

bool QtFrontEnd::ChooseCalcFilesToOpen(std::vector<std::string>* paths) {
  bool ok = false;
  RunInUiThread([&] {
    CalcFileDialog dialog(frame_, CalcDialogKind::kOpen,
                          "VK-2280P files (*.g1*);;all files (*.*)");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return;
    for (const QString& f : dialog.selectedFiles()) paths->push_back(f.toStdString());
    ok = true;
  });
  return ok;
}

bool QtFrontEnd::ChooseG1eToOpen(std::string* path) {
  bool ok = false;
  RunInUiThread([&] {
    CalcFileDialog dialog(frame_, CalcDialogKind::kOpen, "VK-2280P files (*.g1e)");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(QString::fromStdString(*path));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    *path = dialog.selectedFiles().first().toStdString();
    ok = true;
  });
  return ok;
}

bool QtFrontEnd::ChooseG1eToSave(std::string* path) {
  bool ok = false;
  RunInUiThread([&] {
    CalcFileDialog dialog(frame_, CalcDialogKind::kSave, "VK-2280P files (*.g1e)");
    dialog.setDefaultSuffix("g1e");
    dialog.selectFile(QString::fromStdString(*path));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    *path = dialog.selectedFiles().first().toStdString();
    ok = true;
  });
  return ok;
}

bool QtFrontEnd::BrowseFolder(std::string* folder) {
  bool ok = false;
  RunInUiThread([&] {
    QString chosen = QFileDialog::getExistingDirectory(frame_, QString(),
                                                       QString::fromStdString(*folder));
    if (chosen.isEmpty()) return;
    *folder = chosen.toStdString();
    ok = true;
  });
  return ok;
}

void QtFrontEnd::CopyScreenToClipboard() {
  RunInUiThread([this] { frame_->view()->copyScreenToClipboard(); });
}
