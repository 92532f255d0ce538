// The desktop front end under the offscreen platform.
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <QClipboard>
#include <atomic>
#include <memory>
#include <utility>

#include "host/capture/capture.h"
#include "host/harness/harness_texts.h"
#include "host/qt/calc_view.h"
#include "host/qt/main_frame.h"
#include "host/qt/popup_display.h"
#include "host/qt/single_instance.h"
#include "host/services/front_end.h"
#include "host/services/key_input.h"
#include "host/services/key_tables.h"
#include "os/clip_buffer.h"
#include "tests/host/clip_test_support.h"
#include "tests/host/stand_in_os.h"

namespace {

std::atomic<int> gShift{0};

// A key the view queued, where no stand-in OS takes them.
KeyEntry NextKey() { return KeyQueueCount() == 0 ? KeyEntry{} : WaitKey(); }

// A popup menu item by its text, with its check and grey states updated.
QAction* MenuAction(CalcView& view, const QString& text) {
  QMenu* menu = view.popupMenu();
  emit menu->aboutToShow();
  for (QAction* a : menu->actions())
    if (a->text() == text) return a;
  return nullptr;
}

}  // namespace

class QtViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // Keep the user's own settings out of reach.
    configDir_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", configDir_->path().toUtf8());
  }

  void init() {
    HostResetForTest();
    gShift = 0;
    OsHooks hooks;  // no OS entry: the thread the first paint starts ends at once
    hooks.getShiftState = [] { return gShift.load(); };
    hooks.setShiftState = [](int s) { gShift = s; };
    HostInstallOsHooks(hooks);
    QSettings("ORVEX", "vk2280 emulator").clear();
  }

  void cleanup() { HostResetForTest(); }

  // A second copy finds the first and asks it to come forward; a folder that
  // cannot hold the lock is told apart from a copy that holds it.
  void singleInstanceTellsAHeldLockFromAnUnusableFolder() {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QVERIFY(first.acquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    SingleInstance second(dir.path());
    QVERIFY(!second.acquire());
    QVERIFY(second.heldByAnother());
    QVERIFY(second.notifyFirst());
    QTRY_COMPARE(raised.count(), 1);

    SingleInstance nowhere(dir.filePath("missing/folder"));
    QVERIFY(!nowhere.acquire());
    QVERIFY(!nowhere.heldByAnother());
  }

  void droppedCalculatorFilesReachTheOs() {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a.g1m"), QUrl::fromLocalFile("/tmp/b.G1E"),
                  QUrl::fromLocalFile("/tmp/c.txt"), QUrl::fromLocalFile("/tmp/d.g1"),
                  QUrl("https://example.invalid/e.g1m")});
    const std::vector<std::string> files = DroppedCalcFiles(&data);
    QCOMPARE(files, (std::vector<std::string>{"/tmp/a.g1m", "/tmp/b.G1E"}));

    // The application delivers drops only during a real drag: hand it over.
    struct DropView : CalcView {
      using CalcView::dropEvent;
    } view;
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(KeyQueueCount(), 1);
    QCOMPARE(int(NextKey().aux), int(kHostCodeFilesDropped));
    std::vector<std::string> handed;
    HostImportDroppedFiles(
        [](const char* path, void* ctx) {
          static_cast<std::vector<std::string>*>(ctx)->push_back(path);
          return 1;
        },
        &handed);
    QCOMPARE(handed, files);
  }

  void clicksReachTheKeyQueue_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("label band, third label -> F3") << QPoint(150, 200) << 5 << 10;
    QTest::newRow("label band, first label -> F1") << QPoint(46, 200) << 7 << 10;
    QTest::newRow("label band, last label -> F6") << QPoint(296, 200) << 2 << 10;
    QTest::newRow("right edge of EXE") << QPoint(298, 630) << 3 << 2;
    QTest::newRow("bottom edge of 7") << QPoint(60, 517) << 7 << 5;
    QTest::newRow("AC/ON") << QPoint(270, 500) << 1 << 1;
    QTest::newRow("face border") << QPoint(10, 10) << 0 << 0;
    QTest::newRow("between the label band and the keys") << QPoint(200, 240) << 0 << 0;
  }

  void clicksReachTheKeyQueue() {
    QFETCH(QPoint, point);
    QFETCH(int, row);
    QFETCH(int, column);
    CalcView view;
    view.resize(350, 700);
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, point);
    QCOMPARE(view.drawnKey() != kNoKey, row != 0);  // row 0: no key there
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, point);
    QCOMPARE(view.drawnKey(), kNoKey);
    QCOMPARE(KeyQueueCount(), row ? 1 : 0);
    KeyEntry key = NextKey();
    QCOMPARE(std::pair(key.row, key.column), std::pair(row, column));
  }

  void typedLetters_data() {
    QTest::addColumn<bool>("capsLock");
    QTest::addColumn<int>("shiftBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("aux");
    QTest::addColumn<int>("shiftAfter");
    QTest::newRow("q, caps lock on") << true << 0 << "q" << int('Q') << 4;
    QTest::newRow("q, caps lock off") << false << 0 << "q" << int('q') << 4;
    QTest::newRow("Q in small alpha") << true << 8 << "Q" << int('q') << 8;
    QTest::newRow("Q in small alpha lock") << true << 136 << "Q" << int('q') << 136;
    QTest::newRow("Q plain") << true << 0 << "Q" << int('Q') << 0;
    QTest::newRow("e acute") << true << 0 << QString::fromUtf8("\xC3\xA9") << 0xE60A << 0;
    QTest::newRow("times sign") << true << 0 << QString::fromUtf8("\xC3\x97") << 0xA9 << 0;
    QTest::newRow("hash sign") << true << 0 << "#" << int('#') << 0;
  }

  void typedLetters() {
    QFETCH(bool, capsLock);
    QFETCH(int, shiftBefore);
    QFETCH(QString, text);
    QFETCH(int, aux);
    QFETCH(int, shiftAfter);
    CalcView view;
    view.settings().capsLock = capsLock;
    gShift = shiftBefore;
    view.pcKey(0, text);
    KeyEntry key = NextKey();
    QCOMPARE(std::pair(key.row, key.column), std::pair(-1, -1));
    QCOMPARE(int(key.aux), aux);
    QCOMPARE(gShift.load(), shiftAfter);
  }

  void pcKeysAndTheKeypad() {
    CalcView view;
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(NextKey().row, 3);
    QTest::keyClick(&view, Qt::Key_F3);
    QCOMPARE(NextKey().column, 10);
    QTest::keyClick(&view, Qt::Key_Space);
    QCOMPARE(int(NextKey().aux), int(' '));
    // The keypad's plus arrives as its character: the + key, once.
    QTest::keyClick(&view, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(KeyQueueCount(), 1);
    KeyEntry plus = NextKey();
    QCOMPARE(std::pair(plus.row, plus.column), std::pair(4, 3));
    QTest::keyClick(&view, Qt::Key_7);
    QCOMPARE(NextKey().row, 7);
  }

  void popupSizeFollowsTheZoom() {
    CalcView view;
    view.togglePopupDisplay();
    QVERIFY(view.popup());
    view.setPopupZoom(6);
    QCOMPARE(view.popup()->size(), QSize(778, 420));
    view.setPopupZoom(7);  // refused
    QCOMPARE(view.settings().dispZoom, 6);
    view.togglePopupDisplay();
    QVERIFY(!view.popup());
    view.setPopupZoom(3);  // refused while the popup is off
    QCOMPARE(view.settings().dispZoom, 6);
  }

  void settingsAreWrittenOnCloseAndReadOnStart() {
    {
      MainFrame frame;
      frame.view()->settings().capsLock = false;
      frame.view()->settings().dispZoom = 5;
      frame.move(120, 80);
      frame.show();
      QVERIFY(QTest::qWaitForWindowExposed(&frame));
      frame.close();
    }
    QSettings s("ORVEX", "vk2280 emulator");
    s.beginGroup("QM417");
    QCOMPARE(s.value("CAPSLOCK").toInt(), 0);
    QCOMPARE(s.value("DISPZOOM").toInt(), 5);
    QVERIFY(s.contains("POS_LEFT") && s.contains("POS_TOP"));
    MainFrame again;
    QCOMPARE(again.view()->settings().capsLock, false);
    QCOMPARE(again.view()->settings().dispZoom, 5);
  }

  void storedValuesThatMakeNoSense() {
    QSettings s("ORVEX", "vk2280 emulator");
    s.beginGroup("QM417");
    s.setValue("DISPZOOM", "lots");
    s.setValue("CAPSLOCK", "maybe");
    s.setValue("LCDDISP", 99);  // any non-zero is on
    s.setValue("POS_LEFT", -50);
    s.setValue("POS_TOP", 5000);
    s.sync();
    QCOMPARE(MainFrame().pos(), QPoint(0, 5000));
    ViewSettings v = LoadViewSettings();
    QCOMPARE(v.dispZoom, 2);
    QCOMPARE(v.capsLock, true);
    QCOMPARE(v.lcdDisp, true);
    // A settings file that is not even readable text.
    QFile file(s.fileName());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02[QM417\nDISPZOOM=\xff\xfe\n");
    file.close();
    ViewSettings fallback = LoadViewSettings();
    QCOMPARE(fallback.dispZoom, 2);
    QCOMPARE(fallback.capFile, true);
  }

  void firstPaintStartsTheOsThreadOnce() {
    MainFrame frame;
    QVERIFY(!HostOsThreadStarted());
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY(HostOsThreadStarted());
  }

  void copyPictureIsTheLcdWithItsCursor() {
    CalcView view;
    LcdImageFill(0xFF);
    HostLcdWriteByte(0, 0, 0x80);    // the top-left dot, dark
    HostLcdWriteByte(15, 63, 0x01);  // the bottom-right one, as a drawn cursor would be
    view.copyScreenToClipboard();
    QImage picture = QApplication::clipboard()->image();
    QCOMPARE(picture.size(), QSize(128, 64));
    QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(picture.pixelColor(1, 0), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(127, 63), QColor(Qt::black));
  }

  // Paste hands the text to the clip buffer and presses PASTE; copy works
  // only in CLIP mode, where the OS puts the text aside.
  void copyAndPasteText() {
    SetClipTextConverters(UpperIn, LowerOut);
    CalcView view;
    QApplication::clipboard()->setText("1+2");
    QVERIFY(MenuAction(view, "&Paste")->isEnabled());
    view.pasteText();
    QCOMPARE(QString::fromStdString(ClipBufferGet()), QString("1+2"));
    QCOMPARE(int(NextKey().aux), int(kCalcKeyPaste));
    QVERIFY(!MenuAction(view, "&Copy")->isEnabled());
    gShift = 2;  // CLIP
    QVERIFY(MenuAction(view, "&Copy")->isEnabled());
    StandInOs os([](const KeyEntry& key) {
      if (key.aux == kCalcKeyCopy) ClipBufferSet(reinterpret_cast<const uint8_t*>("SIN X"), 5);
    });
    view.copyText();
    QCOMPARE(QApplication::clipboard()->text(), QString("sin x"));
    SetClipTextConverters(nullptr, nullptr);
    ClipBufferClear();
  }

  void recordingFromTheWindow() {
    QTemporaryDir dir;
    CalcView view;
    view.resize(350, 700);
    StandInOs os;
    const QString log = dir.filePath("win.log");
    QVERIFY(view.keyLogger().StartRecording(log.toStdString()));
    QVERIFY(MenuAction(view, harness_text::kMenuRecord)->isChecked());
    QVERIFY(!MenuAction(view, harness_text::kMenuReplay)->isEnabled());
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(270, 630));  // EXE
    QTRY_COMPARE(os.taken.load(), size_t{1});
    view.pcKey(kVkF2, QString());  // a screen checkpoint instead of F2
    view.pcKey(kVkF3, QString());  // nothing
    view.typeCharacter('q');       // letters are not logged
    view.pcKey(kVkF1 + 5, QString());
    view.toggleRecording();  // off again
    QVERIFY(!view.keyLogger().recording());
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString(file.readAll()), QString("[EXE]\n[Cap.Screen.0001]\n"));
    QCOMPARE(QFileInfo(dir.filePath("win_0001.bmp")).size(), 1086);
    QCOMPARE(os.taken.load(), size_t{1});
  }

  void captureToTheFolderNumbersTheFiles() {
    QTemporaryDir dir;
    CalcView view;
    view.settings().capFile = false;
    view.settings().capFolder = dir.path();
    QFile(dir.filePath("Disp00002.bmp")).open(QIODevice::WriteOnly);
    view.captureScreen();
    QCOMPARE(QFileInfo(dir.filePath("Disp00003.bmp")).size(), 1086);  // above the largest there
  }

 private:
  std::unique_ptr<QTemporaryDir> configDir_;
};

QTEST_MAIN(QtViewTest)
#include "qt_view_test.moc"
