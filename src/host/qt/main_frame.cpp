#include "host/qt/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QStatusBar>

#include "host/qt/calc_view.h"
#include "host/qt/settings.h"
#include "host/services/front_end.h"

MainFrame::MainFrame() {
  setWindowTitle(kWindowTitle);
  view_ = new CalcView(this);
  setCentralWidget(view_);
  // A message pane and four indicator panes, as the status bar always had.
  message_ = new QLabel(this);
  statusBar()->addWidget(message_, 1);
  for (const char* pane : {"", "CAP", "NUM", "SCRL"}) {
    QLabel* indicator = new QLabel(pane, this);
    indicator->setMinimumWidth(28);
    indicator->setEnabled(false);
    statusBar()->addPermanentWidget(indicator);
  }
  setFixedSize(kFrameClientWidth, kFrameClientHeight);

  FrameSettings stored = LoadFrameSettings();
  if (stored.hasPosition) move(stored.left, stored.top);

  // The accelerator table. The document commands have no document to act
  // on and are swallowed.
  addAccelerator({QKeySequence("Shift+F5")}, [this] { close(); });
  addAccelerator({QKeySequence("F9")}, [this] { view_->answerCheckpoint(); });
  addAccelerator({QKeySequence("F12")}, [this] { view_->captureScreen(); });
  addAccelerator({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}, [this] { view_->copyText(); });
  addAccelerator({QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")},
                 [this] { view_->pasteText(); });
  addAccelerator({QKeySequence("Ctrl+X"), QKeySequence("Shift+Del"), QKeySequence("Ctrl+Z"),
                  QKeySequence("Alt+Backspace"), QKeySequence("Ctrl+N"), QKeySequence("Ctrl+O"),
                  QKeySequence("Ctrl+S"), QKeySequence("Ctrl+P"), QKeySequence("Shift+F6"),
                  QKeySequence("F8")},
                 [] {});
  view_->setFocus();
}

void MainFrame::addAccelerator(const QList<QKeySequence>& keys, std::function<void()> handler) {
  QAction* action = new QAction(this);
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  connect(action, &QAction::triggered, this, handler);
  addAction(action);
}

QString MainFrame::statusMessage() const { return message_->text(); }

void MainFrame::setStatusAndTitle(const QString& message, const QString& title) {
  // The note of a key log follows a tab.
  message_->setText(QString(message).replace('\t', "    "));
  setWindowTitle(title);
}

void MainFrame::bringToFront() {
  showNormal();
  raise();
  activateWindow();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  SaveFramePosition(frameGeometry().left(), frameGeometry().top());
  view_->shutDown();
  event->accept();
}
