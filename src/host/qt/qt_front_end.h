// The desktop front end as the host services see it. Calls come from the OS
// thread and are carried to the UI thread; the UI thread never waits for
// the OS thread.
#pragma once

#include <QString>
#include <atomic>

#include "host/services/front_end.h"

class MainFrame;

class QtFrontEnd : public HostFrontEnd {
 public:
  explicit QtFrontEnd(MainFrame* frame);
  // From now on the OS thread's calls are dropped (the window is closing).
  void detach() { closing_ = true; }
  // Writes the LCD as text art to this file after every change (tests).
  void setLcdDumpPath(const QString& path) { dumpPath_ = path; }

  void LcdChanged() override;
  void SetStatusAndTitle(const std::string& message, const std::string& title) override;
  bool ChooseCalcFilesToOpen(std::vector<std::string>* paths) override;
  bool ChooseG1eToOpen(std::string* path) override;
  bool ChooseG1eToSave(std::string* path) override;
  bool BrowseFolder(std::string* folder) override;
  void CopyScreenToClipboard() override;

 private:
  template <typename F>
  void RunInUiThread(F&& work);
  void DumpLcd();

  MainFrame* frame_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> redrawPending_{false};
  QString dumpPath_;
};
