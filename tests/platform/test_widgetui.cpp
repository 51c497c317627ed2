// The Qt-widget backend: the window a box belongs to, a box with none, the font dialog's choices.

#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QMessageBox>
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
};

QTEST_MAIN(TestWidgetUi)
#include "test_widgetui.moc"
