// The Qt-widget backend of the message and dialog services: which window a box belongs to, and
// what a box with no window of ours shows above, and what the font dialog offers.

#include "platform/widgets/widgetui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs `inspect` on the first modal window of type Box that opens, then closes it.
template <class Box>
class WhenShown : public QObject {
public:
  explicit WhenShown(std::function<void(Box&)> inspect) : inspect_(std::move(inspect)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
      if (!box) return;
      timer_.stop();
      seen = true;
      inspect_(*box);
      if (box->isVisible()) box->reject();
    });
    timer_.start(10);
  }
  bool seen = false;

private:
  std::function<void(Box&)> inspect_;
  QTimer timer_;
};

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

  void boxBelongsToTheModalDialog() {
    // With the main window kept on top, a box it owned would lift it above the modal editor.
    QWidget main;
    main.setWindowFlag(Qt::WindowStaysOnTopHint);
    main.show();
    platform::SetDialogParent(&main);
    QDialog editor;
    editor.setWindowModality(Qt::ApplicationModal);
    editor.show();

    QPointer<QWidget> owner;
    WhenShown<QMessageBox> box([&](QMessageBox& b) { owner = b.parentWidget(); });
    platform::MsgBox("条件不足：[资料标题] 不允许为空，请您输入！", platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, "条件不足");
    QVERIFY(box.seen);
    QCOMPARE(owner.data(), static_cast<QWidget*>(&editor));

    // Once the editor is closed, boxes belong to the main window again.
    editor.close();
    WhenShown<QMessageBox> next([&](QMessageBox& b) { owner = b.parentWidget(); });
    platform::MsgBox("text");
    QVERIFY(next.seen);
    QCOMPARE(owner.data(), &main);
  }

  void boxWithoutWindowStaysOnTop() {
    // A second copy has no window of its own: the running copy's main window, kept on top, must
    // not hide its box.
    bool onTop = false;
    WhenShown<QMessageBox> box([&](QMessageBox& b) { onTop = b.windowFlags().testFlag(Qt::WindowStaysOnTopHint); });
    platform::MsgBox("程序 Almanor 已经运行。", platform::MsgButtons::OK, platform::MsgIcon::Information, "程序已运行");
    QVERIFY(box.seen);
    QVERIFY(onTop);
  }

  void fontDialogOffersNoEffects() {
    // The dialog offers name, style and size; the effects are not offered and stay as they were.
    platform::FontChoice initial;
    initial.name = QApplication::font().family();
    initial.size = 12;
    initial.underline = true;
    int effectsShown = -1;
    WhenShown<QFontDialog> dialog([&](QFontDialog& d) {
      effectsShown = 0;
      for (const QCheckBox* box : d.findChildren<QCheckBox*>()) effectsShown += box->isVisible();
      d.accept();
    });
    const std::optional<platform::FontChoice> chosen = platform::FontDialog(initial);
    QVERIFY(dialog.seen);
    QCOMPARE(effectsShown, 0);
    QVERIFY(chosen);
    QCOMPARE(chosen->size, 12.0);
    QVERIFY(chosen->underline && !chosen->strikethrough);
  }
};

QTEST_MAIN(TestWidgetUi)
#include "test_widgetui.moc"
