// The key-log harness: records the keys a user presses with answer and
// screen checkpoints, and replays logs into the calculator, checking every
// checkpoint and writing a result file. Qt-free: the front end supplies its
// boxes, dialogs and a way to keep itself alive while the replay waits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/harness/key_log.h"
#include "host/harness/key_table.h"
#include "host/harness/os_probe.h"

class HarnessUi {
 public:
  virtual ~HarnessUi() = default;
  virtual void Message(const std::string& text) = 0;
  // A Yes/No warning; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // A Retry/Cancel warning; true for Retry.
  virtual bool AskRetry(const std::string& text) = 0;
  // Dialogs (filters as "description|pattern|...||"); false on cancel.
  virtual bool ChooseLogToRecord(std::string* path) = 0;
  virtual bool ChooseLogToReplay(std::string* path) = 0;
  virtual bool ChooseKeyTable(std::string* path) = 0;
  // A checkpoint's line, for the status bar.
  virtual void ShowNote(const std::string&) {}
  // Waits about ms while the front end goes on handling its events. The
  // replay runs in the front end's own thread and waits only through this.
  virtual void Pause(int ms) = 0;
  // True when the front end wants the replay to stop (its window closes).
  virtual bool Cancelled() { return false; }
};

enum class ReplaySpeed { kNormal, kFast, kStep };

// The outcome of one checkpoint, as its result line says.
enum class CheckResult { kOk, kNoFile, kMissFile, kError };

struct ReplaySummary {
  int logs = 0;         // logs replayed
  std::vector<std::string> unreadable;  // logs (or a list) that could not be read
  int checkpoints = 0;  // checkpoints met
  int failures = 0;     // checkpoints not OK
  bool cancelled = false;
  std::vector<std::string> resultFiles;
  std::vector<std::string> unwritable;  // result files that could not be made
  bool allOk() const { return unreadable.empty() && failures == 0 && !cancelled; }
};

class KeyLogger {
 public:
  explicit KeyLogger(HarnessUi* ui, HarnessProbe probe = OsProbe());
  ~KeyLogger();
  KeyLogger(const KeyLogger&) = delete;
  KeyLogger& operator=(const KeyLogger&) = delete;

  // ---- Key table ----
  // An empty path takes the shipped table; false (no table) when the file
  // cannot be read or names nothing.
  bool LoadKeyTable(const std::string& path);
  bool HasKeyTable() const { return !table_.empty(); }
  const KeyTable& keyTable() const { return table_; }

  // ---- Commands, as the window's menu and keys give them ----
  void CommandRecord();  // toggles recording
  void CommandReplay(ReplaySpeed speed);
  // F9 and F12 while recording; false when nothing was taken.
  bool AnswerCheckpoint();
  bool ScreenCheckpoint();

  // ---- The same without dialogs ----
  // Needs a key table; truncates the log and its "_log.txt".
  bool StartRecording(const std::string& logPath);
  void StopRecording();
  bool recording() const { return recording_; }
  bool replaying() const { return replaying_; }
  // Writes a key the front end sends while recording (called for every
  // face key): false when it has no name or the log cannot be written.
  // Without a key table nothing is written and the call succeeds.
  bool WriteKey(int row, int column);
  // The view's key sending while recording: asks before SHIFT+AC/ON is
  // logged, and Retry/Cancel when the log cannot be written. False drops
  // the key.
  bool LogSentKey(int row, int column);
  // A ".log" or a ".lst" of logs.
  ReplaySummary Replay(const std::string& path, ReplaySpeed speed);
  // A replay whose key is not taken for this long stops (0: never).
  void SetStallLimit(int ms) { stallLimitMs_ = ms; }

  const std::string& logPath() const { return logPath_; }

 private:
  bool EnsureKeyTable();
  std::string CursorNote();
  std::string AnnotatedKeyLine(const std::string& name);
  bool WriteMarker(int row, int number);
  void ReplayOne(const std::string& logPath, ReplaySpeed speed, ReplaySummary* summary);
  bool WaitForStep();
  int PushExclusive(int row, int column);
  std::string AnnotationLine(const LogRecord& record, const OsFacts* facts,
                             const std::string& cursor);
  CheckResult CheckAnswer(const std::string& base, int number);
  CheckResult CheckScreen(const std::string& base, int number);
  void WriteResult(const std::string& line);
  bool Quiet(int ms);

  HarnessUi* ui_;
  HarnessProbe probe_;
  KeyTable table_;
  bool recording_ = false;
  bool replaying_ = false;
  std::string logPath_;
  std::string basePath_;
  int answerCount_ = 0;
  int captureCount_ = 0;
  bool answerFileStarted_ = false;
  FILE* result_ = nullptr;  // the result file of the log being replayed
  int stallLimitMs_ = 0;
};

// The result lines of checkpoints, e.g. "Ans0001\tOK\n", "Capture0003\tERROR(No File)\n".
std::string AnswerResultLine(int number, CheckResult result);
std::string CaptureResultLine(int number, CheckResult result);
