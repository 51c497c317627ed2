// The Qt-widget backend: the window a box belongs to, a box with none, the font dialog's choices,
// what the desktop's opener is handed.

#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

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

  void openerGetsTheTargetAsTyped() {
    // A stand-in xdg-open first on the search path writes down each argument it is given.
    QTemporaryDir bin;
    const QString log = bin.filePath("log");
    QFile opener(bin.filePath("xdg-open"));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nprintf '[%s]' \"$@\" >> '" + log.toUtf8() + "'\necho >> '" + log.toUtf8() + "'\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + path);
    const auto logged = [&] {
      QFile file(log);
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                            : QStringList();
    };
    const QStringList targets = {"http://a b.com/x y", "www.example.com", "mailto:a@b.cn?subject=$(id) `id`"};
    for (const QString& target : targets) {
      QVERIFY(ui_.ShellOpen(target));
      QTRY_COMPARE(logged().size(), targets.indexOf(target) + 1);
    }
    QCOMPARE(logged(), QStringList({"[http://a b.com/x y]", "[www.example.com]", "[mailto:a@b.cn?subject=$(id) `id`]"}));

    // Without an opener the call fails, so the caller can say so.
    qputenv("PATH", bin.filePath("none").toUtf8());
    QVERIFY(!ui_.ShellOpen("http://x"));
    qputenv("PATH", path);
  }
};

QTEST_MAIN(TestWidgetUi)
#include "test_widgetui.moc"
