// vk2280-cli tui: the calculator full-screen in a terminal, for SSH and
// machines without a desktop. The OS thread only flags changes and wakes the
// loop through a pipe; every read of the calculator and every byte written to
// the terminal happens in this (the UI) thread, which never waits for the OS.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "host/cli/cli.h"
#include "host/cli/cli_memory.h"
#include "host/cli/headless.h"
#include "host/cli/tui.h"
#include "host/cli/tui_input.h"
#include "host/cli/tui_screen.h"
#include "host/cli/tui_terminal.h"
#include "host/services/cursor_blink.h"
#include "host/services/key_input.h"

const char* const kTuiUsage =
    "usage: vk2280-cli tui [--flash PATH]\n\n"
    "Runs the calculator full-screen in this terminal: the same calculator, flash\n"
    "image and keys as the desktop window. The display is drawn with half blocks\n"
    "in a terminal of at least 130 x 36 cells and with braille dots down to 66 x 20;\n"
    "it follows resizing.\n\n"
    "keys (those of the window):\n"
    "  Enter EXE    Esc EXIT    Backspace or Delete DEL    Tab AC/ON    arrows\n"
    "  Page Down MENU    Insert SHIFT    End ALPHA    Home OPTN    Page Up VARS\n"
    "  F1-F6\n"
    "  digits, + - * / ^ ( ) . , and letters (sent with ALPHA) as typed\n"
    "  Alt+M MENU, Alt+S SHIFT, Alt+A ALPHA, Alt+O OPTN, Alt+V VARS and Alt+1 ..\n"
    "  Alt+6 for F1-F6, for keyboards and terminals without those keys\n"
    "  Ctrl+Q or Ctrl+C quits, Ctrl+Z suspends, Ctrl+L redraws\n\n"
    "options:\n"
    "  --flash PATH   use this flash image (default: the window's own, kept between\n"
    "                 runs)\n\n"
    "NO_COLOR set in the environment keeps the terminal's own colours.\n";

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kBlinkPeriod{500};
// Bytes of an escape sequence arrive together; an Esc alone is followed by
// silence. Long enough for a slow SSH link, short enough not to be felt.
constexpr milliseconds kEscapeWait{50};
// At most this often a redraw, however fast the calculator changes its screen.
constexpr milliseconds kFrameInterval{15};
// How soon to look again whether the key queue has room for pasted keys.
constexpr milliseconds kBacklogRetry{10};

class TuiFrontEnd : public HeadlessFrontEnd {
 public:
  explicit TuiFrontEnd(int wakeFd) : wakeFd_(wakeFd) {}

  // OS thread: flag and wake, never wait.
  void LcdChanged() override {
    if (!lcdChanged_.exchange(true)) Wake();
  }
  void SetStatusAndTitle(const std::string& message, const std::string& title) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      message_ = message;
      title_ = title;
      statusChanged_ = true;
    }
    Wake();
  }

  // UI thread.
  bool TakeLcdChange() { return lcdChanged_.exchange(false); }
  bool TakeStatus(std::string* message, std::string* title) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!statusChanged_) return false;
    statusChanged_ = false;
    *message = message_;
    *title = title_;
    return true;
  }

 private:
  void Wake() {
    ssize_t ignored = write(wakeFd_, "l", 1);  // a full pipe already wakes the loop
    (void)ignored;
  }
  int wakeFd_;
  std::atomic<bool> lcdChanged_{false};
  std::mutex mutex_;
  bool statusChanged_ = false;
  std::string message_, title_;
};

class TuiLoop {
 public:
  TuiLoop(TuiFrontEnd* frontEnd, int wakeRead)
      : frontEnd_(frontEnd),
        wakeRead_(wakeRead),
        palette_(MakePalette(ColoursFromEnvironment(std::getenv("TERM"), std::getenv("COLORTERM"),
                                                    std::getenv("NO_COLOR")))) {
    view_.title = kWindowTitle;
  }

  // Draws at once, before the calculator has started.
  bool DrawNow() { return Draw(); }

  // Returns the exit status; *signal gets a terminating signal, if one ended it.
  int Run(int* signal);

 private:
  bool HandleKeys();  // false: quit
  // Sends held keys while the calculator's key queue has room. The window
  // types one key at a time; a paste into a terminal arrives all at once
  // and would otherwise overflow the queue.
  void SendBacklog();
  void Press(const TermKey& key);
  bool Draw();

  TuiFrontEnd* frontEnd_;
  int wakeRead_;
  TermPalette palette_;
  TermKeyDecoder decoder_;
  std::deque<TermKey> backlog_;
  TuiView view_;
  TermGrid shown_, next_;
  bool wholeScreen_ = true;  // the terminal's contents are unknown
  bool dirty_ = true;
  int helpWidth_ = -1;
  std::string shownTitle_;
  Clock::time_point escapeDeadline_{}, lastDraw_{};
};

bool TuiLoop::Draw() {
  TermSize size = TerminalSize();
  if (size.cols != helpWidth_) {
    helpWidth_ = size.cols;
    view_.help = KeyHelpLine(size.cols);
  }
  uint8_t plane[kLcdBytes];
  HeadlessScreen(plane);
  next_.Reset(size.cols, size.rows);
  ComposeScreen(plane, view_, &next_);
  std::string out = RenderDiff(wholeScreen_ ? nullptr : &shown_, next_, palette_);
  if (view_.title != shownTitle_) {
    out += TerminalTitle(view_.title);
    shownTitle_ = view_.title;
  }
  std::swap(shown_, next_);
  wholeScreen_ = false;
  dirty_ = false;
  lastDraw_ = Clock::now();
  return TerminalWrite(out);
}

void TuiLoop::Press(const TermKey& key) {
  uint16_t face = kNoKey;
  std::string typed;
  if (key.kind == TermKey::kVirtualKey) {
    bool handled = false;
    face = HostPcKeyDown(key.value, &handled);
    if (key.value == kVkSpace) typed = "space";
  } else {
    int ch = UnicodeToCp1252(static_cast<uint32_t>(key.value));
    if (ch <= 0) return;  // no such character on the calculator: ignored, as in the window
    face = HostTypeCharacter(ch, true);
    AppendUtf8(&typed, static_cast<char32_t>(key.value));
  }
  // As in the window: a key takes the blinking cursor off the display.
  LcdImageFromVram();
  const KeyRect* rect = face != kNoKey ? KeyRectOf(face) : nullptr;
  view_.lastKey = rect ? rect->legend : typed;
  dirty_ = true;
}

bool TuiLoop::HandleKeys() {
  TermKey key;
  while (decoder_.Next(&key)) {
    switch (key.kind) {
      case TermKey::kQuit:
        return false;
      case TermKey::kSuspend:
        TerminalSuspend();
        wholeScreen_ = dirty_ = true;
        break;
      case TermKey::kRedraw:
        wholeScreen_ = dirty_ = true;
        break;
      case TermKey::kVirtualKey:
      case TermKey::kCharacter:
        backlog_.push_back(key);
        break;
    }
  }
  SendBacklog();
  return true;
}

void TuiLoop::SendBacklog() {
  while (!backlog_.empty() && KeyQueueCount() < kKeyQueueCapacity) {
    Press(backlog_.front());
    backlog_.pop_front();
  }
}

int TuiLoop::Run(int* signal) {
  *signal = 0;
  Clock::time_point nextBlink = Clock::now() + kBlinkPeriod;
  for (;;) {
    TermSignals s = TerminalTakeSignals();
    if (s.quit) {
      *signal = s.quit;
      return kExitOk;
    }
    if (s.stop) TerminalSuspend();
    if (s.continued) TerminalResume();
    if (s.stop || s.continued) wholeScreen_ = dirty_ = true;
    if (s.resized) wholeScreen_ = dirty_ = true;
    if (frontEnd_->TakeLcdChange()) dirty_ = true;
    std::string message, title;
    if (frontEnd_->TakeStatus(&message, &title)) {
      view_.status = message;
      view_.title = title;
      dirty_ = true;
    }

    Clock::time_point now = Clock::now();
    if (now >= nextBlink) {
      if (CursorBlinkTick()) dirty_ = true;
      nextBlink += kBlinkPeriod;
      if (nextBlink <= now) nextBlink = now + kBlinkPeriod;  // after a stop
    }
    if (decoder_.Waiting() && now >= escapeDeadline_) {
      decoder_.Flush();
      if (!HandleKeys()) return kExitOk;
    }
    SendBacklog();
    Clock::time_point wakeAt = nextBlink;
    if (!backlog_.empty()) wakeAt = std::min(wakeAt, now + kBacklogRetry);
    if (dirty_) {
      if (now - lastDraw_ >= kFrameInterval) {
        if (!Draw()) return kExitFailed;  // the terminal is gone
      } else {
        wakeAt = std::min(wakeAt, lastDraw_ + kFrameInterval);
      }
    }
    if (decoder_.Waiting()) wakeAt = std::min(wakeAt, escapeDeadline_);

    auto timeout = std::chrono::duration_cast<milliseconds>(wakeAt - Clock::now()).count() + 1;
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int ready = poll(fds, 2, static_cast<int>(std::max<long long>(timeout, 0)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return kExitFailed;
    }
    if (fds[1].revents & POLLIN) {
      char drain[256];
      while (read(wakeRead_, drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLIN) {
      char bytes[4096];
      ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return kExitFailed;
      if (n > 0) {
        decoder_.Feed(bytes, static_cast<size_t>(n));
        escapeDeadline_ = Clock::now() + kEscapeWait;
        if (!HandleKeys()) return kExitOk;
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      return kExitFailed;  // the terminal closed
    }
  }
}

}  // namespace

int RunTui(const std::vector<std::string>& args) {
  HeadlessOptions options;
  options.userImage = true;
  MemoryOptions files;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string error;
    if (TakeMemoryOption(args, &i, &files, &error)) {
      if (!error.empty()) return CliError("tui", error, kExitUsage);
    } else if (args[i] == "--flash") {
      if (i + 1 >= args.size()) return CliError("tui", "--flash needs a value", kExitUsage);
      options.flashPath = args[++i];
    } else {
      return CliError("tui", "unknown argument '" + args[i] + "' (see --help)", kExitUsage);
    }
  }

  int wake[2];
  if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0)
    return CliError("tui", "cannot create a pipe", kExitFailed);
  // Never freed: an OS thread that does not stop in time is left running
  // with the process and may still report to it.
  static TuiFrontEnd* const frontEnd = new TuiFrontEnd(wake[1]);

  std::string error;
  if (!TerminalEnter(wake[1], &error)) return CliError("tui", error, kExitFailed);
  TuiLoop loop(frontEnd, wake[0]);
  LcdImageFill(0xFF);  // a blank display while the calculator starts
  int signal = 0;
  int status = kExitFailed;
  if (!loop.DrawNow()) {
    error = "cannot write to the terminal";
  } else if (HeadlessStart(options, frontEnd, &error) && ApplyImports(files, &error)) {
    status = loop.Run(&signal);
    error.clear();
    // Exported once the calculator has finished what it was doing.
    if (!signal && HeadlessSettle(options) && !ApplyExports(files, &error)) status = kExitFailed;
  }
  // The terminal first: stopping the OS thread may take a moment.
  TerminalLeave();
  HeadlessStop();
  if (signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);  // the parent sees how it ended
  }
  if (!error.empty()) return CliError("tui", error, kExitFailed);
  return status;
}
