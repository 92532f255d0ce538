// The menus of the six system families (OPTN, VARS, PRGM, the SHIFT and
// ALPHA bars, CLIP) and their registration words. Character entries type the
// tokens the evaluator reads; entries name their icon by its label text.
#include <cstddef>
#include <iterator>

#include "os/fkey_labels.h"
#include "os/key_matrix.h"
#include "os/menu.h"

namespace {

struct EntrySpec {
  const char* label;  // nullptr: an empty key
  uint16_t kind;
  uint32_t value;
};

constexpr EntrySpec Sub(const char* label, int menu) {
  return {label, kEntrySubmenu, static_cast<uint32_t>(menu)};
}
constexpr EntrySpec Tok(const char* label, uint32_t token) {
  return {label, kEntryChar, token};
}
constexpr EntrySpec Ctl(const char* label, uint32_t code) {
  return {label, kEntryControl, code};
}
constexpr EntrySpec More(int menu) {
  return {"►", kEntryReplace, static_cast<uint32_t>(menu)};
}
constexpr EntrySpec kNone{nullptr, kEntryChar, 0};

struct MenuSpec {
  int number;
  EntrySpec entries[kMenuEntries];
};

// ---- OPTN ------------------------------------------------------------------------
constexpr MenuSpec kOptn[] = {
    {100,
     {Sub("LIST", 101), Sub("MAT", 102), Sub("CPLX", 103), Sub("CALC", 104), Sub("HYP", 105),
      More(106)}},
    {106,
     {Sub("PROB", 107), Sub("NUM", 108), Sub("ANGL", 109), Sub("ESYM", 110), kNone, More(100)}},
    {101,
     {Tok("List", 0x7F51), Tok("Dim", 0x7F46), Tok("Seq", 0x7F2C), Tok("Min", 0x7F2D),
      Tok("Max", 0x7F20), More(111)}},
    {111,
     {Tok("Mean", 0x7F2E), Tok("Med", 0x7F2F), Tok("Sum", 0x7F4C), Tok("Prod", 0x7F4D),
      Tok("Cuml", 0x7F4F), More(101)}},
    {102,
     {Tok("Mat", 0x7F40), Tok("Det", 0x7F21), Tok("Trn", 0x7F41), Tok("Aug", 0x7F49),
      Tok("Iden", 0x7F48), Tok("Dim", 0x7F46)}},
    {103,
     {Tok("i", 0x7F50), Tok("Abs", 0x97), Tok("Arg", 0x7F22), Tok("Conj", 0x7F23),
      Tok("ReP", 0x7F24), Tok("ImP", 0x7F25)}},
    {104,
     {Tok("Solv", 0x7F28), Tok("d/dx", 0x7F26), Tok("d²dx²", 0x7F27), Tok("∫dx", 0x7F29),
      Tok("FMin", 0x7F2A), Tok("FMax", 0x7F2B)}},
    {105,
     {Tok("sinh", 0xA1), Tok("cosh", 0xA2), Tok("tanh", 0xA3), Tok("sinh⁻¹", 0xB1),
      Tok("cosh⁻¹", 0xB2), Tok("tanh⁻¹", 0xB3)}},
    {107, {Tok("x!", 0xAB), Tok("nPr", 0x88), Tok("nCr", 0x98), Tok("Ran#", 0xC1), kNone, kNone}},
    {108,
     {Tok("Abs", 0x97), Tok("Int", 0xA6), Tok("Frac", 0xB6), Tok("Rnd", 0xD3), Tok("Intg", 0xDE),
      Tok("RFix", 0x7F86)}},
    {109,
     {Tok("ᵒ", 0x9C), Tok("ʳ", 0xAC), Tok("ᵍ", 0xBC), Tok("°'\"", 0x8C), Tok("Pol(", 0x80),
      Tok("Rec(", 0xA0)}},
    {110,
     {Tok("m", 0x05), Tok("μ", 0x04), Tok("n", 0x03), Tok("p", 0x02), Tok("f", 0x01), More(112)}},
    {112,
     {Tok("k", 0x06), Tok("M", 0x07), Tok("G", 0x08), Tok("T", 0x09), Tok("P", 0x0A),
      Tok("E", 0x0B)}},
};

// ---- VARS ------------------------------------------------------------------------
constexpr MenuSpec kVars[] = {
    {141, {Sub("VWIN", 142), Sub("FACT", 146), Sub("STAT", 147), Sub("TABL", 148), kNone, kNone}},
    {142, {Sub("X", 143), Sub("Y", 144), Sub("T,θ", 145), kNone, kNone, kNone}},
    {143,
     {Tok("min", 0x7F00), Tok("max", 0x7F01), Tok("scl", 0x7F02), Tok("dot", 0xF921), kNone,
      kNone}},
    {144, {Tok("min", 0x7F04), Tok("max", 0x7F05), Tok("scl", 0x7F06), kNone, kNone, kNone}},
    {145, {Tok("min", 0x7F08), Tok("max", 0x7F09), Tok("ptch", 0x7F0A), kNone, kNone, kNone}},
    {146, {Tok("Xfct", 0x7F0B), Tok("Yfct", 0x7F0C), kNone, kNone, kNone, kNone}},
    {147,
     {Tok("n", 0xAF), Tok("x̄", 0xC2), Tok("Σx", 0x9F), Tok("Σx²", 0x8F), Tok("xσn", 0xC4),
      Tok("xσn₋₁", 0xC5)}},
    {148,
     {Tok("Strt", 0x7F91), Tok("End", 0x7F92), Tok("Ptch", 0x7F93), Tok("Rslt", 0x7F90), kNone,
      kNone}},
};

// ---- PRGM ------------------------------------------------------------------------
constexpr MenuSpec kPrgm[] = {
    {213,
     {Sub("COM", 214), Sub("CTL", 215), Sub("JUMP", 216), Tok("?", '?'), Tok("◢", 0x0C),
      More(217)}},
    {217, {Sub("CLR", 218), Sub("REL", 219), Sub("I/O", 220), Tok(":", ':'), kNone, More(213)}},
    {214,
     {Tok("If", 0xF700), Tok("Then", 0xF701), Tok("Else", 0xF702), Tok("I-End", 0xF703), kNone,
      More(221)}},
    {221,
     {Tok("For", 0xF704), Tok("To", 0xF705), Tok("Step", 0xF706), Tok("Next", 0xF707), kNone,
      More(222)}},
    {222,
     {Tok("Whle", 0xF708), Tok("WEnd", 0xF709), Tok("Do", 0xF70A), Tok("Lp-W", 0xF70B), kNone,
      More(214)}},
    {215,
     {Tok("Prog", 0xED), Tok("Rtrn", 0xF70C), Tok("Brk", 0xF70D), Tok("Stop", 0xF70E), kNone,
      kNone}},
    {216,
     {Tok("Lbl", 0xE2), Tok("Goto", 0xEC), Tok("⇒", 0x13), Tok("Isz", 0xE9), Tok("Dsz", 0xE8),
      kNone}},
    {218,
     {Tok("Text", 0xF718), Tok("Grph", 0xF719), Tok("List", 0xF71A), Tok("Mat", 0xF91E), kNone,
      kNone}},
    {219,
     {Tok("=", '='), Tok("≠", 0x11), Tok(">", '>'), Tok("<", '<'), Tok("≥", 0x12), Tok("≤", 0x10)}},
    {220,
     {Tok("Lcte", 0xF710), Tok("Gtky", 0x7F8F), Tok("Send(", 0xF711), Tok("Recv(", 0xF712), kNone,
      kNone}},
};

// ---- The SHIFT bar, the ALPHA bar, CLIP ---------------------------------------------
constexpr MenuSpec kShift[] = {
    {192, {kNone, kNone, Ctl("V-Win", kKeyVWin), Sub("SKTCH", 193), kNone, kNone}},
    {193,
     {Tok("Cls", 0xD1), Tok("Tang", 0xF7A0), Tok("Norm", 0xF7A1), Tok("Inv", 0xF7A2),
      Tok("Vert", 0xF7A3), Tok("Hztl", 0xF7A4)}},
};
constexpr MenuSpec kAlpha[] = {
    {237, {Tok("'", 39), Tok("\"", 34), Tok("~", 126), kNone, kNone, kNone}},
};
constexpr MenuSpec kClipCopyCut[] = {
    {234, {Ctl("COPY", kKeyCopy), Ctl("CUT", kKeyCut), kNone, kNone, kNone, kNone}},
};
constexpr MenuSpec kClipCopy[] = {
    {234, {Ctl("COPY", kKeyCopy), kNone, kNone, kNone, kNone, kNone}},
};

// A family's variants; variant v is entry v - 1.
struct Variant {
  const MenuSpec* menus;
  size_t count;
};
template <size_t N>
constexpr Variant V(const MenuSpec (&m)[N]) {
  return {m, N};
}

struct Family {
  int first, last;  // the family's menu numbers
  Variant variants[2];
  int variantCount;
};

constexpr Family kFamilies[kMenuFamilyCount] = {
    {kMenuPrgm, kMenuPrgmLast, {V(kPrgm)}, 1},
    {kMenuVars, kMenuVarsLast, {V(kVars)}, 1},
    {kMenuOptn, kMenuOptnLast, {V(kOptn)}, 1},
    {kMenuAlphaBar, kMenuAlphaLast, {V(kAlpha)}, 1},
    {kMenuShiftBar, kMenuShiftLast, {V(kShift)}, 1},
    {kMenuClip, kMenuClipLast, {V(kClipCopyCut), V(kClipCopy)}, 2},
};

// The entries with their icons looked up, one block per menu of every
// variant, filled the first time a family is registered.
constexpr size_t kSpecCount = std::size(kOptn) + std::size(kVars) + std::size(kPrgm) +
                              std::size(kShift) + std::size(kAlpha) + std::size(kClipCopyCut) +
                              std::size(kClipCopy);
MenuEntry gResolved[kSpecCount][kMenuEntries];
bool gResolvedDone = false;
uint16_t gWords[kMenuFamilyCount];

const MenuEntry* Resolved(const MenuSpec* wanted) {
  if (!gResolvedDone) {
    size_t n = 0;
    for (const Family& f : kFamilies)
      for (int v = 0; v < f.variantCount; ++v)
        for (size_t m = 0; m < f.variants[v].count; ++m, ++n)
          for (int e = 0; e < kMenuEntries; ++e) {
            const EntrySpec& s = f.variants[v].menus[m].entries[e];
            gResolved[n][e] =
                MenuEntry{static_cast<int16_t>(FKeyIconOfLabel(s.label, s.kind == kEntrySubmenu)),
                          s.kind, s.label ? s.value : 0};
          }
    gResolvedDone = true;
  }
  size_t n = 0;
  for (const Family& f : kFamilies)
    for (int v = 0; v < f.variantCount; ++v)
      for (size_t m = 0; m < f.variants[v].count; ++m, ++n)
        if (&f.variants[v].menus[m] == wanted) return gResolved[n];
  return nullptr;
}

}  // namespace

uint16_t MenuFamilyWord(MenuFamily family) {
  return family >= 0 && family < kMenuFamilyCount ? gWords[family] : 0;
}

void SaveMenuFamilies(uint16_t words[kMenuFamilyCount]) {
  for (int f = 0; f < kMenuFamilyCount; ++f) words[f] = gWords[f];
}

void RegisterMenuFamily(MenuFamily family, uint16_t variant) {
  if (family < 0 || family >= kMenuFamilyCount) return;
  const Family& f = kFamilies[family];
  for (int n = f.first; n <= f.last; ++n) RegisterMenu(n, nullptr);
  gWords[family] = 0;
  if (variant < 1 || variant > f.variantCount) return;
  const Variant& v = f.variants[variant - 1];
  for (size_t m = 0; m < v.count; ++m) RegisterMenu(v.menus[m].number, Resolved(&v.menus[m]));
  gWords[family] = variant;
}

void RegisterMenuFamilies(const uint16_t words[kMenuFamilyCount]) {
  for (int f = 0; f < kMenuFamilyCount; ++f)
    RegisterMenuFamily(static_cast<MenuFamily>(f), words[f]);
}
