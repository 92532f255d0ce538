#include "math/eval_print.h"

#include <cstring>

#include "math/bcd_text.h"
#include "math/eval_internal.h"
#include "math/text_tokens.h"
#include "math/token.h"
#include "os/charset.h"
#include "os/setup.h"

using namespace eval_internal;

namespace {

// The English message line of each error code. Kept here, in one place,
// until the message tables can be read without a running OS.
struct ErrorTitle {
  int code;
  const char* text;
};
constexpr ErrorTitle kErrorTitles[] = {
    {1, "Break"},
    {2, "Syntax ERROR"},
    {3, "Ma ERROR"},
    {4, "Memory ERROR"},
    {5, "Go ERROR"},
    {6, "Nesting ERROR"},
    {7, "Stack ERROR"},
    {8, "Argument ERROR"},
    {9, "Dimension ERROR"},
    {10, "Com ERROR"},
    {11, "Transmit ERROR"},
    {12, "Receive ERROR"},
    {13, "Memory Full"},
    {14, "Undefined"},
    {15, "Overflow ERROR"},
    {16, "Domain ERROR"},
    {17, "Non-Real ERROR"},
    {18, "No Solution"},
    {19, "Mismatch"},
    {20, "No Variable"},
    {21, "Not Found"},
    {22, "Application ERROR"},
    {23, "System ERROR"},
    {24, "Already Exists"},
    {25, "Complex Number In List"},
    {26, "Complex Number In Matrix"},
    {27, "Can't Solve!"},
    {28, "Range ERROR"},
    {29, "Time Out"},
    {30, "Condition ERROR"},
    {31, "Syntax ERROR"},
    {32, "Syntax ERROR"},
    {33, "Range ERROR"},
    {34, "Circular ERROR"},
    {35, "No Real Roots"},
    {36, "Version ERROR"},
    {37, "Card ERROR"},
    {38, "Card is protected"},
    {39, "Invalid Card"},
    {40, "No Card"},
    {41, "SD Card Full"},
    {42, "Storage Memory Full"},
    {43, "Data ERROR"},
    {44, "Invalid file name or folder name."},
    {45, "Data is protected"},
    {46, "Too Many Data"},
};

BcdDisplay CurrentDisplay(int form) {
  BcdDisplay d;
  d.mode = GetSetupItem(kSetupDisplay);
  d.complexMode = GetSetupItem(kSetupComplexMode);
  d.baseMode = GetSetupItem(kSetupBaseMode);
  d.angleUnit = GetSetupItem(kSetupAngle);
  d.engState = GetSetupItem(61);
  std::memcpy(&d.engExponent[0], SetupItemAddress(62), 2);
  std::memcpy(&d.engExponent[1], SetupItemAddress(64), 2);
  if (form == kLineAsRectangular) d.complexMode = 1;
  if (form == kLineAsPolar) d.complexMode = 2;
  if (int base = LineFormBase(form)) d.baseMode = uint8_t(base);
  return d;
}

// A calculator text as UTF-8 with the plain spellings of the number marks;
// a line break between the parts of a complex result is dropped.
std::string NumberUtf8(const char* text) {
  std::string out;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text); *p;) {
    uint16_t c = *p++;
    if (TokenIsLead(uint8_t(c)) && *p) c = uint16_t(c << 8 | *p++);
    switch (c) {
      case 0x87:
      case 0x99:
        out += '-';
        break;
      case 0x89:
        out += '+';
        break;
      case 0x0F:
        out += 'E';
        break;
      case 0x0D:
        break;
      case 0xBB:
        out += "⌟";
        break;
      case 0x7F50:
        out += 'i';
        break;
      case 0x7F54:
        out += "∠";
        break;
      default:
        if (const char* u = CharToUtf8(c)) out += u;
        break;
    }
  }
  return out;
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
  BcdDisplay d = CurrentDisplay(form);
  BcdFormatResult(v, d.baseMode ? kBcdDisplayBaseN : 0, d, buf);
  return NumberUtf8(buf);
}

std::string ArrayText(const BcdNumber* ref, bool canonical, int form) {
  Array a;
  if (OpenArray(ref, &a)) return "ERROR";
  bool list = a.kind == ArrayKind::kList;
  std::string s = list ? "{" : "[";
  for (uint32_t r = 0; r < a.rows; ++r) {
    if (!list) s += '[';
    for (uint32_t c = 0; c < a.cols; ++c) {
      BcdNumber e[2];
      a.Get(r * a.cols + c, e);
      if (c > 0) s += ',';
      s += ScalarText(e, canonical, form);
    }
    if (!list) s += ']';
    if (list && r + 1 < a.rows) s += ',';
  }
  return s + (list ? "}" : "]");
}

}  // namespace

std::string ErrorLine(int code) {
  const char* title = "Undefinition";
  for (const ErrorTitle& t : kErrorTitles) {
    if (t.code == code) title = t.text;
  }
  return "Error " + std::to_string(code) + ": " + title;
}

std::string ResultText(const LineResult& result, bool canonical) {
  if (result.error) return ErrorLine(result.error);
  if (result.shows == kLineShowsDone) return "Done";
  if (IsArray(&result.value[0])) return ArrayText(&result.value[0], canonical, result.form);
  return ScalarText(result.value, canonical, result.form);
}

EvalPrinted EvalTextLine(std::string_view line, bool canonical) {
  EvalPrinted printed;
  std::string tokens;
  TextTokenOptions options;
  options.hexLetters = GetSetupItem(kSetupBaseMode) == kBcdBaseHex;
  if (int column = TextToTokens(line, &tokens, options)) {
    printed.error = kBcdErrSyntax;
    printed.textColumn = column;
    printed.text = ErrorLine(kBcdErrSyntax);
    return printed;
  }
  LineResult result;
  RunLine(reinterpret_cast<const uint8_t*>(tokens.c_str()), &result);
  printed.error = result.error;
  printed.text = ResultText(result, canonical);
  return printed;
}
