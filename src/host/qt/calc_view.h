// The calculator's face: paints the face and the LCD, turns clicks and PC
// keys into calculator keys, blinks the cursor, and owns the view settings.
#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "host/harness/key_logger.h"
#include "host/qt/popup_display.h"
#include "host/qt/qt_harness_ui.h"
#include "host/qt/settings.h"

class PopupDisplay;
class QMenu;
class QMimeData;

class CalcView : public QWidget {
  Q_OBJECT
 public:
  explicit CalcView(QWidget* parent = nullptr);
  ~CalcView() override;

  // Presses the key under a point of the face (the label band of the LCD
  // moves onto the function keys, as a click does).
  void clickAt(QPoint point);
  // One PC key press: virtual key first, then its typed text.
  void pcKey(int virtualKey, const QString& text);
  void typeCharacter(int cp1252);
  void sendKey(uint16_t code, uint16_t aux);

  ViewSettings& settings() { return settings_; }
  PopupDisplay* popup() const { return popup_; }
  uint16_t drawnKey() const { return drawnKey_; }
  QMenu* popupMenu();

  void togglePopupDisplay();
  void setPopupZoom(int zoom);
  void toggleCapsLock();
  void toggleScreenToFolder();
  void chooseCaptureFolder();
  void copyScreenToClipboard();
  // F12: a screen checkpoint while a key log records, else a capture to a
  // file (asking for its name) or to the next file of the capture folder.
  void captureScreen();
  // Copy the calculator's clip text (only in CLIP) and paste PC text.
  void copyText();
  void pasteText();
  // The key log: F9's answer checkpoint and the popup menu's commands.
  void answerCheckpoint();
  void toggleRecording();
  void replay(ReplaySpeed speed);
  KeyLogger& keyLogger() { return *logger_; }
  QtHarnessUi& harnessUi() { return harnessUi_; }
  // Writes the settings; the OS thread is asked to end.
  void shutDown();

 public slots:
  void lcdChanged();
  void blink();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Calculator files dropped on the face are handed to the OS, which imports
  // them as the memory manager's import does and shows the result.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void press(QPoint point);
  void drawKeyPressed(uint16_t code);
  void releaseKeys();
  void updatePopup();
  void buildMenu();

  QImage face_;
  ViewSettings settings_;
  QPointer<PopupDisplay> popup_;
  QTimer blinkTimer_;
  QMenu* menu_ = nullptr;
  QtHarnessUi harnessUi_{this};
  std::unique_ptr<KeyLogger> logger_;
  uint16_t drawnKey_;
  bool keyDrawn_ = false;
  bool shutDown_ = false;
};

// The local calculator files (names ending ".g1" and one more character,
// as the open dialog's "*.g1*") among dropped data.
std::vector<std::string> DroppedCalcFiles(const QMimeData* data);

// Qt's key to the Windows virtual key of the PC key tables; 0 for none.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
