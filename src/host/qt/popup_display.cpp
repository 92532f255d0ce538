#include "host/qt/popup_display.h"

#include <QPainter>

PopupDisplay::PopupDisplay(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle("Popup Display");
  resize(256, 164);
}

void PopupDisplay::setZoom(int zoom) { zoom_ = zoom; }

void PopupDisplay::showLcd(const QImage& lcd) {
  lcd_ = lcd;
  QSize wanted = sizeForZoom(zoom_);
  if (size() != wanted) resize(wanted);
  update();
}

void PopupDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0x30, 0x34, 0x3C));
  if (!lcd_.isNull()) p.drawImage(QRect(0, 0, 128 * zoom_, 64 * zoom_), lcd_);
}
