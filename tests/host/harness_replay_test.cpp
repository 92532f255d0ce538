// Recording and replay against a stand-in OS thread on the real key queue, so
// the marker handshake, result files and checkpoint outcomes run for real.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "host/harness/harness_texts.h"
#include "host/harness/key_logger.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"
#include "tests/host/stand_in_os.h"

namespace fs = std::filesystem;

namespace {

class ScriptedUi : public HarnessUi {
 public:
  void Message(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    messages.push_back(text);
    return yes;
  }
  bool AskRetry(const std::string& text) override {
    messages.push_back(text);
    return retries-- > 0;
  }
  bool ChooseLogToRecord(std::string* path) override { return Pick(chosen, path); }
  bool ChooseLogToReplay(std::string* path) override { return Pick(chosen, path); }
  bool ChooseKeyTable(std::string* path) override { return Pick(table, path); }
  void Pause(int ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 5)));
  }

  std::vector<std::string> messages;
  std::string chosen, table;
  bool yes = true;
  int retries = 0;

 private:
  static bool Pick(const std::string& answer, std::string* path) {
    if (!answer.empty()) *path = answer;
    return !answer.empty();
  }
};

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

void ExpectLines(const std::string& text, std::initializer_list<std::string> parts) {
  for (const std::string& part : parts) EXPECT_NE(text.find(part), std::string::npos) << part;
}

class HarnessReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    HostResetForTest();
    HostSetKeyLogMode(0);
    dir_ = fs::temp_directory_path() /
           ("vk-harness-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Its answer and screen follow the number of keys taken since the last
    // MENU, so a replay of the same keys agrees.
    calc_ = std::make_unique<StandInOs>([this](const KeyEntry& key) {
      sinceMenu_ = key.row == 4 && key.column == 9 ? 1 : sinceMenu_ + 1;
    });
    logger_ = std::make_unique<KeyLogger>(&ui_, Probe());
    ASSERT_TRUE(logger_->LoadKeyTable(""));
  }
  void TearDown() override {
    logger_.reset();
    calc_.reset();
    HostResetForTest();
    fs::remove_all(dir_);
  }

  HarnessProbe Probe() {
    HarnessProbe p;
    p.waitQuiet = [](int ms) { return HostWaitOsIdle(ms); };
    p.answerText = [this] { return "R\t" + std::to_string(sinceMenu_) + "\t+0"; };
    p.screen = [this](uint8_t plane[kLcdBytes]) {
      std::memset(plane, 0, kLcdBytes);
      plane[sinceMenu_ % kLcdBytes] = 0xF0;
    };
    p.textCursor = [] { return TextCursorInfo{1, 2, 0, true}; };
    p.graphCursor = [this](int* x, int* y) {
      *x = 5;
      *y = 6;
      return graphCursor_.load();
    };
    p.fkeyLabel = [](int slot) { return "LBL" + std::to_string(slot + 1); };
    p.takeFacts = [this] {
      OsFacts f;
      f.charCode = charCode_.exchange(0);
      f.controlCode = controlCode_.exchange(0);
      f.appName = std::exchange(app_, "");
      return f;
    };
    p.charText = [](uint32_t code) { return std::string(1, static_cast<char>(code)); };
    p.shiftState = [this] { return shift_.load(); };
    return p;
  }

  // Presses face keys by their key-map names, as the window sends them.
  void Press(std::initializer_list<const char*> names) {
    for (const char* n : names) {
      const KeyMapRow* key = KeyMapByName(n);
      ASSERT_NE(key, nullptr) << n;
      HostSendKey(key->code, 0);
      ASSERT_TRUE(HostWaitOsIdle(5000));
    }
  }

  // MENU 1 + 2 EXE EXE with two screens and two answers.
  void RecordSample() {
    ASSERT_TRUE(logger_->StartRecording(Log()));
    Press({"MENU", "1"});
    ASSERT_TRUE(logger_->ScreenCheckpoint());
    Press({"+", "2", "EXE"});
    ASSERT_TRUE(logger_->AnswerCheckpoint());
    Press({"EXE"});
    ASSERT_TRUE(logger_->ScreenCheckpoint());
    ASSERT_TRUE(logger_->AnswerCheckpoint());
    logger_->StopRecording();
  }

  std::string Log() const { return (dir_ / "calc.log").string(); }
  fs::path File(const char* name) const { return dir_ / name; }

  fs::path dir_;
  ScriptedUi ui_;
  std::atomic<int> sinceMenu_{0}, shift_{0};
  std::atomic<uint32_t> charCode_{0}, controlCode_{0};
  std::atomic<bool> graphCursor_{false};
  std::string app_;
  std::unique_ptr<StandInOs> calc_;
  std::unique_ptr<KeyLogger> logger_;
};

TEST_F(HarnessReplay, RecordingWritesTheLogAndReplaysOfItPass) {
  RecordSample();
  EXPECT_EQ(ReadText(Log()),
            "[MENU]\n[1]\n[Cap.Screen.0001]\n[+]\n[2]\n[EXE]\n[Cap.Ans.0001]\n[EXE]\n"
            "[Cap.Screen.0002]\n[Cap.Ans.0002]\n");
  std::string annotated = ReadText(File("calc_log.txt"));
  EXPECT_EQ(annotated.substr(0, annotated.find('\n')), "[MENU]\t\t[Text cursor(x,y)=(1,2)]");
  // The stand-in had taken 5 keys since MENU at the first answer, 6 at the second.
  EXPECT_EQ(ReadText(File("calc.ans")), "Ans0001\tR\t5\t+0\nAns0002\tR\t6\t+0\n");
  EXPECT_EQ(fs::file_size(File("calc_0001.bmp")), 1086u);
  EXPECT_EQ(fs::file_size(File("calc_0002.bmp")), 1086u);
  EXPECT_EQ(calc_->taken.load(), 6u) << "the markers never reach the calculator while recording";

  ReplaySummary s = logger_->Replay(Log(), ReplaySpeed::kNormal);
  EXPECT_TRUE(s.allOk());
  EXPECT_EQ(s.checkpoints, 4);
  EXPECT_EQ(calc_->taken.load(), 12u) << "markers are swallowed, keys arrive once";
  std::string result = ReadText(File("calc_logReplay.txt"));
  EXPECT_EQ(result.substr(0, result.find('\n')), Log());
  ExpectLines(result, {"\n再生開始日時：",
                       "[Cap.Screen.0001]\t\t\t[Text cursor(x,y)=(1,2)]\nCapture0001\tOK\n[+]",
                       "\nAns0001\tOK\n", "\nCapture0002\tOK\n", "\nAns0002\tOK\n", "再生終了日時："});
  EXPECT_EQ(ReadText(File("calc_replay.ans")), ReadText(File("calc.ans")));
  EXPECT_TRUE(fs::exists(File("calc_replay_0002.bmp")));
  EXPECT_FALSE(fs::exists(File("calc_error_0002.bmp")));
  EXPECT_EQ(KeyQueueCount(), 0);
  EXPECT_EQ(HostKeyLogMode(), 0);

  // A list replays each log in turn and skips empty lines.
  for (std::string end : {".log", ".ans", "_0001.bmp", "_0002.bmp"})
    fs::copy_file(dir_ / ("calc" + end), dir_ / ("second" + end));
  WriteText(File("all.LST"), "calc.log\n\n" + File("second.log").string() + "\n\n");
  s = logger_->Replay(File("all.LST").string(), ReplaySpeed::kNormal);
  EXPECT_EQ(s.logs, 2);
  EXPECT_TRUE(s.allOk());
  EXPECT_EQ(s.checkpoints, 8);
  EXPECT_EQ(calc_->taken.load(), 24u);
  EXPECT_TRUE(fs::exists(File("second_logReplay.txt")));
  EXPECT_EQ(s.resultFiles.size(), 2u);
}

TEST_F(HarnessReplay, CheckpointOutcomes) {
  RecordSample();
  fs::remove(File("calc_0001.bmp"));  // deleted: no file
  std::string bmp = ReadText(File("calc_0002.bmp"));
  bmp[700] ^= 0x81;  // one byte changed
  WriteText(File("calc_0002.bmp"), bmp);
  WriteText(File("calc.ans"), "Ans0001\tR\t5\t+0\nAns0002\tR\t99\t+0\n");
  ReplaySummary s = logger_->Replay(Log(), ReplaySpeed::kNormal);
  EXPECT_EQ(s.failures, 3);
  EXPECT_FALSE(s.allOk());
  ExpectLines(ReadText(File("calc_logReplay.txt")),
              {"Capture0001\tERROR(No File)\n", "Capture0002\tERROR\n", "Ans0001\tOK\n",
               "Ans0002\tERROR\n"});
  EXPECT_EQ(fs::file_size(File("calc_error_0002.bmp")), 118u + 64 * 64);

  // A shortened bitmap, and no answers file at all.
  WriteText(File("calc_0002.bmp"), bmp.substr(0, 1000));
  fs::remove(File("calc.ans"));
  logger_->Replay(Log(), ReplaySpeed::kFast);
  ExpectLines(ReadText(File("calc_logReplay.txt")),
              {"Capture0002\tERROR(Miss File)\n", "Ans0001\tERROR(No File)\n"});
  EXPECT_FALSE(HostDisplayHeld()) << "a fast replay lets go of the display";
}

TEST_F(HarnessReplay, UnknownNamesAreSkippedAndOnlyLogsGetAResultFile) {
  WriteText(File("odd.txt"), "[MENU]\n[NO SUCH KEY]\n\n[1]\n");
  ReplaySummary s = logger_->Replay(File("odd.txt").string(), ReplaySpeed::kNormal);
  EXPECT_TRUE(s.allOk());
  EXPECT_EQ(calc_->taken.load(), 2u);
  EXPECT_TRUE(s.resultFiles.empty());
  EXPECT_FALSE(fs::exists(File("odd_logReplay.txt")));
  s = logger_->Replay(File("missing.log").string(), ReplaySpeed::kNormal);
  EXPECT_EQ(s.unreadable.size(), 1u);
}

TEST_F(HarnessReplay, AnnotationLinesTellWhatTheOsDid) {
  WriteText(File("notes.log"), "[F2]\n[1]\n[EXE]\n[F3]\n[2]\n[MENU]\n");
  // Facts the stand-in reports before each key (what the key before did).
  std::vector<std::function<void()>> before = {
      [&] {},
      [&] { app_ = "RUN-MAT"; },
      [&] { charCode_ = '1'; },
      [&] { charCode_ = 'x'; },
      [&] { controlCode_ = 30037; },
      [&] {
        graphCursor_ = true;
        controlCode_ = 30004;
      },
  };
  // A step replay: each step first sets the facts, then asks for the key
  // and waits until the stand-in has it.
  std::thread stepper([&] {
    while (HostKeyLogMode() != 2) std::this_thread::yield();
    for (size_t i = 0; i < before.size(); ++i) {
      before[i]();
      HostSendKey(31, 0);  // a click during a replay only asks for the next step
      while (calc_->taken < i + 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  ReplaySummary s = logger_->Replay(File("notes.log").string(), ReplaySpeed::kStep);
  stepper.join();
  EXPECT_TRUE(s.allOk());
  const std::string cursor = "\t\t[Text cursor(x,y)=(1,2)]\n";
  ExpectLines(ReadText(File("notes_logReplay.txt")),
              {"[F2]\t<FMENU :LBL2>" + cursor, "[1]\t<APPLI :RUN-MAT>" + cursor,
               "[EXE]\t<ICODE :0031[1]>" + cursor, "[F3]\t<FMENU :LBL3>\t<ICODE :0078[x]>" + cursor,
               "[2]\t<EXEC  :Setup>" + cursor, "[MENU]\t\t\t[2D cursor(Xdot,Ydot)=(5,6)]\n"});
}

TEST_F(HarnessReplay, RecordingAsksBeforeTheOffKeyAndOnWriteFailures) {
  ASSERT_TRUE(logger_->StartRecording(Log()));
  shift_ = 1;  // SHIFT, then AC/ON: the calculator would turn off
  ui_.yes = false;
  Press({"AC"});
  EXPECT_EQ(ui_.messages.back(), harness_text::kAskLogPowerOff);
  EXPECT_EQ(calc_->taken.load(), 0u) << "No: neither logged nor sent";
  ui_.yes = true;
  Press({"AC"});
  EXPECT_EQ(calc_->taken.load(), 1u);
  shift_ = 0;

  // The log goes away under the recorder: Retry once, then Cancel drops the key.
  fs::remove_all(dir_);
  ui_.retries = 1;
  ui_.messages.clear();
  Press({"1"});
  EXPECT_EQ(ui_.messages, (std::vector<std::string>{harness_text::kLogWriteFailed,
                                                    harness_text::kLogWriteFailed}));
  EXPECT_EQ(calc_->taken.load(), 1u);
  EXPECT_TRUE(logger_->recording()) << "recording goes on";
  fs::create_directories(dir_);
  Press({"2"});
  EXPECT_EQ(ReadText(Log()), "[2]\n");
}

TEST_F(HarnessReplay, CommandsWithoutAKeyTableRefuse) {
  KeyLogger bare(&ui_, Probe());
  ui_.chosen = Log();
  bare.CommandRecord();
  EXPECT_FALSE(bare.recording());
  EXPECT_EQ(ui_.messages.back(), harness_text::kNoTableToRecord);
  bare.CommandReplay(ReplaySpeed::kNormal);
  EXPECT_EQ(ui_.messages.back(), harness_text::kNoTableToReplay);

  // A key table chosen on first use.
  WriteText(File("mine.keys"), "  7B [Cap.Ans]\n32 Enter\n");
  ui_.table = File("mine.keys").string();
  bare.CommandRecord();
  ASSERT_TRUE(bare.recording());
  Press({"EXE", "1"});  // "1" has no name here: Cancel drops it
  ASSERT_TRUE(bare.AnswerCheckpoint());
  bare.CommandRecord();
  EXPECT_FALSE(bare.recording());
  EXPECT_EQ(ReadText(Log()), "Enter\n[Cap.Ans.0001]\n");
}

}  // namespace
