#include "os/setup.h"

#include <cstdio>
#include <cstring>
#include <span>

#include "os/text.h"

namespace {

uint8_t gSetup[kSetupBytes];

// Defaults of items 0..99, as runs of equal values; every item not named is 0.
struct DefaultRun {
  uint8_t first, last, value;
};
constexpr DefaultRun kDefaults[] = {
    {19, 19, 1}, {21, 21, kInsertInsert},
    {26, 26, 1}, {28, 28, 1},
    {30, 30, 1}, {34, 34, 3},
    {35, 39, 1}, {46, 46, 1},
    {48, 49, 1}, {82, 84, 1},
    {90, 90, 1},
};

// How an item's value becomes text.
enum class ValueForm : uint8_t {
  kNamed,     // one name per value code
  kPlusOne,   // the value + 1 in decimal
  kDisplay,   // number format in bits 4..6, digit count in 0..3
  kNumbered,  // names[0] for 0, else the prefix and the value
  kPrefixed,  // the prefix and the value, always
  kFraction,  // names[0] for 1, names[1] for anything else
};

struct ValueName {
  uint8_t code;
  const char* text;
};

constexpr ValueName kOnOff[] = {{0, "On"}, {1, "Off"}};
constexpr ValueName kAngle[] = {{0, "Deg"}, {1, "Rad"}, {2, "Gra"}};
constexpr ValueName kBaseMode[] = {{0, "Comp"}, {1, "Bin"}, {7, "Oct"}, {9, "Dec"}, {15, "Hex"}};
// 0xCD is the letter r of the variables, 0x12 and 0x10 the relation signs
// greater-or-equal and less-or-equal.
constexpr ValueName kFuncType[] = {{0, "Y="}, {1, "\xCD="}, {2, "Param"}, {3, "X=c"},
                                   {4, "Y>"}, {5, "Y<"},    {6, "Y\x12"}, {7, "Y\x10"}};
constexpr ValueName kDrawType[] = {{0, "Connect"}, {1, "Plot"}};
constexpr ValueName kStatWind[] = {{0, "Auto"}, {1, "Manual"}};
constexpr ValueName kDualScreen[] = {{0, "G+G"}, {1, "G to T"}, {2, "T+G"}, {3, "Off"}};
constexpr ValueName kDualScreen2[] = {{0, "T+G"}, {1, "Off"}};
constexpr ValueName kDynamicType[] = {{0, "Cont"}, {1, "Stop"}};
constexpr ValueName kPayment[] = {{0, "BGN"}, {1, "End"}};
constexpr ValueName kDateMode[] = {{0, "365"}, {1, "360"}};
constexpr ValueName kAnswerType[] = {{0, "Real"}, {1, "Complex"}};
// a+bi ends in the imaginary unit 0x7F50; polar is r, the angle sign 0x7F54 and theta 0xCE.
constexpr ValueName kComplexMode[] = {{0, "Real"}, {1, "a+b\x7F\x50"}, {2, "\xCD\x7F\x54\xCE"}};
constexpr ValueName kDisplayForms[] = {
    {0x00, "Norm1"}, {0x10, "Norm2"}, {0x20, "Fix"}, {0x30, "Sci"}};
constexpr ValueName kNone[] = {{0, "None"}};
constexpr ValueName kRange[] = {{0, "Range"}};
constexpr ValueName kHardCopy[] = {{0, "Direct"}, {1, "Memory"}};
constexpr ValueName kShowCell[] = {{0, "Formula"}, {1, "Value"}};
constexpr ValueName kMove[] = {{0, "Lower"}, {1, "Right"}};
constexpr ValueName kInputMode[] = {{0, "Math"}, {1, "Linear"}};
constexpr ValueName kNormHigh[] = {{0, "Norm"}, {1, "High"}};
constexpr ValueName kSketchLine[] = {{0, "Norm"}, {1, "Thick"}, {2, "Broken"}, {3, "Dot"}};
constexpr ValueName kFraction[] = {{1, "ab/c"}, {0, "d/c"}};

// The listed items. The labels are English; a message lookup can take over
// SetupLabel without touching the rest.
struct SetupItemText {
  uint8_t item;
  const char* label;
  ValueForm form;
  std::span<const ValueName> names;
  const char* prefix = nullptr;
};

constexpr SetupItemText kItemTexts[] = {
    {19, "Angle", ValueForm::kNamed, kAngle},
    {23, "Mode", ValueForm::kNamed, kBaseMode},
    {24, "Func Type", ValueForm::kNamed, kFuncType},
    {25, "Draw Type", ValueForm::kNamed, kDrawType},
    {26, "Derivative", ValueForm::kNamed, kOnOff},
    {27, "Coord", ValueForm::kNamed, kOnOff},
    {28, "Grid", ValueForm::kNamed, kOnOff},
    {29, "Axes", ValueForm::kNamed, kOnOff},
    {30, "Label", ValueForm::kNamed, kOnOff},
    {31, "Cursor Form", ValueForm::kPlusOne, {}},
    {32, "Stat Wind", ValueForm::kNamed, kStatWind},
    {33, "Graph Func", ValueForm::kNamed, kOnOff},
    {34, "Dual Screen", ValueForm::kNamed, kDualScreen},
    {35, "Simul Graph", ValueForm::kNamed, kOnOff},
    {36, "Dynamic Type", ValueForm::kNamed, kDynamicType},
    {37,
     "\xE5\x51"
     " Display",
     ValueForm::kNamed, kOnOff},  // sigma
    {38, "Slope", ValueForm::kNamed, kOnOff},
    {39, "Payment", ValueForm::kNamed, kPayment},
    {40, "Date Mode", ValueForm::kNamed, kDateMode},
    {41, "Answer Type", ValueForm::kNamed, kAnswerType},
    {42, "Complex Mode", ValueForm::kNamed, kComplexMode},
    {43, "Display", ValueForm::kDisplay, kDisplayForms},
    {44, "Background", ValueForm::kNumbered, kNone, "Pict"},
    {45, "Resid List", ValueForm::kNumbered, kNone, "List"},
    {46, "List File", ValueForm::kPrefixed, {}, "File"},
    {47, "Variable", ValueForm::kNumbered, kRange, "List"},
    {49, "Dual Screen", ValueForm::kNamed, kDualScreen2},
    {66, "H-Copy", ValueForm::kNamed, kHardCopy},
    {78, "Auto Calc", ValueForm::kNamed, kOnOff},
    {79, "Show Cell", ValueForm::kNamed, kShowCell},
    {80, "Move", ValueForm::kNamed, kMove},
    {81, "Sub Name", ValueForm::kNamed, kOnOff},
    {83, "Input Mode", ValueForm::kNamed, kInputMode},
    {84, "Locus", ValueForm::kNamed, kOnOff},
    {85, "Y=Draw Speed", ValueForm::kNamed, kNormHigh},
    {86, "Sketch Line", ValueForm::kNamed, kSketchLine},
    {87, "Frac Result", ValueForm::kFraction, kFraction},
};

const SetupItemText* FindItem(int item) {
  for (const SetupItemText& t : kItemTexts)
    if (t.item == item) return &t;
  return nullptr;
}

const char* NameOf(std::span<const ValueName> names, unsigned code) {
  for (const ValueName& n : names)
    if (n.code == code) return n.text;
  return nullptr;
}

void Copy(char out[kSetupValueTextBytes], const char* text) {
  std::snprintf(out, kSetupValueTextBytes, "%s", text ? text : "");
}

// Calculator code (lead byte + second byte) for the list's scroll marks.
constexpr uint16_t kScrollUpMark = 0xE692;
constexpr uint16_t kScrollDownMark = 0xE693;
constexpr int kLabelLastColumn = 12;
constexpr int kColonColumn = 13;
constexpr int kValueColumn = 14;
constexpr int kValueLastColumn = 20;
constexpr int kMarkColumn = 21;
constexpr int kListLines = 7;

}  // namespace

uint8_t GetSetupItem(int item) {
  return item >= 0 && item < kSetupBytes ? gSetup[item] : 0;
}

void SetSetupItem(int item, uint8_t value) {
  if (item >= 0 && item < kSetupBytes) gSetup[item] = value;
}

uint8_t* SetupItemAddress(int item) {
  return item >= 0 && item < kSetupBytes ? &gSetup[item] : nullptr;
}

uint8_t SetupDefault(int item) {
  if (item < 0 || item >= kSetupDefaultedItems) return 0;
  for (const DefaultRun& run : kDefaults)
    if (item >= run.first && item <= run.last) return run.value;
  return 0;
}

void ResetSetupItem(int item) {
  if (item >= 0 && item < kSetupDefaultedItems) SetSetupItem(item, SetupDefault(item));
}

void ResetSetup() {
  for (int item = 0; item < kSetupDefaultedItems; ++item) ResetSetupItem(item);
}

const char* SetupLabel(int item) {
  const SetupItemText* t = FindItem(item);
  return t ? t->label : nullptr;
}

void SetupValueText(int item, uint8_t value, char out[kSetupValueTextBytes]) {
  out[0] = 0;
  const SetupItemText* t = FindItem(item);
  if (!t) return;
  switch (t->form) {
    case ValueForm::kNamed:
      Copy(out, NameOf(t->names, value));
      break;
    case ValueForm::kPlusOne:
      std::snprintf(out, kSetupValueTextBytes, "%d", value + 1);
      break;
    case ValueForm::kDisplay: {
      const unsigned form = value & 0x70, digits = value & 0x0F;
      const char* name = NameOf(t->names, form);
      if (!name) return;
      if (form >= 0x20)
        std::snprintf(out, kSetupValueTextBytes, "%s%u", name, digits);
      else
        Copy(out, name);
      break;
    }
    case ValueForm::kNumbered:
      if (value == 0)
        Copy(out, NameOf(t->names, 0));
      else
        std::snprintf(out, kSetupValueTextBytes, "%s%d", t->prefix, value);
      break;
    case ValueForm::kPrefixed:
      std::snprintf(out, kSetupValueTextBytes, "%s%d", t->prefix, value);
      break;
    case ValueForm::kFraction:
      Copy(out, NameOf(t->names, value == 1 ? 1 : 0));
      break;
  }
}

void ShowSetupList(const uint8_t* items, int lastIndex, int firstShown, int selected) {
  for (int line = 1; line <= kListLines; ++line) {
    const int index = firstShown + line - 1;
    Locate(1, line);
    if (!items || index < 0 || index > lastIndex) {
      PrintPadded("", kMarkColumn);
      continue;
    }
    const bool reverse = index == selected;
    auto print = reverse ? PrintRevPadded : PrintPadded;
    const char* label = SetupLabel(items[index]);
    print(label ? label : "", kLabelLastColumn);
    Locate(kColonColumn, line);
    print(":", kColonColumn);
    char value[kSetupValueTextBytes];
    SetupValueText(items[index], GetSetupItem(items[index]), value);
    Locate(kValueColumn, line);
    print(value, kValueLastColumn);
    uint16_t mark = 0;
    if (line == 1 && firstShown > 0) mark = kScrollUpMark;
    if (line == kListLines && lastIndex > index) mark = kScrollDownMark;
    char markText[3] = " ";
    if (mark) EncodeCharCode(mark, markText);
    Locate(kMarkColumn, line);
    print(markText, kMarkColumn);
  }
}
