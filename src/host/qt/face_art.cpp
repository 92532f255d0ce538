#include "host/qt/face_art.h"

#include <cstring>

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "host/services/host_services.h"
#include "host/services/key_tables.h"

namespace {

// What is printed above each key: the SHIFT function on the left in the
// SHIFT colour, the ALPHA letter on the right in the ALPHA colour. This is
// artwork; what the keys do is the OS's key tables.
struct FaceLegend {
  uint16_t code;
  const char* shift;
  const char* alpha;
};

constexpr FaceLegend kFaceLegends[] = {
    {78, "", ""},          {68, "", ""},           {58, "PRGM", ""},     {48, "SET UP", ""},
    {77, "A-LOCK", ""},    {67, "\u221A", "r"},    {57, "\u02E3\u221A", "\u03B8"},
    {47, "QUIT", ""},      {76, "\u2220", "A"},    {66, "10\u02E3", "B"},
    {56, "e\u02E3", "C"},  {46, "sin\u207B\u00B9", "D"}, {36, "cos\u207B\u00B9", "E"},
    {26, "tan\u207B\u00B9", "F"}, {75, "d/c", "G"}, {65, "", "H"},       {55, "\u221B", "I"},
    {45, "x\u207B\u00B9", "J"},   {35, "", "K"},    {25, "", "L"},       {74, "CAPTURE", "M"},
    {64, "CLIP", "N"},     {54, "PASTE", "O"},     {44, "INS", ""},      {34, "OFF", ""},
    {73, "CATALOG", "P"},  {63, "", "Q"},          {53, "", "R"},        {43, "{", "S"},
    {33, "}", "T"},        {72, "List", "U"},      {62, "Mat", "V"},     {52, "", "W"},
    {42, "[", "X"},        {32, "]", "Y"},         {71, "i", "Z"},       {61, "=", "\u2423"},
    {51, "\u03C0", "\""},  {41, "Ans", ""},        {31, "\u21B5", ""},
};

const FaceLegend* LegendOf(uint16_t code) {
  for (const FaceLegend& l : kFaceLegends)
    if (l.code == code) return &l;
  return nullptr;
}

const QColor kBody(0x2B, 0x31, 0x3B);
const QColor kBodyEdge(0x14, 0x17, 0x1C);
const QColor kShiftInk(0xF2, 0xB1, 0x34);
const QColor kAlphaInk(0xF0, 0x5A, 0x5A);
const QColor kLcdLight(0xC9, 0xD3, 0xB6);
const QColor kLcdDark(0x1C, 0x24, 0x1E);

struct KeyStyle {
  QColor top, bottom, ink;
};

KeyStyle StyleOf(uint16_t code) {
  switch (code) {
    case 78: return {QColor(0xF4, 0xC0, 0x4A), QColor(0xC9, 0x93, 0x1E), Qt::black};  // SHIFT
    case 77: return {QColor(0xE8, 0x6A, 0x6A), QColor(0xB8, 0x3A, 0x3A), Qt::white};  // ALPHA
    case 44: case 34:  // DEL, AC/ON
      return {QColor(0xF2, 0x8C, 0x3C), QColor(0xC8, 0x62, 0x1A), Qt::white};
    case 31: return {QColor(0x5A, 0x8F, 0xD8), QColor(0x2E, 0x5F, 0xA8), Qt::white};  // EXE
    default: break;
  }
  int row = code / 10, unit = code % 10;
  bool numberPad = code < 80 && (unit <= 4) && row >= 3;  // digits and operators
  if (unit == 9) return {QColor(0xF0, 0xF0, 0xF0), QColor(0xC4, 0xC6, 0xCA), Qt::black};  // F-keys
  if (numberPad) return {QColor(0xE4, 0xE6, 0xEA), QColor(0xB4, 0xB8, 0xC0), Qt::black};
  return {QColor(0x4C, 0x54, 0x62), QColor(0x32, 0x38, 0x44), Qt::white};
}

void DrawKey(QPainter& p, const KeyRect& k) {
  QRectF r(k.left, k.top, k.right - k.left + 1, k.bottom - k.top + 1);
  KeyStyle style = StyleOf(k.code);
  // A shadow under the key: the pressed picture is the key moved 2 dots
  // right and down over it.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawRoundedRect(r.translated(2, 2), 5, 5);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, style.top);
  g.setColorAt(1, style.bottom);
  p.setBrush(g);
  p.setPen(QPen(QColor(0, 0, 0, 160), 1));
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);

  QFont font("DejaVu Sans");
  font.setPixelSize(k.bottom - k.top > 25 ? 15 : 11);
  font.setBold(true);
  if (std::strlen(k.legend) > 4) font.setPixelSize(9);
  p.setFont(font);
  p.setPen(style.ink);
  p.drawText(r, Qt::AlignCenter, QString::fromUtf8(k.legend));
}

void DrawLegends(QPainter& p, const KeyRect& k) {
  const FaceLegend* legend = LegendOf(k.code);
  if (!legend) return;
  QString shift = QString::fromUtf8(legend->shift), alpha = QString::fromUtf8(legend->alpha);
  int width = k.right - k.left + 1;
  // The SHIFT legend sits centred above the key, shrunk to fit between its
  // neighbours; the ALPHA letter sits in the key's lower right corner.
  QFont font("DejaVu Sans");
  font.setBold(true);
  for (int size = 9; size >= 6; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).horizontalAdvance(shift) <= width + 4) break;
  }
  p.setFont(font);
  p.setPen(kShiftInk);
  p.drawText(QRect(k.left - 2, k.top - 11, width + 4, 10), Qt::AlignCenter, shift);
  font.setPixelSize(8);
  p.setFont(font);
  p.setPen(kAlphaInk);
  p.drawText(QRect(k.left, k.top, width - 3, k.bottom - k.top), Qt::AlignRight | Qt::AlignBottom,
             alpha);
}

void DrawCursorPad(QPainter& p) {
  // The four arrows sit on one round pad (216, 318)-(310, 397).
  p.setPen(QPen(QColor(0, 0, 0, 160), 1));
  QLinearGradient g(QPointF(216, 318), QPointF(216, 397));
  g.setColorAt(0, QColor(0x5A, 0x63, 0x72));
  g.setColorAt(1, QColor(0x34, 0x3A, 0x46));
  p.setBrush(g);
  p.drawEllipse(QRectF(218.5, 320.5, 89, 74));
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  p.setFont(font);
  p.setPen(Qt::white);
  for (uint16_t code : {28, 38, 27, 37}) {
    const KeyRect* k = KeyRectOf(code);
    QRect r(k->left, k->top, k->right - k->left + 1, k->bottom - k->top + 1);
    p.drawText(r, Qt::AlignCenter, QString::fromUtf8(k->legend));
  }
}

}  // namespace

QImage RenderFace() {
  QImage face(kFaceWidth, kFaceHeight, QImage::Format_RGB32);
  face.fill(QColor(0xD8, 0xDC, 0xE2));
  QPainter p(&face);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QPainterPath body;
  body.addRoundedRect(QRectF(3, 3, kFaceWidth - 6, kFaceHeight - 6), 26, 26);
  p.fillPath(body, kBodyEdge);
  QPainterPath inner;
  inner.addRoundedRect(QRectF(7, 7, kFaceWidth - 14, kFaceHeight - 14), 22, 22);
  QLinearGradient bodyShade(QPointF(0, 0), QPointF(kFaceWidth, 0));
  bodyShade.setColorAt(0, kBody.lighter(115));
  bodyShade.setColorAt(0.5, kBody);
  bodyShade.setColorAt(1, kBody.darker(115));
  p.fillPath(inner, bodyShade);

  // Name plate and the display's bezel.
  QFont title("DejaVu Sans");
  title.setPixelSize(15);
  title.setBold(true);
  title.setItalic(true);
  p.setFont(title);
  p.setPen(QColor(0xE6, 0xE8, 0xEC));
  p.drawText(QRect(28, 22, 200, 24), Qt::AlignLeft | Qt::AlignVCenter, "VK-2280P");
  QFont sub("DejaVu Sans");
  sub.setPixelSize(9);
  p.setFont(sub);
  p.setPen(QColor(0xA8, 0xB0, 0xBC));
  p.drawText(QRect(150, 22, 172, 24), Qt::AlignRight | Qt::AlignVCenter, "GRAPHING CALCULATOR");

  QRectF bezel(kLcdLeft - 16, kLcdTop - 18, 256 + 32, 128 + 36);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1A, 0x1D, 0x22));
  p.drawRoundedRect(bezel, 10, 10);
  p.setBrush(kLcdLight);
  p.drawRect(QRectF(kLcdLeft - 4, kLcdTop - 4, 256 + 8, 128 + 8));

  for (const KeyRect& k : kKeyRects) {
    if (k.code == 28 || k.code == 38 || k.code == 27 || k.code == 37) continue;
    DrawKey(p, k);
    DrawLegends(p, k);
  }
  DrawCursorPad(p);
  return face;
}

QImage LcdPicture(const uint8_t* lcdImage) {
  QImage image(kLcdWidth, kLcdHeight, QImage::Format_Mono);
  image.setColor(0, kLcdDark.rgb());
  image.setColor(1, kLcdLight.rgb());
  for (int y = 0; y < kLcdHeight; ++y)
    std::memcpy(image.scanLine(y), lcdImage + y * kLcdRowBytes, kLcdRowBytes);
  return image;
}
