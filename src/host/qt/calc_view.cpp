#include "host/qt/calc_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>

#include "host/capture/capture.h"
#include "host/capture/screen_files.h"
#include "host/harness/harness_texts.h"
#include "host/qt/face_art.h"
#include "host/qt/main_frame.h"
#include "host/qt/popup_display.h"
#include "host/services/cursor_blink.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"

namespace {

// The four cursor keys share one pad, drawn pressed as a whole.
bool IsCursorKey(uint16_t code) { return code == 27 || code == 28 || code == 37 || code == 38; }

}  // namespace

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    switch (qtKey) {
      case Qt::Key_Period: case Qt::Key_Comma: return kVkDecimal;
      case Qt::Key_Asterisk: return kVkMultiply;
      case Qt::Key_Plus: return kVkAdd;
      case Qt::Key_Minus: return kVkSubtract;
      case Qt::Key_Slash: return kVkDivide;
      default: break;
    }
  }
  switch (qtKey) {
    case Qt::Key_Return: case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Insert: return kVkInsert;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_PageUp: return kVkPrior;
    case Qt::Key_PageDown: return kVkNext;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_Delete: return kVkDelete;
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Tab: return kVkTab;
    default: break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F7) return kVkF1 + (qtKey - Qt::Key_F1);
  return 0;
}

CalcView::CalcView(QWidget* parent) : QWidget(parent), drawnKey_(kNoKey) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAcceptDrops(true);
  face_ = RenderFace();
  LcdImageFill(0xFF);
  settings_ = LoadViewSettings();
  // An empty KEYTABLE means the shipped table; a file that cannot be read
  // leaves none, and the first key-log command asks for one.
  logger_ = std::make_unique<KeyLogger>(&harnessUi_);
  logger_->LoadKeyTable(settings_.keyTable.toStdString());
  blinkTimer_.setInterval(500);
  connect(&blinkTimer_, &QTimer::timeout, this, &CalcView::blink);
  if (settings_.lcdDisp) {
    popup_ = new PopupDisplay(this);
    popup_->setZoom(settings_.dispZoom);
    popup_->show();
  }
}

CalcView::~CalcView() { shutDown(); }

std::vector<std::string> DroppedCalcFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    const int dot = path.lastIndexOf('.');
    const bool calcFile = dot >= 0 && path.size() - dot == 4 &&
                          path.mid(dot, 3).compare(".g1", Qt::CaseInsensitive) == 0;
    if (calcFile) files.push_back(path.toStdString());
  }
  return files;
}

void CalcView::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedCalcFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CalcView::dropEvent(QDropEvent* event) {
  const std::vector<std::string> files = DroppedCalcFiles(event->mimeData());
  if (files.empty()) return;
  HostDropCalcFiles(files);
  event->acceptProposedAction();
}

void CalcView::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  harnessUi_.setClosing();  // a replay running in a nested loop stops
  logger_->StopRecording();
  blinkTimer_.stop();
  SaveViewSettings(settings_);
  if (popup_) delete popup_;
}

void CalcView::paintEvent(QPaintEvent*) {
  if (!HostOsThreadStarted() && !shutDown_) {
    blinkTimer_.start();
    HostStartOsThread();
  }
  QPainter p(this);
  p.fillRect(rect(), QColor(0xD8, 0xDC, 0xE2));
  p.drawImage(0, 0, face_);
  if (keyDrawn_ && drawnKey_ != kNoKey) {
    // The pressed key is the face's picture of it moved 2 dots right and down.
    if (IsCursorKey(drawnKey_)) {
      p.drawImage(QPoint(218, 320), face_, QRect(216, 318, 94, 79));
    } else if (const KeyRect* k = KeyRectOf(drawnKey_)) {
      QRect source(k->left - 2, k->top - 2, k->right - k->left + 4, k->bottom - k->top + 4);
      p.drawImage(QPoint(k->left, k->top), face_, source);
    }
  }
  uint8_t lcd[kLcdBytes];
  LcdImageSnapshot(lcd);
  p.drawImage(QRect(kLcdLeft, kLcdTop, kLcdWidth * kLcdZoom, kLcdHeight * kLcdZoom),
              LcdPicture(lcd));
}

void CalcView::lcdChanged() {
  update(QRect(kLcdLeft, kLcdTop, kLcdWidth * kLcdZoom, kLcdHeight * kLcdZoom));
  updatePopup();
}

void CalcView::updatePopup() {
  if (!popup_) return;
  uint8_t lcd[kLcdBytes];
  LcdImageSnapshot(lcd);
  popup_->showLcd(LcdPicture(lcd));
}

void CalcView::blink() {
  if (CursorBlinkTick()) lcdChanged();
}

void CalcView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) clickAt(event->position().toPoint());
}

void CalcView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) press(event->position().toPoint());
}

void CalcView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) releaseKeys();
}

void CalcView::clickAt(QPoint point) {
  int x = point.x(), y = point.y();
  RemapLabelBand(&x, &y);
  press(QPoint(x, y));
}

void CalcView::press(QPoint point) {
  const KeyRect* key = HitTestKey(point.x(), point.y());
  if (!key) return;
  drawKeyPressed(key->code);
  sendKey(key->code, key->aux);
}

void CalcView::drawKeyPressed(uint16_t code) {
  if (code == kNoKey || !KeyRectOf(code)) return;
  drawnKey_ = code;
  keyDrawn_ = true;
  update(0, kKeypadTop, width(), height() - kKeypadTop);
}

void CalcView::releaseKeys() {
  keyDrawn_ = false;
  drawnKey_ = kNoKey;
  update(0, kKeypadTop, width(), height() - kKeypadTop);
}

void CalcView::sendKey(uint16_t code, uint16_t aux) { HostSendKey(code, aux); }

void CalcView::keyPressEvent(QKeyEvent* event) {
  pcKey(VirtualKeyOf(event->key(), event->modifiers()), event->text());
}

void CalcView::pcKey(int virtualKey, const QString& text) {
  // While recording, F1 and F2 take checkpoints and F3-F7 do nothing.
  if (logger_->recording() && virtualKey >= kVkF1 && virtualKey <= kVkF7) {
    if (virtualKey == kVkF1) answerCheckpoint();
    if (virtualKey == kVkF2) logger_->ScreenCheckpoint();
    return;
  }
  bool handled = false;
  drawKeyPressed(HostPcKeyDown(virtualKey, &handled));
  LcdImageFromVram();
  if (handled) return;
  for (char32_t c : text.toUcs4()) {
    int cp = UnicodeToCp1252(c);
    if (cp > 0) typeCharacter(cp);
  }
}

void CalcView::typeCharacter(int ch) { drawKeyPressed(HostTypeCharacter(ch, settings_.capsLock)); }

void CalcView::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  if (keyDrawn_) releaseKeys();
}

void CalcView::contextMenuEvent(QContextMenuEvent* event) { popupMenu()->popup(event->globalPos()); }

QMenu* CalcView::popupMenu() {
  if (!menu_) buildMenu();
  return menu_;
}

void CalcView::buildMenu() {
  menu_ = new QMenu(this);
  QMenu* display = menu_->addMenu("Popup Display");
  QAction* popupItem = display->addAction("Popup Display", this, &CalcView::togglePopupDisplay);
  popupItem->setCheckable(true);
  display->addSeparator();
  QList<QAction*> zooms;
  for (int z = 2; z <= 6; ++z) {
    QAction* a = display->addAction(QString("  Zoom*%1").arg(z), this, [this, z] { setPopupZoom(z); });
    a->setCheckable(true);
    zooms << a;
  }
  menu_->addSeparator();
  QAction* toFolder = menu_->addAction("Screen to Folder", this, &CalcView::toggleScreenToFolder);
  toFolder->setCheckable(true);
  QAction* automatic =
      menu_->addAction("Automatic Capture Screen", this, &CalcView::chooseCaptureFolder);
  automatic->setCheckable(true);
  menu_->addSeparator();
  QAction* caps = menu_->addAction("Caps Lock", this, &CalcView::toggleCapsLock);
  caps->setCheckable(true);
  menu_->addSeparator();
  QAction* copy = menu_->addAction("&Copy", this, &CalcView::copyText);
  QAction* paste = menu_->addAction("&Paste", this, &CalcView::pasteText);
  menu_->addAction("Capture Screen", this, &CalcView::copyScreenToClipboard);
  menu_->addSeparator();
  QAction* record = menu_->addAction(harness_text::kMenuRecord, this, &CalcView::toggleRecording);
  record->setCheckable(true);
  QList<QAction*> replays;
  replays << menu_->addAction(harness_text::kMenuReplay, this,
                              [this] { replay(ReplaySpeed::kNormal); });
  replays << menu_->addAction(harness_text::kMenuFastReplay, this,
                              [this] { replay(ReplaySpeed::kFast); });
  replays << menu_->addAction(harness_text::kMenuStepReplay, this,
                              [this] { replay(ReplaySpeed::kStep); });
  menu_->addSeparator();
  menu_->addAction("&About", this, [this] {
    QMessageBox::about(this, "About vk2280 emulator",
                       "vk2280 emulator\nA pocket graphing calculator on your desktop.");
  });
  menu_->addAction("E&xit", this, [this] { window()->close(); });
  connect(menu_, &QMenu::aboutToShow, this, [=, this] {
    popupItem->setChecked(settings_.lcdDisp);
    for (int i = 0; i < zooms.size(); ++i) {
      zooms[i]->setChecked(settings_.dispZoom == i + 2);
      zooms[i]->setEnabled(settings_.lcdDisp);
    }
    toFolder->setChecked(settings_.capFile);
    automatic->setChecked(!settings_.capFile);
    caps->setChecked(settings_.capsLock);
    copy->setEnabled(CanCopyClipText());
    paste->setEnabled(CanPasteText());
    record->setChecked(logger_->recording());
    for (QAction* a : replays) a->setEnabled(!logger_->recording() && !logger_->replaying());
  });
}

void CalcView::togglePopupDisplay() {
  settings_.lcdDisp = !settings_.lcdDisp;
  if (settings_.lcdDisp) {
    if (!popup_) popup_ = new PopupDisplay(this);
    popup_->setZoom(settings_.dispZoom);
    popup_->show();
    updatePopup();
  } else if (popup_) {
    delete popup_;
  }
}

void CalcView::setPopupZoom(int zoom) {
  if (!settings_.lcdDisp || zoom < 2 || zoom > 6) return;
  settings_.dispZoom = zoom;
  if (popup_) popup_->setZoom(zoom);
  updatePopup();
}

void CalcView::toggleCapsLock() { settings_.capsLock = !settings_.capsLock; }

void CalcView::toggleScreenToFolder() { settings_.capFile = !settings_.capFile; }

void CalcView::chooseCaptureFolder() {
  settings_.capFile = false;
  settings_.capFolder = QFileDialog::getExistingDirectory(this, "Automatic Capture Screen");
}

void CalcView::copyScreenToClipboard() {
  uint8_t lcd[kLcdBytes];
  LcdImageSnapshot(lcd);
  QImage picture = LcdPicture(lcd);  // a plain black-on-white bitmap for other programs
  picture.setColor(0, qRgb(0, 0, 0));
  picture.setColor(1, qRgb(255, 255, 255));
  QApplication::clipboard()->setImage(picture);
}

void CalcView::captureScreen() {
  if (logger_->recording()) {
    logger_->ScreenCheckpoint();
    return;
  }
  if (!settings_.capFile) {
    std::string path = CaptureScreenToFolder(settings_.capFolder.toStdString());
    if (!path.empty())
      if (auto* frame = qobject_cast<MainFrame*>(window()))
        frame->setStatusAndTitle(QString::fromStdString(path), frame->windowTitle());
    return;
  }
  // Bitmaps as the calculator's captures always were; PNG for documents,
  // dot for dot or at the popup display's zoom.
  const QString bmp = "bitmap file(*.bmp)", png = "PNG (*.png)",
                zoomed = QString("PNG x%1 (*.png)").arg(settings_.dispZoom), all = "all (*.*)";
  QFileDialog dialog(this, "Capture Screen");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({bmp, png, zoomed, all});
  dialog.setDefaultSuffix("bmp");
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(filter == bmp || filter == all ? "bmp" : "png");
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().first();
  if (!path.endsWith(".png", Qt::CaseInsensitive)) {
    CaptureScreenToFile(path.toStdString());  // a file that cannot be made is skipped
    return;
  }
  uint8_t plane[kLcdBytes];
  CaptureScreenPlane(plane);
  for (uint8_t& b : plane) b = static_cast<uint8_t>(~b);  // the picture's own sense
  int zoom = dialog.selectedNameFilter() == zoomed ? settings_.dispZoom : 1;
  QImage picture = LcdPicture(plane);
  picture.setColor(0, qRgb(0, 0, 0));
  picture.setColor(1, qRgb(255, 255, 255));
  picture.scaled(kLcdWidth * zoom, kLcdHeight * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
      .save(path, "PNG");
}

void CalcView::copyText() {
  if (!CanCopyClipText()) return;
  const std::string text = CopyClipText([this](int ms) { harnessUi_.Pause(ms); });
  if (!text.empty()) QApplication::clipboard()->setText(QString::fromStdString(text));
}

void CalcView::pasteText() {
  if (!CanPasteText()) return;
  std::string dropped;
  PasteText(QApplication::clipboard()->text().toStdString(), &dropped);
  // Say what was left out rather than lose it without a word.
  auto* frame = qobject_cast<MainFrame*>(window());
  if (!dropped.empty() && frame)
    frame->setStatusAndTitle("Not pasted: " + QString::fromStdString(dropped) + " (no such keys)",
                             frame->windowTitle());
}

void CalcView::answerCheckpoint() { logger_->AnswerCheckpoint(); }

void CalcView::toggleRecording() {
  logger_->CommandRecord();
  if (!harnessUi_.chosenKeyTable.isEmpty()) settings_.keyTable = harnessUi_.chosenKeyTable;
}

void CalcView::replay(ReplaySpeed speed) {
  logger_->CommandReplay(speed);
  if (!harnessUi_.chosenKeyTable.isEmpty()) settings_.keyTable = harnessUi_.chosenKeyTable;
  lcdChanged();
}
