#include "host/qt/settings.h"

#include <QSettings>

namespace {

// The settings section every value of ours lives in.
struct Section : QSettings {
  Section() : QSettings("ORVEX", "vk2280 emulator") { beginGroup("QM417"); }
};

int ReadInt(QSettings& s, const char* key, int fallback, bool* found = nullptr) {
  QVariant v = s.value(key);
  bool ok = false;
  int value = v.isValid() ? v.toInt(&ok) : 0;
  if (found) *found = ok;
  return ok ? value : fallback;
}

}  // namespace

FrameSettings LoadFrameSettings() {
  Section s;
  FrameSettings out;
  bool hasLeft = false, hasTop = false;
  out.left = ReadInt(s, "POS_LEFT", 0, &hasLeft);
  out.top = ReadInt(s, "POS_TOP", 0, &hasTop);
  out.hasPosition = hasLeft || hasTop;
  // Negative positions are pulled back to 0; nothing else is clamped.
  if (out.left < 0) out.left = 0;
  if (out.top < 0) out.top = 0;
  return out;
}

void SaveFramePosition(int left, int top) {
  Section s;
  s.setValue("POS_TOP", top);
  s.setValue("POS_LEFT", left);
}

ViewSettings LoadViewSettings() {
  Section s;
  ViewSettings out;
  out.lcdDisp = ReadInt(s, "LCDDISP", 0) != 0;
  out.dispZoom = ReadInt(s, "DISPZOOM", 2);
  if (out.dispZoom < 2 || out.dispZoom > 6) out.dispZoom = 2;
  out.capFolder = s.value("CAPFOLDER", QString()).toString();
  out.capFile = ReadInt(s, "CAPFILE", 1) != 0;
  out.capsLock = ReadInt(s, "CAPSLOCK", 1) != 0;
  out.keyTable = s.value("KEYTABLE", QString()).toString();
  return out;
}

void SaveViewSettings(const ViewSettings& v) {
  Section s;
  s.setValue("LCDDISP", v.lcdDisp ? 1 : 0);
  s.setValue("DISPZOOM", v.dispZoom);
  s.setValue("CAPFOLDER", v.capFolder);
  s.setValue("CAPFILE", v.capFile ? 1 : 0);
  s.setValue("CAPSLOCK", v.capsLock ? 1 : 0);
  s.setValue("KEYTABLE", v.keyTable);
}
