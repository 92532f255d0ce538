// The emulator's settings: company "ORVEX", application "vk2280 emulator",
// section "QM417". A value that is missing or unreadable gives its default.
#pragma once

#include <QString>

struct FrameSettings {
  bool hasPosition = false;
  int left = 0;
  int top = 0;
};

struct ViewSettings {
  bool lcdDisp = false;  // "LCDDISP"
  int dispZoom = 2;      // "DISPZOOM", 2-6
  QString capFolder;     // "CAPFOLDER"
  bool capFile = true;   // "CAPFILE"
  bool capsLock = true;  // "CAPSLOCK"
  QString keyTable;      // "KEYTABLE"
};

FrameSettings LoadFrameSettings();
void SaveFramePosition(int left, int top);
ViewSettings LoadViewSettings();
void SaveViewSettings(const ViewSettings& settings);
