#include "host/cli/tui_terminal.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "memory/flash_file.h"

namespace {

// Alternate screen, cursor hidden, no line wrap (the bottom-right cell must
// not scroll the screen), the window title pushed.
constexpr char kEnterSequence[] = "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[22;0t\x1b[2J";
constexpr char kLeaveSequence[] = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l\x1b[23;0t";

termios gSaved;
volatile sig_atomic_t gActive = 0;
int gWakeFd = -1;
// While the screen is ours, whatever the program writes to stderr (sanitizer
// warnings, a library's complaint) goes to this unlinked file instead of
// through the picture, and is shown once the terminal is back.
int gStderrCopy = -1;  // the real stderr
int gStderrFile = -1;

volatile sig_atomic_t gQuit = 0;
volatile sig_atomic_t gResized = 0;
volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gContinued = 0;

constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
struct sigaction gPreviousFatal[sizeof kFatalSignals / sizeof kFatalSignals[0]];
bool gHandlersInstalled = false;

void CaptureStderr() {
  if (gStderrFile >= 0) return;
  std::string path = HostTempFolder() + "/vk2280-tui-XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) return;  // then stderr stays as it is
  unlink(path.c_str());
  gStderrCopy = dup(STDERR_FILENO);
  if (gStderrCopy < 0) {
    close(fd);
    return;
  }
  dup2(fd, STDERR_FILENO);
  gStderrFile = fd;
}

// Only async-signal-safe calls from here on: they run in signal handlers.
void ReleaseStderr() {
  if (gStderrFile < 0) return;
  dup2(gStderrCopy, STDERR_FILENO);
  char buffer[4096];
  ssize_t n;
  lseek(gStderrFile, 0, SEEK_SET);
  while ((n = read(gStderrFile, buffer, sizeof buffer)) > 0) {
    ssize_t ignored = write(STDERR_FILENO, buffer, static_cast<size_t>(n));
    (void)ignored;
  }
  close(gStderrFile);
  close(gStderrCopy);
  gStderrFile = gStderrCopy = -1;
}

void RestoreNow() {
  if (!gActive) return;
  gActive = 0;
  ssize_t ignored = write(STDOUT_FILENO, kLeaveSequence, sizeof kLeaveSequence - 1);
  (void)ignored;
  tcsetattr(STDIN_FILENO, TCSANOW, &gSaved);
  ReleaseStderr();
}

void Wake() {
  int saved = errno;
  if (gWakeFd >= 0) {
    ssize_t ignored = write(gWakeFd, "s", 1);
    (void)ignored;
  }
  errno = saved;
}

void OnQuitSignal(int sig) {
  if (gQuit) {
    // Asked twice: the loop is not answering, so restore and go now.
    RestoreNow();
    _exit(128 + sig);
  }
  gQuit = sig;
  Wake();
}

void OnOtherSignal(int sig) {
  if (sig == SIGWINCH) gResized = 1;
  if (sig == SIGTSTP) gStop = 1;
  if (sig == SIGCONT) gContinued = 1;
  Wake();
}

// A crash: give the terminal back, then let whoever handled the signal
// before (the sanitizers' reporters, or the default core dump) go on.
void OnFatalSignal(int sig, siginfo_t* info, void* context) {
  RestoreNow();
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i) {
    if (kFatalSignals[i] != sig) continue;
    const struct sigaction& before = gPreviousFatal[i];
    if (before.sa_flags & SA_SIGINFO) {
      if (before.sa_sigaction) {
        before.sa_sigaction(sig, info, context);
        return;
      }
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
      before.sa_handler(sig);
      return;
    }
  }
  signal(sig, SIG_DFL);
  raise(sig);  // delivered once this handler returns
}

void InstallHandlers() {
  if (gHandlersInstalled) return;
  gHandlersInstalled = true;
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sigemptyset(&sa.sa_mask);
  sa.sa_handler = OnQuitSignal;
  for (int sig : kQuitSignals) sigaction(sig, &sa, nullptr);
  sa.sa_handler = OnOtherSignal;
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGWINCH, SIGTSTP, SIGCONT}) sigaction(sig, &sa, nullptr);
  sa.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &sa, nullptr);  // a closed terminal shows up as a failed write

  struct sigaction fatal;
  std::memset(&fatal, 0, sizeof fatal);
  sigemptyset(&fatal.sa_mask);
  fatal.sa_sigaction = OnFatalSignal;
  fatal.sa_flags = SA_SIGINFO | SA_ONSTACK;
  for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
    sigaction(kFatalSignals[i], &fatal, &gPreviousFatal[i]);

  std::atexit(RestoreNow);
  static std::terminate_handler previous = std::set_terminate([] {
    RestoreNow();
    if (previous) previous();
    std::abort();
  });
}

bool EnterRaw(std::string* error) {
  termios raw = gSaved;
  cfmakeraw(&raw);  // also frees Ctrl+Q and Ctrl+C from flow control and signals
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) {
    if (error) *error = std::string("cannot set up the terminal: ") + std::strerror(errno);
    return false;
  }
  gActive = 1;
  CaptureStderr();
  return TerminalWrite(kEnterSequence);
}

}  // namespace

bool TerminalEnter(int wakeFd, std::string* error) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *error = "needs a terminal on standard input and output (scripts use 'keys')";
    return false;
  }
  if (tcgetattr(STDIN_FILENO, &gSaved) != 0) {
    *error = std::string("cannot read the terminal settings: ") + std::strerror(errno);
    return false;
  }
  gWakeFd = wakeFd;
  InstallHandlers();
  return EnterRaw(error);
}

void TerminalLeave() {
  RestoreNow();
}

void TerminalResume() {
  if (gActive) {
    EnterRaw(nullptr);
    return;
  }
  if (tcgetattr(STDIN_FILENO, &gSaved) == 0) EnterRaw(nullptr);
}

void TerminalSuspend() {
  RestoreNow();
  struct sigaction dfl, ours;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(SIGTSTP, &dfl, &ours);
  // The whole job stops (make, a script, us), so the shell sees it stopped.
  kill(0, SIGTSTP);  // returns once the shell continues the job
  sigaction(SIGTSTP, &ours, nullptr);
  gContinued = 0;
  TerminalResume();
}

TermSignals TerminalTakeSignals() {
  TermSignals s;
  s.quit = gQuit;
  s.resized = gResized;
  s.stop = gStop;
  s.continued = gContinued;
  gResized = 0;
  gStop = 0;
  gContinued = 0;
  return s;
}

TermSize TerminalSize() {
  TermSize size;
  winsize ws{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 && ws.ws_row > 0) {
    size.cols = ws.ws_col;
    size.rows = ws.ws_row;
  }
  return size;
}

bool TerminalWrite(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      usleep(1000);  // a terminal that cannot keep up: wait for it
    } else {
      return false;
    }
  }
  return true;
}

std::string TerminalTitle(const std::string& title) {
  std::string out = "\x1b]2;";
  for (char c : title)
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
  return out + "\x07";
}
