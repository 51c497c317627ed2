// The main window: module commands, the close box, and the unload order at Exit.

#include "shell/Application.h"
#include "shell/frmMain.h"
#include "exchange/frmImp.h"
#include "modules/listwindow/ListWindow.h"
#include "platform/vbcolor.h"
#include "testenv.h"
#include "modules/driver.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

namespace {

// A module window that records what it saw when it was closed.
class DummyModule : public QWidget {
public:
  static inline int created = 0;
  static inline std::vector<int> connectionStateAtClose;
  bool refuseClose = false;
  std::function<void()> onClose;  // runs inside the close, as a box the window asks would
  DummyModule() { ++created; }

protected:
  void closeEvent(QCloseEvent* event) override {
    connectionStateAtClose.push_back(modStart::objDate().objConn.State());
    if (onClose) std::exchange(onClose, nullptr)();
    if (refuseClose)
      event->ignore();
    else
      event->accept();
  }
};

auto Factory() {
  return [] { return static_cast<QWidget*>(new DummyModule); };
}

QColor ButtonColor(frmMain& main, const QString& module) {
  auto* button = main.findChild<QPushButton*>(module + QStringLiteral("Button"));
  return button ? button->palette().color(QPalette::Button) : QColor();
}

} // namespace

class tst_frmMain : public QObject {
  Q_OBJECT
private slots:
  void init() {
    env_ = std::make_unique<TestEnv>();
    DummyModule::created = 0;
    DummyModule::connectionStateAtClose.clear();
  }
  void cleanup() { env_.reset(); }

  void noModuleNoEntries();
  void moduleCommands();
  void remindersOpenAtLoad();
  void options();
  void closeBoxKeepsRunning();
  void exitUnloadsInOrder();
  void exitCancelledByModule();
  void exitWhileUnloading();
  void positionSavedAndRestored();
  void positionNotSaved_data();
  void positionNotSaved();
  void hideMainRoundTrip();
  void exportImportCommands();
  void anErrorLeavingAHandlerIsShown();

private:
  std::unique_ptr<TestEnv> env_;
};

void tst_frmMain::noModuleNoEntries() {
  frmMain main;
  main.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QVERIFY(!main.mnuProject->menuAction()->isVisible());
  QVERIFY(main.mnuProject->actions().isEmpty());
  QVERIFY(main.findChildren<QPushButton*>().isEmpty());
  QVERIFY(main.mdiArea->subWindowList().isEmpty());
  QCOMPARE(main.ShowModule(QStringLiteral("frmNotes")), nullptr);
  main.mnuProjectNote_Click();
  QVERIFY(main.mdiArea->subWindowList().isEmpty());
  QCOMPARE(main.windowTitle(), modStart::objDate().objSystem.AppTitle);
}

void tst_frmMain::moduleCommands() {
  frmMain main;
  main.AddModule({QStringLiteral("frmNotes"), QStringLiteral("资料(&N)"), Factory()});
  main.AddModule({QStringLiteral("frmUrl"), QStringLiteral("网址(&U)"), Factory()});
  main.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QVERIFY(main.mnuProject->menuAction()->isVisible());
  QCOMPARE(main.mnuProject->actions().size(), 2);
  QCOMPARE(DummyModule::created, 0);  // made on first use only
  const QColor active = platform::ColorFromVb(0xC0FFC0);
  const QColor window = platform::SystemWindowColor();

  // The panel button opens the window maximised, frameless, and highlights itself.
  auto* notesButton = main.findChild<QPushButton*>(QStringLiteral("frmNotesButton"));
  QVERIFY(notesButton);
  QCOMPARE(notesButton->text(), QStringLiteral("资料(N)"));  // the mnemonic stays with the menu
  QTest::mouseClick(notesButton, Qt::LeftButton);
  QCOMPARE(DummyModule::created, 1);
  QMdiSubWindow* notes = main.mdiArea->activeSubWindow();
  QVERIFY(notes);
  QCOMPARE(notes->widget()->objectName(), QStringLiteral("frmNotes"));
  QTRY_VERIFY(notes->isMaximized());
  QVERIFY(notes->windowFlags().testFlag(Qt::FramelessWindowHint));
  QCOMPARE(ButtonColor(main, "frmNotes"), active);
  QCOMPARE(ButtonColor(main, "frmUrl"), window);

  // The Project menu entry opens the other module; the colours follow.
  main.findChild<QAction*>(QStringLiteral("mnuProject_frmUrl"))->trigger();
  QCOMPARE(DummyModule::created, 2);
  QCOMPARE(main.mdiArea->activeSubWindow()->widget()->objectName(), QStringLiteral("frmUrl"));
  QCOMPARE(ButtonColor(main, "frmNotes"), window);
  QCOMPARE(ButtonColor(main, "frmUrl"), active);

  // Again: the one window comes to the front, no second one is made.
  QWidget* again = main.ShowModule(QStringLiteral("frmNotes"));
  QCOMPARE(DummyModule::created, 2);
  QCOMPARE(again, notes->widget());
  QCOMPARE(main.mdiArea->activeSubWindow(), notes);
  QCOMPARE(main.mdiArea->subWindowList().size(), 2);
  QCOMPARE(ButtonColor(main, "frmNotes"), active);

  // A module window that was closed is made afresh on the next command.
  main.mdiArea->activeSubWindow()->close();
  QTRY_COMPARE(main.mdiArea->subWindowList().size(), 1);
  main.mnuProjectNote_Click();
  QCOMPARE(DummyModule::created, 3);
  QCOMPARE(main.mdiArea->activeSubWindow()->widget()->objectName(), QStringLiteral("frmNotes"));

  // A command from the tray (or anywhere) brings a minimised main window back.
  main.showMinimized();
  QTRY_VERIFY(main.isMinimized());
  main.mnuProjectUrl_Click();
  QTRY_VERIFY(!main.isMinimized());
  QVERIFY(main.isVisible());
}

void tst_frmMain::remindersOpenAtLoad() {
  frmMain main;
  main.AddModule({QStringLiteral("frmNotes"), QStringLiteral("资料(&N)"), Factory()});
  main.AddModule({QStringLiteral("frmReminds"), QStringLiteral("提醒(&R)"), Factory()});
  main.Form_Load();
  QCOMPARE(DummyModule::created, 1);
  QCOMPARE(main.mdiArea->activeSubWindow()->widget()->objectName(), QStringLiteral("frmReminds"));
  QCOMPARE(ButtonColor(main, "frmReminds"), platform::ColorFromVb(0xC0FFC0));
}

void tst_frmMain::options() {
  {
    frmMain main;
    main.Form_Load();
    // Always on top by default; edit-time hiding off by default.
    QVERIFY(main.mnuOptionMost->isChecked());
    QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!main.mnuOptionHideMain->isChecked());

    main.mnuOptionMost->trigger();
    QCOMPARE(platform::GetSetting("Option", "Most"), QStringLiteral("False"));
    QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(main.isVisible());
    main.mnuOptionHideMain->trigger();
    QCOMPARE(platform::GetSetting("Option", "HideMain"), QStringLiteral("True"));
  }
  frmMain next;
  next.Form_Load();
  QVERIFY(!next.mnuOptionMost->isChecked());
  QVERIFY(!next.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QVERIFY(next.mnuOptionHideMain->isChecked());
  next.mnuOptionMost->trigger();
  QCOMPARE(platform::GetSetting("Option", "Most"), QStringLiteral("True"));
  QVERIFY(next.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  QVERIFY(next.isVisible());
}

void tst_frmMain::closeBoxKeepsRunning() {
  frmMain main;
  main.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  // The tray icon is shown, so a tray (now or later) has something to hide the window into.
  QVERIFY(main.trayIcon);
  QVERIFY(main.trayIcon->isVisible());
  QSignalSpy unloaded(&main, &frmMain::unloaded);
  QVERIFY(!main.close());
  QCOMPARE(unloaded.count(), 0);
  QCOMPARE(modStart::objDate().objConn.State(), 1);
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    QVERIFY(!main.isVisible());  // into the tray
  } else {
    QTRY_VERIFY(main.isMinimized());  // never hidden into nothing
    QVERIFY(main.isVisible());
  }

  // An icon that is not shown holds nothing either: the window is minimised, not hidden.
  main.showNormal();
  QTRY_VERIFY(!main.isMinimized());
  main.trayIcon->hide();
  QVERIFY(!main.close());
  QTRY_VERIFY(main.isMinimized());
  QVERIFY(main.isVisible());

  main.mnuFileExit_Click();
  QVERIFY(!main.trayIcon->isVisible());
}

void tst_frmMain::exitUnloadsInOrder() {
  frmMain main;
  main.AddModule({QStringLiteral("frmNotes"), QStringLiteral("资料(&N)"), Factory()});
  main.AddModule({QStringLiteral("frmUrl"), QStringLiteral("网址(&U)"), Factory()});
  main.AddModule({QStringLiteral("frmTemp"), QStringLiteral("便笺(&T)"), Factory()});
  main.Form_Load();
  main.mnuProjectNote_Click();
  main.mnuProjectUrl_Click();
  QSignalSpy unloaded(&main, &frmMain::unloaded);

  main.mnuFileExit->trigger();
  // Both open module windows closed while the data set was open; the unopened one was not made.
  QCOMPARE(DummyModule::connectionStateAtClose, std::vector<int>({1, 1}));
  QCOMPARE(DummyModule::created, 2);
  QCOMPARE(modStart::objDate().objConn.State(), 0);
  QCOMPARE(unloaded.count(), 1);
  QVERIFY(main.close());  // once unloaded the window really closes
  QVERIFY(main.Unload());  // and unloading again does nothing
}

void tst_frmMain::exitCancelledByModule() {
  frmMain main;
  auto* refusing = new DummyModule;
  refusing->refuseClose = true;
  main.AddModule({QStringLiteral("frmTemp"), QStringLiteral("便笺(&T)"), [refusing] { return refusing; }});
  main.Form_Load();
  main.mnuProjectTemp_Click();
  QSignalSpy unloaded(&main, &frmMain::unloaded);
  main.mnuFileExit_Click();
  QCOMPARE(unloaded.count(), 0);
  QCOMPARE(modStart::objDate().objConn.State(), 1);
  QCOMPARE(main.mdiArea->subWindowList().size(), 1);
  refusing->refuseClose = false;
  main.mnuFileExit_Click();
  QCOMPARE(unloaded.count(), 1);
  QCOMPARE(modStart::objDate().objConn.State(), 0);
}

void tst_frmMain::exitWhileUnloading() {
  // A second Exit (a signal) while the first is inside a module window's close waits for it:
  // the other windows still close before the data set does, and the unload happens once.
  frmMain main;
  auto* first = new DummyModule;
  main.AddModule({QStringLiteral("frmNotes"), QStringLiteral("资料(&N)"), [first] { return first; }});
  main.AddModule({QStringLiteral("frmTemp"), QStringLiteral("便笺(&T)"), Factory()});
  main.Form_Load();
  main.mnuProjectNote_Click();
  main.mnuProjectTemp_Click();
  QSignalSpy unloaded(&main, &frmMain::unloaded);
  first->onClose = [&main] { main.mnuFileExit_Click(); };
  main.mnuFileExit_Click();
  QCOMPARE(DummyModule::connectionStateAtClose, std::vector<int>({1, 1}));
  QCOMPARE(unloaded.count(), 1);
  QCOMPARE(modStart::objDate().objConn.State(), 0);
}

void tst_frmMain::positionSavedAndRestored() {
  {
    frmMain main;
    main.Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.move(50, 60);
    main.resize(600, 500);
    QTRY_COMPARE(main.size(), QSize(600, 500));
    main.mnuFileExit_Click();
  }
  QCOMPARE(platform::GetSetting("Option", "Left"), QString::number(qRound(platform::PixelsToTwips(50))));
  QCOMPARE(platform::GetSetting("Option", "Top"), QString::number(qRound(platform::PixelsToTwips(60))));
  QCOMPARE(platform::GetSetting("Option", "Width"), QString::number(qRound(platform::PixelsToTwips(600))));
  QCOMPARE(platform::GetSetting("Option", "Height"), QString::number(qRound(platform::PixelsToTwips(500))));

  frmMain next;
  next.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&next));
  QCOMPARE(next.pos(), QPoint(50, 60));
  QCOMPARE(next.size(), QSize(600, 500));

  // A saved place on no screen (a monitor since removed) is not used.
  platform::SaveSetting("Option", "Left", "-300000");
  frmMain lost;
  lost.Form_Load();
  QVERIFY(lost.frameGeometry().intersects(lost.screen()->availableGeometry()));
}

void tst_frmMain::positionNotSaved_data() {
  QTest::addColumn<bool>("maximised");
  QTest::addColumn<QSize>("size");
  QTest::addColumn<bool>("saved");
  // The fewest pixels that reach a size in twips.
  auto pixels = [](double twips) {
    int p = 1;
    while (platform::PixelsToTwips(p) < twips) ++p;
    return p;
  };
  const int w = pixels(3510);
  const int h = pixels(5000);
  QTest::newRow("maximised") << true << QSize(600, 500) << false;
  QTest::newRow("too narrow") << false << QSize(w - 1, 500) << false;
  QTest::newRow("too low") << false << QSize(600, h - 1) << false;
  QTest::newRow("smallest kept") << false << QSize(w, h) << true;
}

void tst_frmMain::positionNotSaved() {
  QFETCH(bool, maximised);
  QFETCH(QSize, size);
  QFETCH(bool, saved);
  frmMain main;
  main.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  main.setMinimumSize(1, 1);
  main.resize(size);
  QTRY_COMPARE(main.size(), size);
  if (maximised) {
    main.showMaximized();
    QTRY_VERIFY(main.isMaximized());
  }
  main.mnuFileExit_Click();
  QCOMPARE(!platform::GetSetting("Option", "Width").isEmpty(), saved);
  QCOMPARE(!platform::GetSetting("Option", "Left").isEmpty(), saved);
}

void tst_frmMain::hideMainRoundTrip() {
  // The off-screen move around an edit dialog must not become the Top to return to.
  platform::SaveSetting("Option", "HideMain", "True");
  frmMain main;
  main.Form_Load();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  main.move(40, 150);
  QTRY_COMPARE(main.y(), 150);
  modStart::HideMainForm();
  QTRY_VERIFY(main.y() < 0);
  modStart::ShowMainForm();
  QTRY_COMPARE(main.y(), 150);
}

void tst_frmMain::exportImportCommands() {
  frmMain main;
  for (const modules::ModuleEntry& entry : modules::Registry())
    if (entry.objectName == QLatin1String("frmNotes")) main.AddModule(entry);
  main.AddModule({QStringLiteral("frmTemp"), QStringLiteral("便条(&T)"), Factory()});
  main.Form_Load();
  const QList<QAction*> file = main.mnuFile->actions();
  QCOMPARE(file.first(), main.mnuFileExp);
  QCOMPARE(main.mnuFileExp->text(), QStringLiteral("导出数据(&E)..."));
  QCOMPARE(main.mnuFileImp->text(), QStringLiteral("导入数据(&I)..."));
  QCOMPARE(file.last(), main.mnuFileExit);
  auto last = [this] { return env_->ui.Messages().back(); };

  main.mnuFileImp_Click();  // no module window open
  QCOMPARE(last().title, QStringLiteral("导入"));
  QCOMPARE(last().icon, platform::MsgIcon::Information);
  main.ShowModule(QStringLiteral("frmTemp"));
  main.mnuFileExp_Click();
  QCOMPARE(last().text, QStringLiteral("您当前操作的模块暂未提供导出功能！"));
  QCOMPARE(last().title, QStringLiteral("导出"));
  main.mnuFileImp_Click();
  QCOMPARE(last().text, QStringLiteral("您当前操作的模块暂未提供导入功能！"));

  // An import refused for its third line stores nothing; cancelled, the window shows no record.
  auto* notes = qobject_cast<listwindow::ListWindow*>(main.ShowModule(QStringLiteral("frmNotes")));
  QVERIFY(notes);
  QCOMPARE(notes->RecordCount(), 0);
  ModalDriver<exchange::frmImp> driver([&](exchange::frmImp& imp) {
    QCOMPARE(imp.parentWidget(), &main);
    imp.LoadFile(QStringLiteral("工作|甲|||\r\n工作|乙|||\r\n工作\r\n"));
    imp.cmdSelectAll_Click();
    imp.cmdOk_Click();
    imp.cmdCancel_Click();
  });
  main.mnuFileImp_Click();
  QCOMPARE(driver.caption, QStringLiteral("导入资料"));
  QCOMPARE(notes->RecordCount(), 0);
}

// An exception that leaves an event handler (a timer's, a click's) shows the error box, and the
// program goes on: it would otherwise end, losing what the user has not saved.
void tst_frmMain::anErrorLeavingAHandlerIsShown() {
  QTimer::singleShot(0, qApp, [] { throw std::runtime_error("出错了"); });
  QTest::qWait(20);
  const auto boxes = env_->ui.Messages();
  QCOMPARE(boxes.size(), size_t(1));
  QCOMPARE(boxes[0].text, QStringLiteral("程序运行时发生错误，出错了"));
  QCOMPARE(boxes[0].icon, platform::MsgIcon::Critical);
  QCOMPARE(boxes[0].title, QStringLiteral("发生错误"));
}

// The program's own application object, as the program runs.
int main(int argc, char** argv) {
  modStart::Application app(argc, argv);
  QApplication::setAttribute(Qt::AA_Use96Dpi, true);
  tst_frmMain test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "tst_frmmain.moc"
