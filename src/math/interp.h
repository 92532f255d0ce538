// The program interpreter: runs a token string statement by statement, a
// line typed on the computation screen as well as a stored program. Each
// statement's first token chooses its handler by its statement class;
// expressions go to the evaluator. Open If, For, Do and While blocks are kept
// per running program level in 40-byte cells from the OS heap; Prog runs a
// program of main memory in a new level (at most 10).
//
// What the run prints goes into a text screen of 7 lines (interp_screen.h);
// the caller says how to show it, how to wait at a display stop and how to
// read the answer of an input statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "math/bcd.h"
#include "math/bcd_text.h"
#include "math/interp_screen.h"

// ---- Statement classes -----------------------------------------------------------
enum : int {
  kClassInvalid = 0,
  kClassSetting = 1,
  kClassExpression = 2,
  kClassGraph = 3,
  kClassList = 4,
  kClassEmptyLine = 11,
  kClassColon = 12,
  kClassDisplayStop = 13,
  kClassArrow = 14,
  kClassInput = 15,
  kClassMatrixCommand = 16,
  kClassIf = 21,
  kClassFor = 22,
  kClassDo = 23,
  kClassWhile = 24,
  kClassBreak = 25,
  kClassProg = 26,
  kClassReturn = 27,
  kClassLabel = 29,
  kClassCount = 31,  // Dsz, Isz
  kClassStop = 50,
  kClassString = 51,
  kClassComment = 52,
  kClassLocate = 53,
  kClassClear = 54,
  kClassRnd = 55,
  kClassSend = 56,
  kClassReceive = 57,
  kClassComport = 58,
  kClassRecallCapture = 59,
  kClassEnd = 99,
};

// The statement class of a token code (pages one-byte, 0x7F, 0xF7, 0xF9;
// every other code is kClassInvalid).
int InterpStatementClass(uint16_t code);
// Setting-class codes that the graph side runs (ViewWindow, Factor, styles,
// graph types, the on/off switches).
bool InterpIsGraphSetting(uint16_t code);

// ---- Display types -----------------------------------------------------------------
enum : int {
  kShowValue = 0,
  kShowDone = 1,
  kShowText = 2,
  kShowMatrix = 3,
  kShowList = 4,
  kShowGraph = 5,
  kShowCapture = 7,
  kShowFunctionTable = 8,
  kShowRecursionTable = 9,
};

// How a value asks to be shown: a conversion token at the end of its
// expression (►Dec ... ►r∠θ), or 0 for the current settings.
enum : int {
  kFormAsIs = 0,
  kFormDec = 1,
  kFormHex = 2,
  kFormBin = 3,
  kFormOct = 4,
  kFormDms = 5,
  kFormRectangular = 6,
  kFormPolar = 7,
};

// ---- Running -------------------------------------------------------------------------
// What a run asks of the screen it runs on. Every function may be null: no
// display stop waits, and an input without a reader is a break.
struct InterpIo {
  void* user = nullptr;
  TextScreen* screen = nullptr;  // where the run prints; null prints nowhere
  // The screen changed (a print, Locate, ClrText): show it.
  void (*show)(void* user) = nullptr;
  // At a display stop, after "- Disp -" is on the screen: wait for EXE.
  // Returns 0 to go on or an error code (1 when AC ends the run).
  int (*waitExe)(void* user) = nullptr;
  // An input statement: the prompt is on the screen; reads the answer as a
  // token string. Returns 0, or an error code (1 when AC ends the run).
  int (*readInput)(void* user, std::string* tokens) = nullptr;
};

inline constexpr int kInterpModeProgram = 0;  // the Prog statement at the cursor
inline constexpr int kInterpModeLine = 1;     // the line at the cursor

struct InterpResult {
  int error = 0;                  // 0, or the error code the run ended with
  const uint8_t* stop = nullptr;  // in the run's own tokens: where it ended or failed
  int display = kShowDone;        // what the end of the run shows
  int form = kFormAsIs;
  bool shown = false;       // the run ended right after a display stop
  BcdNumber value[2] = {};  // the last value (a list or matrix as its answer item)
  // A failure inside a called program: its name and the offset of the
  // failing token in it (stop then points at the outermost Prog statement).
  char program[9] = {};
  uint32_t programOffset = 0;
};

// Runs the zero-ended token string. Returns 1 when the line or program ended
// normally (also at Stop), 0 on an error (result->error, result->stop).
int InterpRun(const uint8_t* tokens, int mode, InterpResult* result, const InterpIo& io);

// The display settings of the setup record (Norm/Fix/Sci, complex mode,
// Base-N, angle, the engineering shift state), with the form of a conversion
// token applied; and the engineering shift state written back after a shift.
BcdDisplay InterpDisplaySettings(int form = kFormAsIs);
void InterpKeepEngineeringShift(const BcdDisplay& display);

// The value in the text a result line shows (Norm/Fix/Sci, complex mode,
// Base-N, the engineering state), with a form from a conversion token. The
// text may hold a 0x0D between the parts of a long complex value.
void InterpFormatValue(const BcdNumber value[2], int form, char* out, size_t size);

// ---- Programs in main memory ------------------------------------------------------------
// A program item: a 10-byte header (a password of up to 8 bytes, the Base-N
// flag, a spare byte), then the zero-ended token string.
inline constexpr uint32_t kProgramHeader = 10;
inline constexpr size_t kProgramNameBytes = 8;

// Creates or replaces the program. Returns 0, or error code 4 when main
// memory cannot hold it, 2 for an empty or too long name.
int InterpStoreProgram(const char* name, const uint8_t* tokens, size_t length);
// The program's token string (without the header) or false when there is
// none by that name.
bool InterpReadProgram(const char* name, std::string* tokens);

// A list as {a,b,...} or a matrix as [[a,b][c,d]], each element written by
// `element`; "ERROR" for a reference that does not open.
std::string InterpArrayText(const BcdNumber* ref,
                            const std::function<std::string(const BcdNumber element[2])>& element);

// What the screen shows when a run has ended well: the value right aligned
// (a long complex value on two lines), a list or matrix written out, or "Done"; nothing when the
// run ended at a display stop that showed it. Returns the number of lines printed.
int InterpShowResult(TextScreen* screen, const InterpResult& result);
