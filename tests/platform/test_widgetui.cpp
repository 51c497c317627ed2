// The Qt-widget backend: the window a box belongs to, a box with none, the font dialog's choices,
// what the desktop's opener is handed.

#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <pthread.h>

namespace {

// Runs `inspect` on the next modal window of type Box, then closes it.
template <class Box>
void WhenShown(std::function<void(Box&)> inspect) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
    auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    inspect(*box);
    if (box->isVisible()) box->reject();
  });
  timer->start(10);
}

} // namespace

class TestWidgetUi : public QObject {
  Q_OBJECT

  platform::WidgetUi ui_;

private slots:
  void init() { platform::SetUiBackend(&ui_); }
  void cleanup() {
    platform::SetUiBackend(nullptr);
    platform::SetDialogParent(nullptr);
  }

  void boxOwnerAndPlace() {
    QWidget* owner = nullptr;
    bool onTop = false;
    const auto look = [&](QMessageBox& box) {
      owner = box.parentWidget();
      onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    };
    // A second copy has no window: its box must not hide behind the running copy's main window.
    WhenShown<QMessageBox>(look);
    platform::MsgBox("程序 Almanor 已经运行。");
    QVERIFY(!owner && onTop);

    // Over the modal editor a box belongs to the editor: owned by the main window (kept on top),
    // it would lift the main window above the editor.
    QWidget main;
    main.show();
    platform::SetDialogParent(&main);
    QDialog editor;
    editor.setWindowModality(Qt::ApplicationModal);
    editor.show();
    WhenShown<QMessageBox>(look);
    platform::MsgBox("条件不足：[资料标题] 不允许为空，请您输入！");
    QCOMPARE(owner, &editor);
    QVERIFY(!onTop);
  }

  void fontDialogOffersNoEffects() {
    // Underline and strike-out are not offered and come back as they went in.
    platform::FontChoice initial;
    initial.name = QApplication::font().family();
    initial.size = 12;
    initial.underline = true;
    int effectsShown = -1;
    WhenShown<QFontDialog>([&](QFontDialog& dialog) {
      effectsShown = 0;
      for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) effectsShown += box->isVisible();
      dialog.accept();
    });
    const std::optional<platform::FontChoice> chosen = platform::FontDialog(initial);
    QCOMPARE(effectsShown, 0);
    QVERIFY(chosen && chosen->size == 12 && chosen->underline && !chosen->strikethrough);
  }

  void fileChooserListsWhatItsFilterNames() {
    // "所有文件(*.*)" lists names without a dot, and patterns ignore letter case.
    QTemporaryDir dir;
    for (const char* name : {"README.TXT", "notes.txt", "导出资料", "a.doc"}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QList<QStringList> expected = {{"README.TXT", "notes.txt"}, {"README.TXT", "a.doc", "notes.txt", "导出资料"}};
    QStringList captions;
    QList<QStringList> listed;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
      if (auto* types = dialog.findChild<QComboBox*>("fileTypeCombo"))
        for (int i = 0; i < types->count(); ++i) captions << types->itemText(i);
      auto* view = dialog.findChild<QListView*>("listView");
      const auto names = [view] {
        QStringList shown;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
          shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
        shown.sort();
        return shown;
      };
      for (const QString& filter : dialog.nameFilters()) {
        dialog.selectNameFilter(filter);
        QTRY_COMPARE(names(), expected.value(listed.size()));
        listed << names();
      }
    });
    platform::FileDialogRequest request;
    request.title = "导入数据";
    request.fileName = dir.filePath("x");
    request.filter = "文本文件(*.txt)|*.txt|所有文件(*.*)|*.*";
    QVERIFY(!platform::FileDialog(request));
    QCOMPARE(listed, expected);
    QCOMPARE(captions, QStringList({"文本文件(*.txt)", "所有文件(*.*)"}));
  }

  void openerGetsTheTargetAsTyped() {
    // A stand-in xdg-open first on the search path writes down each argument it is given, and the
    // signals it starts with ignored or blocked.
    QTemporaryDir bin;
    const QString log = bin.filePath("log");
    const QString sigFile = bin.filePath("signals");
    QFile opener(bin.filePath("xdg-open"));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    // Read by the shell itself: a command it starts would see the mask it holds while forking.
    opener.write("#!/bin/sh\nwhile read -r l; do case $l in SigIgn*|SigBlk*) echo \"$l\";; esac; done < /proc/$$/status > '" +
                 sigFile.toUtf8() + "'\nprintf '[%s]' \"$@\" >> '" +
                 log.toUtf8() + "'\necho >> '" + log.toUtf8() + "'\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);
    const auto logged = [&] {
      QFile file(log);
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                            : QStringList();
    };
    // The program ignores SIGXFSZ (a full file-size limit is an error it reports) and blocks
    // signals in threads; the opened program must start with neither.
    const auto oldXfsz = std::signal(SIGXFSZ, SIG_IGN);
    sigset_t blocked, oldMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, &oldMask);
    // A leading "-" would read as an option: an existing file goes by its absolute path, any
    // other such target is refused.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(bin.path());
    QFile dash(bin.filePath("-h.txt"));
    QVERIFY(dash.open(QIODevice::WriteOnly));
    QVERIFY(!ui_.ShellOpen("--help"));
    const QStringList targets = {"http://a b.com/x y", "www.example.com", "mailto:a@b.cn?subject=$(id) `id`", "-h.txt"};
    for (const QString& target : targets) {
      QVERIFY(ui_.ShellOpen(target));
      QTRY_COMPARE(logged().size(), targets.indexOf(target) + 1);
    }
    QDir::setCurrent(cwd);
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    std::signal(SIGXFSZ, oldXfsz);
    QCOMPARE(logged(), QStringList({"[http://a b.com/x y]", "[www.example.com]", "[mailto:a@b.cn?subject=$(id) `id`]",
                                    "[" + QFileInfo(dash).absoluteFilePath() + "]"}));
    QFile status(sigFile);
    QVERIFY(status.open(QIODevice::ReadOnly));
    QCOMPARE(status.readAll(), QByteArray("SigBlk:\t0000000000000000\nSigIgn:\t0000000000000000\n"));

    // Without an opener the call fails, so the caller can say so.
    qputenv("PATH", bin.filePath("none").toUtf8());
    QVERIFY(!ui_.ShellOpen("http://x"));
    qputenv("PATH", path);
  }
};

QTEST_MAIN(TestWidgetUi)
#include "test_widgetui.moc"
