// Framed pop-up windows, the error box every application raises with an
// error code, and message boxes. Pop-ups are modal: they read keys through
// GetKey until they are closed.
#pragma once

#include <cstdint>

// Message numbers the pop-ups print (texts in data/messages/messages.txt).
inline constexpr int kMsgPressExit = 1;
inline constexpr int kMsgStoreIn = 4;
inline constexpr int kMsgUndefinition = 58;
inline constexpr int kMsgUndefinedError = 59;
inline constexpr int kMsgErrorNumber = 60;
inline constexpr int kMsgFunctionMenu = 61;
inline constexpr int kMsgBaseFuncMenu = 62;
inline constexpr int kMsgStackOverflow = 63;

inline constexpr int kPopUpKinds = 6;

// The dot rows of a window kind's frame; false for a kind outside 1..6.
bool PopUpRows(int kind, int* top, int* bottom);
// The text lines (1-based) a kind's messages use.
int PopUpFirstLine(int kind);
int PopUpLastLine(int kind);

// Draws the empty framed window of the kind (with its shadow).
void PopUp(int kind);
// Saves the screen in the kind's slot and switches function-key menus off
// while the window is open; CloseWindow puts both back and lets the cursor
// show again where it was.
void OpenWindow(int kind);
void CloseWindow(int kind);
// The MenuSuspend bits a window kind sets.
uint8_t WindowSuspendBits(int kind);

// The error box of an error code (nothing for 0); waits for EXIT, AC, left,
// right or QUIT and returns the code that closed it (0 for code 0).
uint32_t ErrorBox(int code);
// A pop-up of the kind with the text (0xF9CA 0xF9CD break its lines), closed
// like the error box.
uint32_t MessageBox(int kind, const char* text);
// Blanks columns 3..19 of the kind's text lines and redraws the frame.
void ClearPopUpLines(int kind);

// The message numbers of an error code's lines (three, or four for code 27);
// returns how many, 0 for a code outside 1..46.
int ErrorMessageLines(int code, int numbers[4]);
