// Screen captures and the clipboard's text, as every front end offers them.
// Qt-free: the front end puts the results on its clipboard and keeps itself
// alive while a copy waits for the calculator.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/services/host_services.h"

// The screen as captures and checkpoints take it: the OS's Vram (1 = dark),
// read once the OS waits for a key (waiting up to quietWaitMs for that); the
// LCD image when no Vram can be read.
void CaptureScreenPlane(uint8_t plane[kLcdBytes], int quietWaitMs = 200);
// Writes the screen bitmap; false when the file cannot be created (callers
// skip that silently).
bool CaptureScreenToFile(const std::string& path);
// Folder mode: writes the next "Disp%05d.bmp" of the folder and returns its
// path, or "" when it could not be written.
std::string CaptureScreenToFolder(const std::string& folder);

// ---- Clip text ------------------------------------------------------------------
inline constexpr uint16_t kCalcKeyCopy = 30035;
inline constexpr uint16_t kCalcKeyPaste = 30036;

// Copy needs the calculator in CLIP with no replay running; paste only no
// replay.
bool CanCopyClipText();
bool CanPasteText();
// Pushes the calculator's copy key, waits until the OS has taken it and
// filled its clip buffer, and returns the clip text as UTF-8 ("" when there
// is none). `pause(ms)` lets the front end go on handling its events while
// it waits: the OS thread may need them.
std::string CopyClipText(const std::function<void(int)>& pause);
// Puts the text into the clip buffer and pushes the calculator's paste key;
// the OS inserts it where the calculator would paste. Characters the
// calculator does not have are left out and go to *dropped. False when a
// replay runs.
bool PasteText(const std::string& utf8, std::string* dropped = nullptr);
