// The shared helpers every module window relies on.

#include "datastore/clsSystem.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

class tst_modStart : public QObject {
  Q_OBJECT
private slots:
  void init() { env_ = std::make_unique<TestEnv>(false); }
  void cleanup() {
    modStart::SetMainForm(nullptr);
    env_.reset();
  }

  void shortenText_data();
  void shortenText();
  void appendUtf8DecodesAsQtDoes();
  void formatFileSize_data();
  void formatFileSize();
  void enterToTab();
  void selectAllText();
  void hideAndShowMainForm();
  void setTopMost();
  void openWebPage();

private:
  std::unique_ptr<TestEnv> env_;
};

void tst_modStart::shortenText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("expected");
  const QString a200(200, QLatin1Char('a'));
  const QString han201(201, QChar(0x4E2D));
  QTest::newRow("200 kept") << a200 << a200;
  QTest::newRow("201 cut") << a200 + QLatin1Char('b') << a200 + QStringLiteral(" ...");
  QTest::newRow("201 Chinese cut") << han201 << QString(200, QChar(0x4E2D)) + QStringLiteral(" ...");
  QTest::newRow("blanks trimmed before counting") << QStringLiteral("  ") + a200 + QStringLiteral("   ") << a200;
  QTest::newRow("short trimmed") << QStringLiteral("  标题 内容  ") << QStringLiteral("标题 内容");
  QTest::newRow("only blanks") << QStringLiteral("    ") << QString();
  QTest::newRow("line breaks kept") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
  // Characters beyond the basic plane take two units; the cut never splits one.
  const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");   // U+1F600
  const QString extB = QString::fromUtf8("\xF0\xA0\x80\x80");    // U+20000
  QTest::newRow("100 emoji kept") << emoji.repeated(100) << emoji.repeated(100);
  QTest::newRow("pair across the cut")
      << QStringLiteral("a") + emoji.repeated(100) << QStringLiteral("a") + emoji.repeated(99) + QStringLiteral(" ...");
  QTest::newRow("pair ends at the cut") << extB.repeated(101) << extB.repeated(100) + QStringLiteral(" ...");
}

void tst_modStart::shortenText() {
  QFETCH(QString, text);
  QFETCH(QString, expected);
  QCOMPARE(modStart::ShortenText(text), expected);
}

// Node texts are decoded from the rows' UTF-8 by a quicker decoder: it must give what Qt's gives
// (a leading U+FEFF kept) for every mix of characters, cut sequences, overlong forms, surrogates,
// noncharacters and stray bytes.
void tst_modStart::appendUtf8DecodesAsQtDoes() {
  const QList<QByteArray> pieces = {"a", " ", "\xEF\xBB\xBF", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                    "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBE", "\xEF\xB7\x90", "\xF0\x9F\xBF\xBE",
                                    "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8",
                                    "\x80", "\xE4\xB8", "\xF0\x9F", "\xC3", "\xFF", "\x00", "sixteen ascii ch",
                                    "\xE4\xB8\xAD\xE6\x96\x87\xE6\xB1\x89\xE5\xAD\x97\xE6\xB5\x8B\xE8\xAF\x95",
                                    "\xE1\x80\x80", "\xEC\xBF\xBF", "\xED\x9F\xBF", "\xE0\xA0\x80",
                                    "\xEF\xBC\x8C", "\xEF\xBE\xBF", "\xEF\xBB\xBF", "\xEF\xBF\xBD"};
  QRandomGenerator rng(5);
  for (int round = 0; round < 20000; ++round) {
    QByteArray bytes;
    for (int n = rng.bounded(12); n > 0; --n) bytes += pieces[rng.bounded(int(pieces.size()))];
    QStringDecoder qt(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString expected = qt(bytes);
    QList<QChar> buffer(modStart::Utf8Room(bytes));
    const QString decoded(buffer.data(), modStart::AppendUtf8(buffer.data(), bytes) - buffer.data());
    if (decoded != expected) QFAIL(bytes.toHex(' ').constData());
  }
}

void tst_modStart::formatFileSize_data() {
  QTest::addColumn<double>("size");
  QTest::addColumn<QString>("expected");
  QTest::newRow("0") << 0.0 << QStringLiteral("0.00 字节");
  QTest::newRow("1023") << 1023.0 << QStringLiteral("1023.00 字节");
  QTest::newRow("1024") << 1024.0 << QStringLiteral("1.00 KB");
  QTest::newRow("1536") << 1536.0 << QStringLiteral("1.50 KB");
  QTest::newRow("1048575") << 1048575.0 << QStringLiteral("1024.00 KB");
  QTest::newRow("1048576") << 1048576.0 << QStringLiteral("1.00 MB");
  QTest::newRow("10485760") << 10485760.0 << QStringLiteral("10.00 MB");
  QTest::newRow("1073741823") << 1073741823.0 << QStringLiteral("1024.00 MB");
  QTest::newRow("1073741824") << 1073741824.0 << QStringLiteral("1.00 GB");
  QTest::newRow("5 TB in GB") << 5497558138880.0 << QStringLiteral("5120.00 GB");
}

void tst_modStart::formatFileSize() {
  QFETCH(double, size);
  QFETCH(QString, expected);
  QCOMPARE(modStart::FormatFileSize(size), expected);
}

void tst_modStart::enterToTab() {
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* first = new QLineEdit(&form);
  auto* disabled = new QLineEdit(&form);
  auto* third = new QLineEdit(&form);
  disabled->setEnabled(false);
  layout->addWidget(first);
  layout->addWidget(disabled);
  layout->addWidget(third);
  modStart::EnterToTab(first);
  modStart::EnterToTab(third);
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  QSignalSpy firstReturn(first, &QLineEdit::returnPressed);

  // Ctrl+Enter and Alt+Enter are not Enter: the field keeps the focus and sees the key.
  first->setFocus();
  QTRY_VERIFY(first->hasFocus());
  QTest::keyClick(first, Qt::Key_Return, Qt::ControlModifier);
  QVERIFY(first->hasFocus());
  QCOMPARE(firstReturn.count(), 1);
  QTest::keyClick(first, Qt::Key_Return, Qt::AltModifier);
  QVERIFY(first->hasFocus());
  QCOMPARE(firstReturn.count(), 2);

  // Enter moves on, past the disabled field, and is swallowed.
  QTest::keyClick(first, Qt::Key_Return);
  QTRY_VERIFY(third->hasFocus());
  QCOMPARE(firstReturn.count(), 2);

  // The keypad's Enter too, and the last field wraps round to the first.
  QTest::keyClick(third, Qt::Key_Enter, Qt::KeypadModifier);
  QTRY_VERIFY(first->hasFocus());

  // Shift+Enter is Enter as well, forwards, and swallowed.
  QTest::keyClick(first, Qt::Key_Return, Qt::ShiftModifier);
  QTRY_VERIFY(third->hasFocus());
  QCOMPARE(firstReturn.count(), 2);
  QTest::keyClick(third, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
  QTRY_VERIFY(first->hasFocus());

  // Other keys pass unchanged.
  QTest::keyClicks(first, QStringLiteral("ab"));
  QCOMPARE(first->text(), QStringLiteral("ab"));
  QVERIFY(first->hasFocus());
}

void tst_modStart::selectAllText() {
  QWidget form;
  auto* layout = new QVBoxLayout(&form);
  auto* other = new QLineEdit(&form);
  auto* txt = new QLineEdit(QStringLiteral("标题 abc"), &form);
  layout->addWidget(other);
  layout->addWidget(txt);

  modStart::SelectAllText(txt);
  QCOMPARE(txt->selectedText(), QStringLiteral("标题 abc"));
  modStart::SelectAllText(nullptr);  // no box, no crash

  txt->deselect();
  modStart::SelectAllOnFocus(txt);
  form.show();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  other->setFocus();
  QTest::keyClick(other, Qt::Key_Tab);
  QTRY_VERIFY(txt->hasFocus());
  QTRY_COMPARE(txt->selectedText(), QStringLiteral("标题 abc"));
}

void tst_modStart::hideAndShowMainForm() {
  QWidget main;
  main.resize(400, 300);
  main.move(100, 120);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  modStart::SetMainForm(&main);
  modStart::RecordMainTop(120);

  // Option off (the default): nothing moves.
  modStart::HideMainForm();
  QCOMPARE(main.y(), 120);

  platform::SaveSetting("Option", "HideMain", "True");
  modStart::HideMainForm();
  QCOMPARE(main.y(), -(main.frameGeometry().height() + 100));
  modStart::ShowMainForm();
  QCOMPARE(main.y(), 120);

  // A maximised main window stays where it is.
  main.showMaximized();
  QTRY_VERIFY(main.isMaximized());
  const QRect maximised = main.geometry();
  modStart::HideMainForm();
  QCOMPARE(main.geometry(), maximised);
  modStart::ShowMainForm();
  QCOMPARE(main.geometry(), maximised);

  // Without a main window both are harmless.
  modStart::SetMainForm(nullptr);
  modStart::HideMainForm();
  modStart::ShowMainForm();
}

void tst_modStart::setTopMost() {
  auto onTop = [](QWidget& w) { return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint); };

  QWidget byDefault;  // "Most" missing reads as "True"
  modStart::SetTopMost(&byDefault, true);
  QVERIFY(onTop(byDefault));

  platform::SaveSetting("Option", "Most", "False");
  QWidget optionOff;
  modStart::SetTopMost(&optionOff, true);
  QVERIFY(!onTop(optionOff));
  modStart::SetTopMost(&optionOff, false);  // without the option check it always applies
  QVERIFY(onTop(optionOff));

  platform::SaveSetting("Option", "Most", "true");  // only exactly "True" counts
  QWidget lowerCase;
  modStart::SetTopMost(&lowerCase, true);
  QVERIFY(!onTop(lowerCase));

  // A shown window stays shown when it is put on top.
  platform::SaveSetting("Option", "Most", "True");
  QWidget shown;
  shown.show();
  QVERIFY(QTest::qWaitForWindowExposed(&shown));
  modStart::SetTopMost(&shown, true);
  QVERIFY(onTop(shown));
  QVERIFY(shown.isVisible());

  modStart::SetTopMost(nullptr, false);
}

void tst_modStart::openWebPage() {
  modStart::OpenWebPage(QString());
  modStart::OpenWebPage(QStringLiteral("https://example.org/a?b=1"));
  QCOMPARE(env_->ui.Opened(), QStringList({datastore::clsSystem::AppUrl(), QStringLiteral("https://example.org/a?b=1")}));
  QVERIFY(env_->ui.Messages().empty());
  // An address the opener would read as an option is refused with a box.
  modStart::OpenWebPage(QStringLiteral("--help"));
  QCOMPARE(env_->ui.Opened().size(), 2);
  QCOMPARE(env_->ui.Messages().at(0).text, QStringLiteral("网址 --help 以“-”开头，不是有效的网址，无法打开。"));
  env_->ui.Clear();

  // A handler that cannot open the address is reported, not passed over.
  env_->ui.shellOpenSucceeds = false;
  modStart::OpenWebPage(QStringLiteral("foo://bar"));
  const auto boxes = env_->ui.Messages();
  QCOMPARE(boxes.size(), size_t(1));
  QCOMPARE(boxes[0].icon, platform::MsgIcon::Critical);
  QCOMPARE(boxes[0].title, QStringLiteral("发生错误"));
  QVERIFY2(boxes[0].text.startsWith(QStringLiteral("打开 foo://bar 网址时发生错误，")), qPrintable(boxes[0].text));
  QVERIFY(boxes[0].text.size() > QStringLiteral("打开 foo://bar 网址时发生错误，").size());
}

QTEST_MAIN(tst_modStart)
#include "tst_modstart.moc"
