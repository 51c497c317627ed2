// The scratch pad driven offscreen: what reaches the data set and when, find with its wrap-around
// and history, the clipboard commands, save-as, and a text the data set refuses at close.

#include "modules/scratchpad/frmTemp.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"
#include "driver.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <memory>

using platform::MsgIcon;
using platform::MsgResult;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

void Select(frmTemp& w, int start, int length) {
  QTextCursor cursor = w.txtContent->textCursor();
  cursor.setPosition(start);
  cursor.setPosition(start + length, QTextCursor::KeepAnchor);
  w.txtContent->setTextCursor(cursor);
}

QString Selected(const frmTemp& w) { return w.txtContent->textCursor().selectedText(); }
int SelStart(const frmTemp& w) { return w.txtContent->textCursor().selectionStart(); }

void Type(frmTemp& w, const QString& text) { w.txtContent->insertPlainText(text); }

void Find(frmTemp& w, const QString& text) {
  w.Combo1->setEditText(text);
  QTest::keyClick(w.Combo1, Qt::Key_Return);
}

} // namespace

class TestScratchPad : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmTemp> Open() { return Shown(std::make_unique<frmTemp>()); }

  // Stores a marker behind the window's back: a write at close would replace it.
  static void Mark() { QVERIFY(db().UserNote_Modify("marker")); }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2024, 5, 1), QTime(9, 30, 15))); }
  void cleanup() { env_.reset(); }

  void savesOnlyAChangedTextAndKeepsLineBreaks() {
    // A no-break space and a lone CR come back as they were stored.
    QVERIFY(db().UserNote_Modify("第一\u00A0行\r\n第二行\r"));
    auto w = Open();
    QCOMPARE(w->Text(), QString("第一\u00A0行\n第二行\r"));
    QCOMPARE(w->LabAd->Caption(), datastore::clsSystem::AppUrl());
    QCOMPARE(w->focusWidget(), w->txtContent);  // opens ready for typing

    // Unchanged: closing writes nothing.
    Mark();
    w->close();
    QCOMPARE(db().GetUserNote(), QString("marker"));

    // Ctrl+S stores with CR LF and confirms; closing afterwards writes nothing again.
    QVERIFY(db().UserNote_Modify(""));
    w = Open();
    Type(*w, "甲\n乙");
    QTest::keyClick(w->txtContent, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(db().GetUserNote(), QString("甲\r\n乙"));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].text, QString("请放心，当前的内容已保存！"));
    QCOMPARE(env_->ui.Messages()[0].title, QString("保存内容"));
    Mark();
    w->close();
    QCOMPARE(db().GetUserNote(), QString("marker"));

    // A change left unsaved is stored at close, also after a save-as.
    w = Open();
    Type(*w, "新");
    env_->ui.fileAnswers.push_back(env_->dir.filePath("copy.txt"));
    QTest::mouseClick(w->labHas, Qt::LeftButton);
    QVERIFY(w->IsChanged());
    w->close();
    QCOMPARE(db().GetUserNote(), QString("新marker"));
  }

  void failedSaveIsRetriedAtClose() {
    auto w = Open();
    Type(*w, "要保存的内容");
    db().objConn.Execute("delete from configs");
    env_->ui.Clear();
    QTest::mouseClick(w->LabAllOpen, Qt::LeftButton);
    // Only the data store's own error box; no confirmation.
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].title, QString("发生错误"));
    QVERIFY(w->IsChanged());

    db().objConn.Execute("insert into configs (configsid) values (1)");
    w->close();
    QCOMPARE(db().GetUserNote(), QString("要保存的内容"));
  }

  void textRefusedAtCloseIsKeptBesideTheDataSet() {
    auto w = Open();
    Type(*w, "不能丢的\n内容");
    db().objConn.Execute("delete from configs");
    env_->ui.Clear();
    w->close();

    const QString kept = env_->dir.filePath("test-临时记事便条-20240501093015.txt");
    const platform::TextFileResult file = platform::ReadTextFile(kept);
    QVERIFY(file.ok);
    QCOMPARE(file.text, QString("不能丢的\r\n内容"));
    const auto shown = env_->ui.Messages();
    QCOMPARE(shown.size(), size_t(2));  // the data store's failure, then where the text went
    QVERIFY(shown[1].text.contains(QDir::toNativeSeparators(kept)));
    QCOMPARE(shown[1].icon, MsgIcon::Exclamation);

    // A second refusal in the same second keeps the first file.
    w = Open();
    Type(*w, "另一段");
    w->close();
    QCOMPARE(platform::ReadTextFile(kept).text, QString("不能丢的\r\n内容"));
    QCOMPARE(platform::ReadTextFile(env_->dir.filePath("test-临时记事便条-20240501093015-2.txt")).text,
             QString("另一段"));
  }

  void findWrapsAroundAndKeepsItsHistory() {
    QVERIFY(db().UserNote_Modify("Abc xyz abc"));
    auto w = Open();
    // Ctrl+F without touching the box looks for the box's own first text.
    QTest::keyClick(w->txtContent, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].text, QString("在当前位置以下没有找到匹配的字符串,是否从头开始吗?"));
    QCOMPARE(w->Combo1->count(), 0);

    // A match right after the caret, regardless of letter case.
    Select(*w, 8, 0);
    env_->ui.Clear();
    Find(*w, "ABC");
    QCOMPARE(SelStart(*w), 8);
    QCOMPARE(Selected(*w), QString("abc"));
    QVERIFY(w->txtContent->hasFocus());
    QCOMPARE(w->Combo1->count(), 1);
    QVERIFY(env_->ui.Messages().empty());

    // At the end: Yes starts over and finds the match at the very start.
    env_->ui.msgAnswers.push_back(MsgResult::Yes);
    QTest::keyClick(w->txtContent, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(SelStart(*w), 0);
    QCOMPARE(Selected(*w), QString("Abc"));
    QCOMPARE(w->Combo1->count(), 1);  // the same text once

    // No match at all: Yes asks again, No ends with the history unchanged.
    env_->ui.Clear();
    env_->ui.msgAnswers = {MsgResult::Yes, MsgResult::No};
    Find(*w, "qq");
    QCOMPARE(env_->ui.Messages().size(), size_t(2));
    QCOMPARE(w->Combo1->count(), 1);

    // Choosing a history entry finds at once; the history survives the window.
    Select(*w, 1, 0);
    w->Combo1->setEditText("");
    w->Combo1->setCurrentIndex(0);
    emit w->Combo1->activated(0);
    QCOMPARE(SelStart(*w), 8);
    w->close();
    QCOMPARE(platform::GetSetting("Temp", "Down1"), QString("ABC"));
    w = Open();
    QCOMPARE(w->Combo1->itemText(0), QString("ABC"));
  }

  void clipboardCommandsWithAndWithoutSelection() {
    QVERIFY(db().UserNote_Modify("one\r\ntwo three"));
    auto w = Open();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");

    // Nothing selected: copy and cut leave the clipboard and the text alone.
    Select(*w, 2, 0);
    QTest::mouseClick(w->LabModify, Qt::LeftButton);
    QTest::mouseClick(w->LabDelete, Qt::LeftButton);
    QCOMPARE(clipboard->text(), QString("before"));
    QCOMPARE(w->Text(), QString("one\ntwo three"));

    // Across a line break: copy, then cut.
    Select(*w, 2, 4);
    QTest::mouseClick(w->LabModify, Qt::LeftButton);
    QCOMPARE(clipboard->text(), QString("e\ntw"));
    QTest::mouseClick(w->LabDelete, Qt::LeftButton);
    QCOMPARE(clipboard->text(), QString("e\ntw"));
    QCOMPARE(w->Text(), QString("ono three"));

    // Paste replaces the selection; a clipboard without text just removes it.
    Select(*w, 0, 2);
    QTest::mouseClick(w->LabGoto, Qt::LeftButton);
    QCOMPARE(w->Text(), QString("e\ntwo three"));
    auto* image = new QMimeData;
    image->setData("image/png", QByteArray("\x89PNG", 4));
    clipboard->setMimeData(image);
    Select(*w, 0, 4);
    QTest::mouseClick(w->LabGoto, Qt::LeftButton);
    QCOMPARE(w->Text(), QString("o three"));

    // Select all, also by Ctrl+A from the find box.
    QTest::keyClick(w->Combo1, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Selected(*w), QString("o three"));
    QVERIFY(w->txtContent->hasFocus());
  }

  void saveAsWritesTheTextThatReadsBackEqual() {
    const QString text = "第一行 €\r\n\r\nsecond line 😀";
    QVERIFY(db().UserNote_Modify(text));
    auto w = Open();
    const QString path = env_->dir.filePath("out.txt");
    env_->ui.fileAnswers.push_back(path);
    QTest::mouseClick(w->labHas, Qt::LeftButton);

    const platform::ShownMessage& dialog = env_->ui.shown.at(0);
    QCOMPARE(dialog.kind, platform::ShownMessage::FileDialog);
    QCOMPARE(dialog.file.title, QString("临时便条另存"));
    QCOMPARE(dialog.file.fileName, QString("20240501093015.txt"));
    QVERIFY(dialog.file.save && dialog.file.overwritePrompt);
    QCOMPARE(platform::ReadTextFile(path).text, text);
    QCOMPARE(env_->ui.Messages().back().text, "已将当前的临时记事便条内容另存到 " + path + " 文件中。");
    QVERIFY(!w->IsChanged());

    // Cancel ends silently; a folder that does not exist is reported.
    env_->ui.Clear();
    QTest::mouseClick(w->labHas, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().empty());
    env_->ui.fileAnswers.push_back(env_->dir.filePath("no/such/out.txt"));
    QTest::mouseClick(w->labHas, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().at(0).text.startsWith("将当前的临时记事便条内容另存时发生错误，"));
  }

  void webLabelHidesWhenTooCloseToTheSaveAsButton() {
    auto w = Open();
    QVERIFY(w->LabAd->isVisible());
    w->resize(w->labHas->geometry().right() + 60, 400);
    QVERIFY(!w->LabAd->isVisible());
    w->resize(1400, 400);
    QVERIFY(w->LabAd->isVisible());
    QTest::mouseClick(w->LabAd, Qt::LeftButton);
    QCOMPARE(env_->ui.Opened(), QStringList{datastore::clsSystem::AppUrl()});
  }
};

QTEST_MAIN(TestScratchPad)
#include "test_scratchpad.moc"
