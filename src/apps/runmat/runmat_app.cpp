#include "apps/runmat/runmat_app.h"

#include <cstring>
#include <string>
#include <vector>

#include "apps/runmat/runmat_editor.h"
#include "apps/runmat/runmat_menus.h"
#include "apps/runmat/runmat_replay.h"
#include "host/services/host_services.h"
#include "math/bcd_text.h"
#include "math/functions.h"
#include "math/interp.h"
#include "math/interp_graph.h"
#include "math/token.h"
#include "memory/mem_app.h"
#include "os/clip_buffer.h"
#include "os/draw.h"
#include "os/getkey.h"
#include "os/key_matrix.h"
#include "os/menu.h"
#include "os/popup.h"
#include "os/setup.h"
#include "os/text.h"

namespace {

// The screen's state while the application runs.
struct RunMat {
  LineEditor line;
  TextScreen screen;
  BcdNumber result[2] = {};
  int resultLines = 0;       // screen lines the shown result takes
  bool resultShown = false;  // the last line ran and nothing new is typed yet
  int recall = 0;            // how far back up/down has gone in "REPLAY"
  bool selecting = false;    // CLIP marks from `anchor` to the cursor
  uint32_t anchor = 0;
};
RunMat gRun;

bool Overwrite() {
  return GetSetupItem(kSetupInsertMode) == kInsertOverwrite;
}

// ---- Drawing -----------------------------------------------------------------------

void PrintCell(int column, int line, uint16_t code, bool reverse) {
  char s[3];
  EncodeCharCode(code, s);
  PrintXY((column - 1) * kCellWidth, (line - 1) * kCellHeight, s, reverse ? kPrintReverse : 0);
}

// The screen's text with a line being edited below it (or none): the last
// seven rows, moved up far enough to show the cursor.
void Draw(const LineEditor* edit) {
  std::vector<EditorRow> rows;
  for (int l = 1; l <= gRun.screen.line; ++l) {
    EditorRow row;
    std::memcpy(row.cells, gRun.screen.cells[l - 1], sizeof row.cells);
    std::memset(row.selected, 0, sizeof row.selected);
    rows.push_back(row);
  }
  int cursorRow = -1, cursorColumn = 0;
  if (edit) {
    uint32_t from = gRun.anchor < edit->cursor ? gRun.anchor : edit->cursor;
    uint32_t to = gRun.anchor < edit->cursor ? edit->cursor : gRun.anchor;
    EditorLayout layout = gRun.selecting && edit == &gRun.line ? EditorLayoutOf(*edit, from, to)
                                                               : EditorLayoutOf(*edit);
    cursorRow = int(rows.size()) + layout.cursorRow;
    cursorColumn = layout.cursorColumn;
    rows.insert(rows.end(), layout.rows.begin(), layout.rows.end());
  }
  int first = int(rows.size()) > kScreenLines ? int(rows.size()) - kScreenLines : 0;
  if (cursorRow >= 0 && cursorRow < first) first = cursorRow;
  ClearArea(0, 0, 127, kScreenLines * kCellHeight - 1);
  for (int i = 0; i < kScreenLines && first + i < int(rows.size()); ++i) {
    const EditorRow& row = rows[size_t(first + i)];
    for (int c = 0; c < kScreenColumns; ++c) {
      if (row.cells[c] != ' ' || row.selected[c])
        PrintCell(c + 1, i + 1, row.cells[c], row.selected[c]);
    }
  }
  if (cursorRow >= 0 && cursorRow - first < kScreenLines) {
    Locate(cursorColumn + 1, cursorRow - first + 1);
    RefreshCursorShape();
  } else {
    HideCursor();
  }
}

// Rows of a line into the screen's text, as the history keeps them.
void Commit(const LineEditor& edit) {
  EditorLayout layout = EditorLayoutOf(edit);
  for (const EditorRow& row : layout.rows) {
    int l = ScreenNextLine(&gRun.screen);
    std::memcpy(gRun.screen.cells[l - 1], row.cells, sizeof row.cells);
  }
}

// ---- The runner's screen -------------------------------------------------------------

// The graph side's screen hook, while a line runs, and whether the graph is
// what the display shows: then waits leave it standing, without the bar.
InterpScreenHook gGraphHook = nullptr;
bool gGraphShown = false;

void TrackScreen(InterpScreen screen) {
  gGraphShown = screen == InterpScreen::kGraph;
  if (gGraphHook) gGraphHook(screen);
}

// One key with the graph on screen; it brings the text screen back.
uint32_t KeyOverGraph() {
  int bar = MenuBarDisplay();
  SetMenuBarDisplay(0);
  uint32_t code = 0;
  GetKey(&code);
  SetMenuBarDisplay(bar);
  return code;
}

// A print on the text screen brings the text screen back.
void ShowRun(void*) {
  gGraphShown = false;
  // A running program owns all seven lines: Locate writes below the output
  // line, and its text must show while the program runs.
  ClearArea(0, 0, 127, kScreenLines * kCellHeight - 1);
  for (int l = 1; l <= kScreenLines; ++l)
    for (int c = 0; c < kScreenColumns; ++c)
      if (gRun.screen.cells[l - 1][c] != ' ') PrintCell(c + 1, l, gRun.screen.cells[l - 1][c], false);
  HideCursor();
  PutDisplay();
}

int WaitExe(void*) {
  for (;;) {
    if (gGraphShown) {
      uint32_t code = KeyOverGraph();
      if (code == kKeyExe) break;
      if (code == kKeyAc) return kBcdErrBreak;
      continue;
    }
    Draw(nullptr);
    uint32_t code;
    if (GetKey(&code)) continue;
    if (code == kKeyExe) break;
    if (code == kKeyAc) return kBcdErrBreak;
  }
  ArmBreak();
  return 0;
}

int Insert(LineEditor* edit, uint16_t token) {
  int error = EditorInsert(edit, token, Overwrite());
  if (error) ErrorBox(error);
  return error;
}

// The answer of "?": typed on the line under the prompt.
int ReadInput(void*, std::string* tokens) {
  LineEditor answer;
  int result = 0;
  for (;;) {
    Draw(&answer);
    uint32_t code;
    if (GetKey(&code)) {
      if (code) Insert(&answer, uint16_t(code));
      continue;
    }
    if (code == kKeyExe) {
      *tokens = EditorTokens(answer);
      Commit(answer);
      break;
    }
    if (code == kKeyAc) {
      result = kBcdErrBreak;
      break;
    }
    if (code == kKeyDel) EditorDelete(&answer, !Overwrite());
    if (code == kKeyLeft) EditorLeft(&answer);
    if (code == kKeyRight) EditorRight(&answer);
  }
  EditorFree(&answer);
  ArmBreak();
  return result;
}

// ---- Running a line ---------------------------------------------------------------------

void ShowResult(const InterpResult& r) {
  gRun.resultLines = InterpShowResult(&gRun.screen, r);
  std::memcpy(gRun.result, r.value, sizeof gRun.result);
  gRun.resultShown = !r.shown || r.display == kShowValue;
}

void RunTheLine() {
  std::string tokens = EditorTokens(gRun.line);
  if (tokens.empty()) {
    // EXE on an empty line after a result runs the previous line again.
    if (!gRun.resultShown || !ReplayEntry(0, &tokens)) return;
    if (int error = EditorSet(&gRun.line, tokens)) return (void)ErrorBox(error);
  }
  if (ReplayAppend(reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size())) {
    ErrorBox(kBcdErrMemory);
    return;
  }
  while (EditorRight(&gRun.line)) {
  }
  TextScreen before = gRun.screen;
  Commit(gRun.line);
  HideCursor();
  InterpKeepEngineeringShift(BcdDisplay{});  // a new result starts unshifted
  std::string run = tokens;
  run.append(2, '\0');
  InterpIo io;
  io.screen = &gRun.screen;
  io.show = ShowRun;
  io.waitExe = WaitExe;
  io.readInput = ReadInput;
  InterpResult r;
  gGraphHook = InterpGetScreenHook();
  gGraphShown = false;
  if (gGraphHook) InterpSetScreenHook(TrackScreen);
  ArmBreak();
  ProgramKeyForget();
  int ok = InterpRun(reinterpret_cast<const uint8_t*>(run.data()), kInterpModeLine, &r, io);
  DisarmBreak();
  if (gGraphHook) InterpSetScreenHook(gGraphHook);
  gRun.recall = 0;
  if (!ok) {
    // The line comes back for correcting, the cursor on the failing token.
    gRun.screen = before;
    gRun.resultShown = false;
    Draw(nullptr);
    ErrorBox(r.error);
    uint32_t at = r.stop ? uint32_t(r.stop - reinterpret_cast<const uint8_t*>(run.data())) : 0;
    EditorHome(&gRun.line);
    while (gRun.line.cursor < at && EditorRight(&gRun.line)) {
    }
    return;
  }
  ShowResult(r);
  EditorClear(&gRun.line);
  // A run that ends on the graph leaves it up until a key is pressed.
  if (gGraphShown) KeyOverGraph();
  gGraphShown = false;
}

// ---- The shown result --------------------------------------------------------------------

// Re-shows the result in place of the lines it took and keeps it in Ans.
void ReShow(const BcdNumber value[2], bool storeAns) {
  std::memcpy(gRun.result, value, sizeof gRun.result);
  if (storeAns) {
    uint8_t record[kMemAlphaRecord] = {};
    std::memcpy(record, value, BcdIsComplex(&value[0]) ? kMemAlphaRecord : sizeof(BcdNumber));
    MemSetVariable(0xC0, record);
  }
  gRun.screen.line -= gRun.resultLines < gRun.screen.line ? gRun.resultLines : gRun.screen.line;
  InterpResult r;
  r.display = kShowValue;
  std::memcpy(r.value, value, sizeof r.value);
  gRun.resultLines = InterpShowResult(&gRun.screen, r);
}

bool RealResult(BcdNumber* x) {
  *x = gRun.result[0];
  return BcdKind(x) == kBcdKindScalar && !BcdIsComplex(x) && !BcdErrorCode(x);
}

void FractionOrDecimal() {
  BcdNumber x, v[2] = {};
  if (!RealResult(&x)) return;
  if (BcdIsFraction(&x)) {
    BcdFractionToDecimal(&x, &v[0]);
  } else {
    int64_t p, q;
    if (!FnDecimalToFraction(&x, &p, &q) || q == 1) return;
    BcdNumber num, den;
    BcdFromInt(&num, p);
    BcdFromInt(&den, q);
    if (BcdFractionBuild(nullptr, &num, &den, &v[0]) != 1 || !BcdIsFraction(&v[0])) return;
    BcdFractionForm(&v[0], GetSetupItem(kSetupFracResult) == kFracResultMixed, &v[0]);
  }
  ReShow(v, true);
}

void MixedOrImproper() {
  BcdNumber x, v[2] = {};
  if (!RealResult(&x) || !BcdIsFraction(&x)) return;
  // Two separators in the record: the mixed form, which becomes improper.
  int separators = 0;
  for (int i = 3; i <= 3 + (x.bytes[1] >> 4); ++i) {
    int nib = (i & 1) ? (x.bytes[i / 2] & 15) : (x.bytes[i / 2] >> 4);
    separators += nib == 0xA;
  }
  if (!BcdFractionForm(&x, separators == 1, &v[0])) return;
  if (std::memcmp(&v[0], &x, sizeof x) == 0) return;  // a proper fraction has one form
  ReShow(v, true);
}

void EngineeringShift(bool up) {
  BcdDisplay d = InterpDisplaySettings();
  if (!BcdEngShift(gRun.result, up, &d)) return;
  InterpKeepEngineeringShift(d);
  BcdNumber v[2];
  std::memcpy(v, gRun.result, sizeof v);
  ReShow(v, false);
}

// ---- CLIP and paste ----------------------------------------------------------------------

// COPY and CUT: the marked tokens go to the clipboard item and to the OS's
// clip buffer, which the host hands to the PC.
void CopySelection(bool cut) {
  uint32_t from = gRun.anchor < gRun.line.cursor ? gRun.anchor : gRun.line.cursor;
  uint32_t to = gRun.anchor < gRun.line.cursor ? gRun.line.cursor : gRun.anchor;
  std::string tokens = EditorTokens(gRun.line).substr(from, to - from);
  gRun.selecting = false;
  std::string item = tokens;
  item.append(2, '\0');
  MemDelete(MemInFolder(kRunMatFolder), kClipItem);
  if (MemCreateIn(kRunMatFolder, kClipItem, uint32_t(item.size()), item.data()) != kMemOk) {
    ErrorBox(kBcdErrMemory);
    return;
  }
  ClipBufferSet(reinterpret_cast<const uint8_t*>(tokens.data()), tokens.size());
  if (cut) EditorErase(&gRun.line, from, to);
}

// Paste: the clip buffer (a copy, or text pasted from the PC) at the cursor.
void Paste() {
  if (int error = EditorInsertTokens(&gRun.line, ClipBufferGet())) ErrorBox(error);
}

// ---- Keys ---------------------------------------------------------------------------------

void Clear() {
  ScreenClear(&gRun.screen);
  EditorClear(&gRun.line);
  gRun.resultShown = false;
  gRun.resultLines = 0;
  gRun.recall = 0;
  gRun.selecting = false;
}

// An operator typed right after a result works on it: Ans goes first.
bool TakesAnsFirst(uint32_t code) {
  switch (code) {
    case 0x89:  // +
    case 0x99:  // -
    case 0xA9:  // ×
    case 0xB9:  // ÷
    case 0xA8:  // ^
    case 0x8B:  // ²
    case 0x9B:  // ⁻¹
    case 0x0E:  // →
      return true;
    default:
      return false;
  }
}

void TypeToken(uint32_t code) {
  if (gRun.resultShown && gRun.line.size == 0 && TakesAnsFirst(code)) {
    if (Insert(&gRun.line, 0xC0)) return;
  }
  gRun.resultShown = false;
  Insert(&gRun.line, uint16_t(code));
}

void Recall(int step) {
  int count = ReplayCount();
  int want = gRun.recall + step;
  if (want < 0 || want > count) return;
  gRun.recall = want;
  std::string tokens;
  if (want == 0 || !ReplayEntry(count - want + 1, &tokens)) tokens.clear();
  if (int error = EditorSet(&gRun.line, tokens)) ErrorBox(error);
  gRun.resultShown = false;
}

void ControlKey(uint32_t code) {
  bool result = gRun.resultShown && gRun.line.size == 0;
  switch (code) {
    case kKeyExe:
      RunTheLine();
      return;
    case kKeyAc:
      Clear();
      return;
    case kKeyDel:
      EditorDelete(&gRun.line, !Overwrite());
      return;
    case kKeyLeft:
    case kKeyRight:
      // Right after a result the arrows bring the line back for editing.
      if (result) {
        Recall(1);
        if (code == kKeyRight) EditorHome(&gRun.line);
        return;
      }
      if (code == kKeyLeft ? !EditorLeft(&gRun.line) : !EditorRight(&gRun.line)) {
        if (code == kKeyLeft)
          EditorEnd(&gRun.line);
        else
          EditorHome(&gRun.line);
      }
      return;
    case kKeyUp:
      Recall(1);
      return;
    case kKeyDown:
      Recall(-1);
      return;
    case kKeyLineStart:
      EditorHome(&gRun.line);
      return;
    case kKeyLineEnd:
      EditorEnd(&gRun.line);
      return;
    case kKeySetup:
      RunMatSetupScreen(&gRun.line);
      return;
    case kKeyFractionDecimal:
      if (result) FractionOrDecimal();
      return;
    case kKeyMixedImproper:
      if (result) MixedOrImproper();
      return;
    case kKeyEngUp:
    case kKeyEngDown:
      if (result) EngineeringShift(code == kKeyEngUp);
      return;
    case kKeyEngGraph:
      if (result && InterpGetScreenHook()) InterpGetScreenHook()(InterpScreen::kGraph);
      return;
    case kKeyClip:
      if (GetShiftState() == kShiftClip) {
        gRun.selecting = true;
        gRun.anchor = gRun.line.cursor;
      }
      return;
    case kKeyClipLeft:
      EditorLeft(&gRun.line);
      return;
    case kKeyClipRight:
      EditorRight(&gRun.line);
      return;
    case kKeyClipUp:
      EditorHome(&gRun.line);
      return;
    case kKeyClipDown:
      EditorEnd(&gRun.line);
      return;
    case kKeyCopy:
    case kKeyCut:
      if (gRun.selecting) CopySelection(code == kKeyCut);
      return;
    case kKeyPaste:
      gRun.resultShown = false;
      Paste();
      return;
    default:
      return;
  }
}

}  // namespace

std::string RunMatLine() {
  return EditorTokens(gRun.line);
}

void RunMatTypeToken(uint16_t token) {
  TypeToken(token);
}

void RunMatAppEntry(int, uint16_t) {
  gRun = RunMat{};
  ScreenClear(&gRun.screen);
  RunMatRegisterMenus();
  RunMatShowBaseBar();
  for (;;) {
    Draw(&gRun.line);
    uint32_t code = 0;
    int isChar = GetKey(&code);
    if (GetShiftState() != kShiftClip && code != kKeyCopy && code != kKeyCut)
      gRun.selecting = false;
    if (isChar) {
      if (code) TypeToken(code);
    } else {
      ControlKey(code);
    }
  }
}
