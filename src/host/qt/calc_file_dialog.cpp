#include "host/qt/calc_file_dialog.h"

#include <QFileInfo>
#include <QMessageBox>

CalcFileDialog::CalcFileDialog(QWidget* parent, CalcDialogKind kind, const QString& filter)
    : QFileDialog(parent), kind_(kind) {
  setOption(QFileDialog::DontUseNativeDialog);
  setNameFilter(filter);
  setAcceptMode(kind == CalcDialogKind::kSave ? AcceptSave : AcceptOpen);
}

void CalcFileDialog::accept() {
  for (const QString& path : selectedFiles()) {
    if (QFileInfo(path).isDir()) break;  // entering a folder, not choosing a file
    if (!CalcFileNameAccepted(QFileInfo(path).fileName().toStdString(), kind_)) {
      QMessageBox::warning(this, windowTitle(), kInvalidFileNameText);
      return;
    }
  }
  QFileDialog::accept();
}
