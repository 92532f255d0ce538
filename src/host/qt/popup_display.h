// A separate always-on-top window showing the display alone at zoom 2-6.
#pragma once

#include <QImage>
#include <QWidget>

class PopupDisplay : public QWidget {
  Q_OBJECT
 public:
  explicit PopupDisplay(QWidget* owner);
  void setZoom(int zoom);
  int zoom() const { return zoom_; }
  // Shows the given LCD picture, resizing the window to fit the zoom.
  void showLcd(const QImage& lcd);
  static QSize sizeForZoom(int zoom) { return QSize(129 * zoom + 4, 64 * zoom + 36); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage lcd_;
  int zoom_ = 2;
};
