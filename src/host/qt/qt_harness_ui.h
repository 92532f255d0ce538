// The key-log harness's boxes, dialogs and waits in the desktop window. The
// replay runs in the UI thread and waits in nested event loops, so the
// window keeps painting and the OS thread's requests are still answered.
#pragma once

#include <QString>
#include <QWidget>

#include "host/harness/key_logger.h"

class QtHarnessUi : public HarnessUi {
 public:
  explicit QtHarnessUi(QWidget* owner) : owner_(owner) {}

  void Message(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  bool AskRetry(const std::string& text) override;
  bool ChooseLogToRecord(std::string* path) override;
  bool ChooseLogToReplay(std::string* path) override;
  bool ChooseKeyTable(std::string* path) override;
  void ShowNote(const std::string& note) override;
  void Pause(int ms) override;
  bool Cancelled() override { return closing_; }

  void setClosing() { closing_ = true; }
  // The key table the user chose on first use (stored in the settings).
  QString chosenKeyTable;

 private:
  QWidget* owner_;
  bool closing_ = false;
};

// "description|pattern|...||" as a Qt file dialog filter.
QString QtFilter(const char* filter);
