// The main window: the calculator view, a status bar, no menu bar, and the
// accelerator table.
#pragma once

#include <QLabel>
#include <QMainWindow>

class CalcView;

class MainFrame : public QMainWindow {
  Q_OBJECT
 public:
  MainFrame();
  CalcView* view() const { return view_; }
  QString statusMessage() const;

 public slots:
  void setStatusAndTitle(const QString& message, const QString& title);
  void bringToFront();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void addAccelerator(const QList<QKeySequence>& keys, std::function<void()> handler);

  CalcView* view_;
  QLabel* message_;
};

// The frame's client height: the outer window is the caption plus 732
// dots, as the face was laid out for.
inline constexpr int kFrameClientWidth = 350;
inline constexpr int kFrameClientHeight = 722;
