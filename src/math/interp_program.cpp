// Programs as main-memory items, and the text of a result value.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "math/bcd_text.h"
#include "math/eval_internal.h"
#include "math/interp.h"
#include "math/token.h"
#include "memory/mem_app.h"
#include "os/setup.h"

namespace {

// Item 61 and the exponents of the engineering shift (62-65).
constexpr int kSetupEngState = 61;
constexpr int kSetupEngExponent = 62;

}  // namespace

int InterpStoreProgram(const char* name, const uint8_t* tokens, size_t length) {
  size_t n = std::strlen(name);
  if (n == 0 || n > kProgramNameBytes) return kBcdErrSyntax;
  // Two end bytes: a lead right before the end must not read the first as
  // its second byte.
  std::vector<uint8_t> item(kProgramHeader + length + 2, 0);
  std::memcpy(item.data() + kProgramHeader, tokens, length);
  MemDeleteOfKind(kMemKindProgram, name);
  if (MemCreate(kMemKindProgram, name, uint32_t(item.size()), item.data()) != kMemOk) {
    return kBcdErrMemory;
  }
  return 0;
}

bool InterpReadProgram(const char* name, std::string* tokens) {
  uint8_t* data;
  uint32_t size;
  if (MemGetPointer(MemOfKind(kMemKindProgram), name, &data, &size) != kMemOk) return false;
  tokens->clear();
  if (size <= kProgramHeader) return true;
  // Read by tokens: If and Xmin have a zero second byte.
  const uint8_t* p = data + kProgramHeader;
  size_t limit = size - kProgramHeader, n = 0;
  for (int length = 0; n < limit; n += size_t(length)) {
    // A lead in the last byte of the item stands alone.
    if (n + 1 == limit && TokenIsLead(p[n]))
      length = 1;
    else
      TokenPeek(p + n, &length);
    if (length == 0) break;
  }
  tokens->assign(reinterpret_cast<const char*>(p), n < limit ? n : limit);
  return true;
}

BcdDisplay InterpDisplaySettings(int form) {
  BcdDisplay d;
  d.mode = GetSetupItem(kSetupDisplay);
  d.complexMode = GetSetupItem(kSetupComplexMode);
  d.baseMode = GetSetupItem(kSetupBaseMode);
  d.angleUnit = GetSetupItem(kSetupAngle);
  d.engState = GetSetupItem(kSetupEngState);
  std::memcpy(&d.engExponent[0], SetupItemAddress(kSetupEngExponent), 2);
  std::memcpy(&d.engExponent[1], SetupItemAddress(kSetupEngExponent + 2), 2);
  if (form == kFormRectangular) d.complexMode = 1;
  if (form == kFormPolar) d.complexMode = 2;
  static constexpr uint8_t kBases[] = {kBcdBaseDec, kBcdBaseHex, kBcdBaseBin, kBcdBaseOct};
  if (form >= kFormDec && form <= kFormOct) d.baseMode = kBases[form - kFormDec];
  return d;
}

void InterpKeepEngineeringShift(const BcdDisplay& d) {
  SetSetupItem(kSetupEngState, d.engState);
  std::memcpy(SetupItemAddress(kSetupEngExponent), &d.engExponent[0], 2);
  std::memcpy(SetupItemAddress(kSetupEngExponent + 2), &d.engExponent[1], 2);
}

void InterpFormatValue(const BcdNumber value[2], int form, char* out, size_t size) {
  BcdDisplay d = InterpDisplaySettings(form);
  char buffer[kBcdTextSize];
  BcdFormatResult(value, d.baseMode ? kBcdDisplayBaseN : 0, d, buffer);
  std::snprintf(out, size, "%s", buffer);
}

std::string InterpArrayText(const BcdNumber* ref,
                            const std::function<std::string(const BcdNumber element[2])>& element) {
  eval_internal::Array a;
  if (eval_internal::OpenArray(ref, &a)) return "ERROR";
  bool list = a.kind == eval_internal::ArrayKind::kList;
  std::string s = list ? "{" : "[";
  for (uint32_t r = 0; r < a.rows; ++r) {
    if (!list) s += '[';
    for (uint32_t c = 0; c < a.cols; ++c) {
      BcdNumber e[2];
      a.Get(r * a.cols + c, e);
      if (c > 0) s += ',';
      s += element(e);
    }
    if (!list) s += ']';
    if (list && r + 1 < a.rows) s += ',';
  }
  return s + (list ? "}" : "]");
}

int InterpShowResult(TextScreen* screen, const InterpResult& result) {
  if (result.shown || result.error) return 0;
  char text[kBcdTextSize + 8];
  if (result.display == kShowList || result.display == kShowMatrix) {
    std::string shown = InterpArrayText(result.value, [](const BcdNumber e[2]) {
      char part[kBcdTextSize + 8];
      InterpFormatValue(e, kFormAsIs, part, sizeof part);
      std::string s = part;
      for (char& ch : s)
        if (ch == kBcdChNewLine) ch = ' ';
      return s;
    });
    return ScreenPrint(screen, shown.c_str(), true);
  }
  if (result.display == kShowValue) {
    InterpFormatValue(result.value, result.form, text, sizeof text);
    return ScreenPrint(screen, text, true);
  }
  ScreenDoneText(text);
  return ScreenPrint(screen, text, false);
}
