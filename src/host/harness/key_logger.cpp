#include "host/harness/key_logger.h"

#include <chrono>
#include <cstdarg>
#include <cstring>
#include <ctime>

#include "host/capture/screen_files.h"
#include "host/harness/harness_texts.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"

namespace {

using Clock = std::chrono::steady_clock;

// The harness reads the calculator only while it waits for a key. These
// bound how long it waits for that before it goes on without the read.
constexpr int kRecordNoteWaitMs = 100;  // a key typed into the window
constexpr int kCheckpointWaitMs = 5000;
constexpr int kAnnotationWaitMs = 1000;
constexpr int kPushWaitMs = 10;  // one wait between exclusive pushes
constexpr int kStepPollMs = 500;

constexpr int kShiftShift = 1;

KeyLogger* gActive = nullptr;

bool LogKeyFromView(int32_t row, int32_t column) {
  return gActive ? gActive->LogSentKey(row, column) : true;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

std::string TimeLine(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return Format(format, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec);
}

// 0..5 when the name is one of the function keys' ("[F1]" ...), else -1.
int FKeySlot(const std::string& name, bool prefixOnly) {
  for (int slot = 0; slot < 6; ++slot) {
    std::string key = "[F" + std::to_string(slot + 1) + "]";
    if (prefixOnly ? name.compare(0, key.size(), key) == 0 : name == key) return slot;
  }
  return -1;
}

std::string NumberedBmp(const std::string& base, const char* kind, int number) {
  return base + kind + Format("_%04d.bmp", number);
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>* out) {
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  out->assign(text.begin(), text.end());
  return true;
}

}  // namespace

std::string AnswerResultLine(int number, CheckResult result) {
  static const char* const kTexts[] = {"OK", "ERROR(No File)", "ERROR(Miss File)", "ERROR"};
  return Format("Ans%04d\t%s\n", number, kTexts[static_cast<int>(result)]);
}

std::string CaptureResultLine(int number, CheckResult result) {
  static const char* const kTexts[] = {"OK", "ERROR(No File)", "ERROR(Miss File)", "ERROR"};
  return Format("Capture%04d\t%s\n", number, kTexts[static_cast<int>(result)]);
}

KeyLogger::KeyLogger(HarnessUi* ui, HarnessProbe probe) : ui_(ui), probe_(std::move(probe)) {
  gActive = this;
  HostSetKeyLogWriter(LogKeyFromView);
}

KeyLogger::~KeyLogger() {
  if (result_) std::fclose(result_);
  if (gActive != this) return;
  gActive = nullptr;
  HostSetKeyLogWriter(nullptr);
  HostSetKeyLogMode(0);
}

bool KeyLogger::LoadKeyTable(const std::string& path) {
  if (path.empty()) {
    table_ = DefaultKeyTable();
  } else {
    table_.LoadFile(path);
  }
  return HasKeyTable();
}

bool KeyLogger::EnsureKeyTable() {
  std::string path;
  if (!HasKeyTable() && ui_->ChooseKeyTable(&path)) LoadKeyTable(path);
  return HasKeyTable();
}

bool KeyLogger::Quiet(int ms) {
  if (!probe_.waitQuiet) return true;
  // In slices, so that the front end keeps handling its events: the OS
  // thread may be waiting for one of them.
  auto start = Clock::now();
  for (;;) {
    if (probe_.waitQuiet(kPushWaitMs)) return true;
    if (ui_->Cancelled()) return false;
    ui_->Pause(0);
    if (Clock::now() - start >= std::chrono::milliseconds(ms)) return false;
  }
}

// ---- Recording ----------------------------------------------------------------------------

void KeyLogger::CommandRecord() {
  if (replaying_) {
    ui_->Message(harness_text::kReplayRunning);
    return;
  }
  if (recording_) {
    StopRecording();
    return;
  }
  std::string path;
  if (!ui_->ChooseLogToRecord(&path)) return;
  if (!EnsureKeyTable()) {
    ui_->Message(harness_text::kNoTableToRecord);
    return;
  }
  if (!StartRecording(path)) ui_->Message(harness_text::kLogWriteFailed);
}

bool KeyLogger::StartRecording(const std::string& logPath) {
  if (table_.empty() || replaying_) return false;
  std::string base = LogBasePath(logPath);
  if (!TruncateFile(logPath) || !TruncateFile(base + "_log.txt")) return false;
  logPath_ = logPath;
  basePath_ = base;
  answerCount_ = 0;
  captureCount_ = 0;
  answerFileStarted_ = false;
  recording_ = true;
  HostSetKeyLogMode(1);
  return true;
}

void KeyLogger::StopRecording() {
  if (!recording_) return;
  recording_ = false;
  HostSetKeyLogMode(0);
  HostSetStatusNote("");
}

std::string KeyLogger::CursorNote() {
  int x = 0, y = 0;
  if (probe_.graphCursor && probe_.graphCursor(&x, &y))
    return Format("\t[2D cursor(Xdot,Ydot)=(%d,%d)]", x, y);
  if (probe_.textCursor) {
    TextCursorInfo cursor = probe_.textCursor();
    if (cursor.visible) return Format("\t[Text cursor(x,y)=(%d,%d)]", cursor.column, cursor.line);
  }
  return {};
}

std::string KeyLogger::AnnotatedKeyLine(const std::string& name) {
  if (!Quiet(kRecordNoteWaitMs)) return name + "\t";
  std::string cursor = CursorNote();
  int slot = FKeySlot(name, false);
  if (slot >= 0 && probe_.fkeyLabel)
    return name + "\t<FMENU :" + probe_.fkeyLabel(slot) + ">\t" + cursor;
  return name + "\t" + cursor;
}

bool KeyLogger::WriteKey(int row, int column) {
  if (table_.empty()) return true;
  const std::string* name = table_.NameOf(row, column);
  if (!name || logPath_.empty()) return false;
  std::string annotated = AnnotatedKeyLine(*name);
  if (!AppendToFile(logPath_, *name + "\n")) return false;
  AppendToFile(basePath_ + "_log.txt", annotated + "\n");
  HostSetStatusNote(*name);
  return true;
}

bool KeyLogger::LogSentKey(int row, int column) {
  if (!recording_) return true;
  bool powerOff =
      row == 1 && column == 1 && probe_.shiftState && probe_.shiftState() == kShiftShift;
  if (powerOff && !ui_->AskYesNo(harness_text::kAskLogPowerOff)) return false;
  while (!WriteKey(row, column)) {
    if (!ui_->AskRetry(harness_text::kLogWriteFailed)) {
      HostSetStatusNote("");
      return false;
    }
  }
  return true;
}

bool KeyLogger::WriteMarker(int row, int number) {
  const std::string* name = table_.NameOf(row, kMarkerColumn);
  if (!name) return false;
  std::string line = CheckpointLine(*name, number);
  if (!AppendToFile(logPath_, line + "\n")) return false;
  AppendToFile(basePath_ + "_log.txt", line + "\t" + CursorNote() + "\n");
  HostSetStatusNote(line);
  ui_->ShowNote(line);
  return true;
}

bool KeyLogger::AnswerCheckpoint() {
  if (!recording_ || table_.empty() || !Quiet(kCheckpointWaitMs)) return false;
  int number = answerCount_ + 1;
  std::string path = basePath_ + ".ans";
  // The first answer of a recording starts the file afresh.
  if (!answerFileStarted_ && !TruncateFile(path)) return false;
  answerFileStarted_ = true;
  if (!AppendToFile(path, AnswerLine(number, probe_.answerText()))) return false;
  answerCount_ = number;
  return WriteMarker(kAnswerMarkerRow, number);
}

bool KeyLogger::ScreenCheckpoint() {
  if (!recording_ || table_.empty() || !Quiet(kCheckpointWaitMs)) return false;
  int number = ++captureCount_;
  uint8_t plane[kLcdBytes];
  probe_.screen(plane);
  // A bitmap that cannot be written is skipped silently; the replay then
  // reports the checkpoint as missing its file.
  WriteFileBytes(NumberedBmp(basePath_, "", number), EncodeScreenBmp(plane, kLcdWidth, kLcdHeight));
  return WriteMarker(kScreenMarkerRow, number);
}

// ---- Replay -------------------------------------------------------------------------------

void KeyLogger::CommandReplay(ReplaySpeed speed) {
  if (recording_ || replaying_) {
    ui_->Message(harness_text::kReplayRunning);
    return;
  }
  if (!EnsureKeyTable()) {
    ui_->Message(harness_text::kNoTableToReplay);
    return;
  }
  std::string path;
  if (!ui_->ChooseLogToReplay(&path)) return;
  ReplaySummary summary = Replay(path, speed);
  // The checkpoints' outcome lives in the result file: say when it is missing.
  if (!summary.unwritable.empty()) ui_->Message(harness_text::kLogWriteFailed);
  if (!summary.cancelled) ui_->Message(harness_text::kReplayFinished);
}

ReplaySummary KeyLogger::Replay(const std::string& path, ReplaySpeed speed) {
  ReplaySummary summary;
  if (recording_ || replaying_ || table_.empty()) {
    if (table_.empty()) ui_->Message(harness_text::kNoTableToReplay);
    summary.unreadable.push_back(path);
    return summary;
  }
  std::vector<std::string> logs{path};
  if (HasExtension(path, ".lst")) {
    std::string list;
    if (!ReadWholeFile(path, &list)) {
      summary.unreadable.push_back(path);
      return summary;
    }
    logs = ParseLogList(list, path);
  }
  replaying_ = true;
  HostSetKeyLogMode(2);
  HostTakeStepRequest();
  HostSetReplayRunning(true);
  // A fast replay does not let the window follow the screen.
  if (speed == ReplaySpeed::kFast) HostSetDisplayHold(true);
  for (const std::string& log : logs) {
    ReplayOne(log, speed, &summary);
    if (summary.cancelled) break;
  }
  if (speed == ReplaySpeed::kFast) {
    HostSetDisplayHold(false);
    LcdImageFromVram();
    HostBlitLcd();
  }
  HostSetReplayRunning(false);
  HostSetKeyLogMode(0);
  replaying_ = false;
  return summary;
}

bool KeyLogger::WaitForStep() {
  // A click on a calculator key, or Enter, asks for the next key.
  while (!HostTakeStepRequest()) {
    if (ui_->Cancelled()) return false;
    ui_->Pause(kStepPollMs);
  }
  return true;
}

int KeyLogger::PushExclusive(int row, int column) {
  auto start = Clock::now();
  for (;;) {
    int answer = PostKey(row, column, 0, 1);
    if (answer != 0) return answer;
    if (ui_->Cancelled() || (probe_.osGone && probe_.osGone())) return -1;
    if (stallLimitMs_ > 0 && Clock::now() - start > std::chrono::milliseconds(stallLimitMs_))
      return -1;
    // Wakes as soon as the OS has taken the key (or the marker) and waits
    // again, so a replay goes as fast as the calculator.
    if (probe_.waitQuiet) probe_.waitQuiet(kPushWaitMs);
    ui_->Pause(0);
  }
}

std::string KeyLogger::AnnotationLine(const LogRecord& record, const OsFacts* facts,
                                      const std::string& cursor) {
  const char* name = record.text.c_str();
  const char* note = cursor.c_str();
  int slot = FKeySlot(record.text, true);
  if (slot >= 0) {
    std::string label = facts && probe_.fkeyLabel ? probe_.fkeyLabel(slot) : "";
    if (facts && facts->charCode)
      return Format("%s\t<%s%s>\t<%s%04x[%s]>\t%s\n", name, "FMENU :", label.c_str(),
                    "ICODE :", facts->charCode, probe_.charText(facts->charCode).c_str(), note);
    return Format("%s\t<%s%s>\t%s\n", name, "FMENU :", label.c_str(), note);
  }
  if (facts && !facts->appName.empty())
    return Format("%s\t<%s%s>\t%s\n", name, "APPLI :", facts->appName.c_str(), note);
  if (facts && facts->charCode)
    return Format("%s\t<%s%04x[%s]>\t%s\n", name, "ICODE :", facts->charCode,
                  probe_.charText(facts->charCode).c_str(), note);
  if (const char* function = facts ? ControlFunctionName(facts->controlCode) : nullptr)
    return Format("%s\t<%s%s>\t%s\n", name, "EXEC  :", function, note);
  return Format("%s\t\t%s\n", name, note);
}

void KeyLogger::WriteResult(const std::string& line) {
  if (result_) std::fputs(line.c_str(), result_);
}

CheckResult KeyLogger::CheckAnswer(const std::string& base, int number) {
  std::string answer = probe_.answerText();
  bool stored = AppendToFile(base + "_replay.ans", AnswerLine(number, answer));
  std::string recordedFile, recorded;
  if (!stored || !ReadWholeFile(base + ".ans", &recordedFile)) return CheckResult::kNoFile;
  if (!FindAnswer(recordedFile, number, &recorded)) return CheckResult::kError;
  return recorded == answer ? CheckResult::kOk : CheckResult::kError;
}

CheckResult KeyLogger::CheckScreen(const std::string& base, int number) {
  uint8_t plane[kLcdBytes];
  probe_.screen(plane);
  std::string replayedPath = NumberedBmp(base, "_replay", number);
  WriteFileBytes(replayedPath, EncodeScreenBmp(plane, kLcdWidth, kLcdHeight));
  std::vector<uint8_t> recorded, replayed;
  if (!ReadBytes(NumberedBmp(base, "", number), &recorded) || !ReadBytes(replayedPath, &replayed))
    return CheckResult::kNoFile;
  if (recorded.size() != replayed.size()) return CheckResult::kMissFile;
  if (recorded == replayed) return CheckResult::kOk;
  WriteFileBytes(NumberedBmp(base, "_error", number), EncodeDifferenceBmp(recorded, replayed));
  return CheckResult::kError;
}

void KeyLogger::ReplayOne(const std::string& logPath, ReplaySpeed speed, ReplaySummary* summary) {
  std::string text;
  if (!ReadWholeFile(logPath, &text)) {
    summary->unreadable.push_back(logPath);
    return;
  }
  ++summary->logs;
  std::vector<LogRecord> records = ParseKeyLog(text);
  KeyQueueHold();  // a break check must not empty the queue under the replay
  std::string base = LogBasePath(logPath);
  if (HasExtension(logPath, ".log")) {
    std::string resultPath = base + "_logReplay.txt";
    result_ = std::fopen(resultPath.c_str(), "wb");
    if (result_) {
      summary->resultFiles.push_back(resultPath);
      WriteResult(logPath + "\n");
      WriteResult(TimeLine(harness_text::kReplayStart));
    } else {
      summary->unwritable.push_back(resultPath);
    }
  }
  TruncateFile(base + "_replay.ans");
  // What the OS did before the replay is no news to its first key.
  if (Quiet(kAnnotationWaitMs) && probe_.takeFacts) probe_.takeFacts();

  for (const LogRecord& record : records) {
    if (speed == ReplaySpeed::kStep && !WaitForStep()) {
      summary->cancelled = true;
      break;
    }
    int row, column;
    if (!table_.PositionOf(record.name, &row, &column)) continue;  // unknown names are skipped
    bool quiet = Quiet(kAnnotationWaitMs);
    OsFacts facts;
    if (quiet && probe_.takeFacts) facts = probe_.takeFacts();
    WriteResult(AnnotationLine(record, quiet ? &facts : nullptr, quiet ? CursorNote() : ""));
    int answer = PushExclusive(row, column);
    if (answer < 0) {
      summary->cancelled = true;
      break;
    }
    if (answer == 3 || answer == 2) {
      ++summary->checkpoints;
      CheckResult result =
          answer == 3 ? CheckAnswer(base, record.number) : CheckScreen(base, record.number);
      if (result != CheckResult::kOk) ++summary->failures;
      WriteResult(answer == 3 ? AnswerResultLine(record.number, result)
                              : CaptureResultLine(record.number, result));
    }
  }
  while (!summary->cancelled && KeyQueueCount() > 0) {
    if (ui_->Cancelled() || (probe_.osGone && probe_.osGone())) break;
    if (probe_.waitQuiet) probe_.waitQuiet(kPushWaitMs);
    ui_->Pause(0);
  }
  KeyQueueRelease();
  WriteResult(TimeLine(harness_text::kReplayEnd));
  if (result_) std::fclose(result_);
  result_ = nullptr;
}
