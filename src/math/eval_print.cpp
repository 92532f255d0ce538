#include "math/eval_print.h"

#include <cstring>

#include "math/bcd_text.h"
#include "math/eval_internal.h"
#include "math/interp.h"
#include "math/text_tokens.h"
#include "math/token.h"
#include "os/charset.h"
#include "os/messages.h"
#include "os/popup.h"
#include "os/setup.h"

using namespace eval_internal;

namespace {

// A calculator text as UTF-8 with the plain spellings of the number marks;
// a line break between the parts of a complex result is dropped.
std::string NumberUtf8(const char* text) {
  std::string out;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text); *p;) {
    uint16_t c = *p++;
    if (TokenIsLead(uint8_t(c)) && *p) c = uint16_t(c << 8 | *p++);
    AppendCodeUtf8(&out, c);
  }
  return out;
}

std::string Trimmed(const std::string& s) {
  size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

std::string ScalarText(const BcdNumber v[2], bool canonical, int form) {
  char buf[kBcdTextSize];
  if (canonical) {
    BcdNumber re, im;
    BcdComplexSplit(v, &re, &im);
    BcdCanonicalText(&re, buf);
    std::string s = buf;
    if (BcdIsComplex(v)) {
      BcdCanonicalText(&im, buf);
      s += ' ';
      s += buf;
    }
    return s;
  }
  InterpFormatValue(v, form, buf, sizeof buf);
  return NumberUtf8(buf);
}

// A pop-up message without its indent and outer blanks.
std::string MessageLine(int number) {
  char buffer[kMessageBufferBytes];
  const char* text = GetMessage(number, buffer);
  if (!text) return "";
  if (std::strncmp(text, kPopUpIndent, std::strlen(kPopUpIndent)) == 0) {
    text += std::strlen(kPopUpIndent);
  }
  return Trimmed(CalcToUtf8(reinterpret_cast<const uint8_t*>(text)));
}

// The eval command's screen: every printed line goes to the output, the
// display-stop mark aside.
struct Capture {
  TextScreen screen;
  std::vector<std::string>* output;
  int seen = 0;  // lines of the screen already taken
  bool (*readAnswer)(std::string* text);
};

void TakeLines(void* user) {
  auto* c = static_cast<Capture*>(user);
  char disp[64];
  ScreenDispText(disp);
  std::string mark = Trimmed(NumberUtf8(disp));
  for (int l = c->seen + 1; l <= c->screen.line; ++l) {
    std::string text = Trimmed(ScreenLineUtf8(c->screen, l));
    if (text != mark) c->output->push_back(text);
  }
  // Start afresh so that scrolling never loses a line.
  ScreenClear(&c->screen);
  c->seen = 0;
}

int ReadAnswer(void* user, std::string* tokens) {
  auto* c = static_cast<Capture*>(user);
  TakeLines(user);
  std::string text;
  if (!c->readAnswer || !c->readAnswer(&text)) return kBcdErrBreak;
  c->output->push_back(text);
  if (TextToModeTokens(text, tokens)) return kBcdErrSyntax;
  return 0;
}

}  // namespace

std::string ErrorLine(int code) {
  int numbers[4];
  int count = ErrorMessageLines(code, numbers);
  std::string title;
  // The box's lines joined ("Complex Number" "In List"); a tall box says
  // what to do after its first line, which is the title.
  for (int i = 0; i < count; ++i) {
    std::string line = MessageLine(numbers[i]);
    if (line.empty()) continue;
    title += (title.empty() ? "" : " ") + line;
    if (count == 4) break;
  }
  if (title.empty()) title = MessageLine(kMsgUndefinition);
  return "Error " + std::to_string(code) + ": " + title;
}

std::string ResultText(const LineResult& result, bool canonical) {
  if (result.error) return ErrorLine(result.error);
  if (result.shows == kLineShowsDone) {
    char done[64];
    ScreenDoneText(done);
    return Trimmed(NumberUtf8(done));
  }
  if (IsArray(&result.value[0])) {
    return InterpArrayText(
        result.value, [&](const BcdNumber e[2]) { return ScalarText(e, canonical, result.form); });
  }
  return ScalarText(result.value, canonical, result.form);
}

int TextToModeTokens(std::string_view text, std::string* tokens) {
  TextTokenOptions options;
  options.hexLetters = GetSetupItem(kSetupBaseMode) == kBcdBaseHex;
  return TextToTokens(text, tokens, options);
}

EvalPrinted EvalTextLine(std::string_view line, bool canonical,
                         bool (*readAnswer)(std::string* text)) {
  EvalPrinted printed;
  std::string tokens;
  if (int column = TextToModeTokens(line, &tokens)) {
    printed.error = kBcdErrSyntax;
    printed.textColumn = column;
    printed.text = ErrorLine(kBcdErrSyntax);
    return printed;
  }
  tokens.push_back(0);  // a second end byte after a lead
  Capture capture{{}, &printed.output, 0, readAnswer};
  ScreenClear(&capture.screen);
  InterpIo io;
  io.user = &capture;
  io.screen = &capture.screen;
  io.readInput = ReadAnswer;
  InterpResult r;
  InterpRun(reinterpret_cast<const uint8_t*>(tokens.c_str()), kInterpModeLine, &r, io);
  TakeLines(&capture);
  LineResult result;
  result.error = r.error;
  result.form = r.form;
  std::memcpy(result.value, r.value, sizeof result.value);
  bool value = r.display == kShowValue || r.display == kShowList || r.display == kShowMatrix;
  result.shows = value ? kLineShowsValue : kLineShowsDone;
  printed.error = r.error;
  if (!r.shown || r.error) printed.text = ResultText(result, canonical);
  return printed;
}

int ProgramTextToTokens(std::string_view text, std::string* tokens, int* column) {
  tokens->clear();
  int number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    if (number > 1) tokens->push_back(char(kTokNewLine));
    std::string part;
    if (int c = TextToModeTokens(line, &part)) {
      *column = c;
      return number;
    }
    *tokens += part;
  }
  return 0;
}
