// File dialogs that refuse names the calculator cannot store: the accept is
// vetoed with "Invalid file name!" and the dialog stays open.
#pragma once

#include <QFileDialog>

#include "host/services/calc_file_name.h"

class CalcFileDialog : public QFileDialog {
  Q_OBJECT
 public:
  CalcFileDialog(QWidget* parent, CalcDialogKind kind, const QString& filter);

 public slots:
  void accept() override;

 private:
  CalcDialogKind kind_;
};
