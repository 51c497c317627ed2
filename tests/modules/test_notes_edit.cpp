// The notes editor driven offscreen: saving and its checks, find, export/import, layout, keys.

#include "modules/notes/frmNotesEdit.h"
#include "platform/settings.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vbcolor.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"
#include "driver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <memory>

using platform::MsgIcon;
using platform::MsgResult;

namespace {

int Px(double twips) { return platform::TwipsToPixels(twips); }

struct Note {
  QString title, content, cls;
  bool operator==(const Note&) const = default;
};

} // namespace

class TestNotesEdit : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmNotesEdit> Open() { return Active(std::make_unique<frmNotesEdit>()); }

  // What the opener does for a modification.
  std::unique_ptr<frmNotesEdit> OpenModify(qint64 id, const Note& note) {
    auto frm = std::make_unique<frmNotesEdit>();
    frm->setWindowTitle("修改常用资料笔记");
    frm->Tag = QString::number(id);
    frm->txtTitle->setText(note.title);
    frm->TitleTag = note.title;
    frm->SetContent(note.content);
    frm->cobClass->setCurrentText(note.cls);
    return Active(std::move(frm));
  }

  static std::vector<Note> Notes() {
    std::vector<Note> notes;
    datastore::RowSetPtr rs = modStart::objDate().Notes_GetRecordSet();
    for (; rs && !rs->Eof(); rs->MoveNext())
      notes.push_back({rs->Fields("notestitle").toString(), rs->Fields("notescontent").toString(),
                       rs->Fields("notesclass").toString()});
    return notes;
  }

  static void Fill(frmNotesEdit& frm, const QString& title, const QString& content, const QString& cls) {
    frm.txtTitle->setText(title);
    frm.SetContent(content);
    frm.cobClass->setCurrentText(cls);
  }

  static void SelectContent(frmNotesEdit& frm, int start, int end) {
    QTextCursor cursor = frm.txtContent->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    frm.txtContent->setTextCursor(cursor);
  }

  QString LastMessage() const {
    const auto messages = env_->ui.Messages();
    return messages.empty() ? QString() : messages.back().text;
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void savesNewNoteWithCrLfAndRemembersCategory() {
    auto frm = Open();
    QCOMPARE(frm->txtTitle->text(), QString("无相关的主题"));
    QCOMPARE(frm->SavedClass, QString());
    Fill(*frm, "周报", "第一行\r\n第二行", "工作");
    QCOMPARE(frm->txtContent->toPlainText(), QString("第一行\n第二行"));
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);

    QVERIFY(env_->ui.Messages().empty());
    QVERIFY(!frm->isVisible());
    QCOMPARE(frm->result(), int(QDialog::Accepted));
    QCOMPARE(frm->SavedClass, QString("工作"));
    QCOMPARE(platform::GetSetting("Option", "NotesClass"), QString("工作"));
    QVERIFY(Notes() == std::vector<Note>({{"周报", "第一行\r\n第二行", "工作"}}));

    // The next editor lists the category and preselects the last one saved.
    modStart::objDate().Notes_Add("其他", "", "生活", "");
    auto next = Open();
    QCOMPARE(next->cobClass->count(), 2);
    QCOMPARE(next->cobClass->itemText(0), QString("工作"));
    QCOMPARE(next->cobClass->currentText(), QString("工作"));
  }

  void typedCategoryIsSavedAsTyped() {
    modStart::objDate().Notes_Add("旧", "", "Workshop", "");
    auto frm = Open();
    frm->cobClass->setCurrentText(QString());
    frm->cobClass->setFocus();
    QTest::keyClicks(frm->cobClass, "Work");
    QCOMPARE(frm->cobClass->currentText(), QString("Work"));
    frm->txtTitle->setText("新");
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);
    QCOMPARE(frm->SavedClass, QString("Work"));
  }

  void checksRunInOrderAndKeepTheDialogOpen() {
    auto frm = Open();
    Fill(*frm, "   ", "正文", "");
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);
    QCOMPARE(LastMessage(), QString("条件不足：[资料标题] 不允许为空，请您输入！"));
    QTRY_COMPARE(QApplication::focusWidget(), frm->txtTitle);

    frm->txtTitle->setText("\"");
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);
    QCOMPARE(LastMessage(), QString("存在特殊符号：[资料标题] 存在双引号，请删除双引号继续！"));

    frm->txtTitle->setText("有效标题");
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);
    QCOMPARE(LastMessage(), QString("条件不足：[资料分类] 不允许为空，请您输入！"));
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), frm->cobClass->objectName());
    QVERIFY(frm->isVisible());
    QVERIFY(Notes().empty());

    // A quote in the category is the editor's to accept.
    env_->ui.Clear();
    frm->cobClass->setCurrentText("it's");
    QTest::mouseClick(frm->cmdOk, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(frm->SavedClass, QString("it's"));
    QCOMPARE(Notes().at(0).cls, QString("it's"));
  }

  void duplicateTitlesAreRefusedOnlyWhenTheTitleChanges() {
    auto& db = modStart::objDate();
    db.Notes_Add("A甲", "A甲的内容", "类", "");
    const qint64 idB = db.Notes_Add("B乙", "B乙的内容", "类", "");
    QVERIFY(idB > 0);

    auto add = Open();
    Fill(*add, "A甲", "新的", "类");
    QTest::mouseClick(add->cmdOk, Qt::LeftButton);
    QCOMPARE(LastMessage(), QString("资料主题 A甲 已经存在，请您重新输入。"));
    QVERIFY(add->isVisible());
    QCOMPARE(add->SavedClass, QString());
    QCOMPARE(Notes().size(), size_t(2));

    env_->ui.Clear();
    auto rename = OpenModify(idB, {"B乙", "B乙的内容", "类"});
    rename->txtTitle->setText("A甲");
    QTest::mouseClick(rename->cmdOk, Qt::LeftButton);
    QCOMPARE(LastMessage(), QString("资料主题 A甲 已经存在，请您重新输入。"));
    QTRY_COMPARE(QApplication::focusWidget(), rename->txtTitle);
    QCOMPARE(Notes().at(1).title, QString("B乙"));

    // Its own title is no duplicate.
    env_->ui.Clear();
    auto keep = OpenModify(idB, {"B乙", "B乙的内容", "类"});
    keep->SetContent("改过\r\n两行");
    keep->cobClass->setCurrentText("新类");
    QTest::mouseClick(keep->cmdOk, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(keep->SavedClass, QString("新类"));
    QCOMPARE(Notes().size(), size_t(2));
    QVERIFY(Notes().at(1) == Note({"B乙", "改过\r\n两行", "新类"}));

    // Nor is its own title in other letter case.
    auto recase = OpenModify(idB, {"B乙", "改过\r\n两行", "新类"});
    recase->txtTitle->setText("b乙");
    QTest::mouseClick(recase->cmdOk, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(Notes().at(1).title, QString("b乙"));
  }

  void findsAfterTheCaretAndWrapsOnYes() {
    auto frm = Open();
    frm->SetContent("xyz abcXYZ abc");
    SelectContent(*frm, 1, 1);
    env_->ui.inputAnswers.push_back("XyZ");
    QTest::mouseClick(frm->cmdFind, Qt::LeftButton);
    QCOMPARE(env_->ui.shown.at(0).text, QString("请您输入要查找的关键字："));
    QCOMPARE(env_->ui.shown.at(0).title, QString("查找：按 Ctrl+F 查找下一个"));
    QCOMPARE(platform::GetSetting("Temp", "NotesFind"), QString("XyZ"));
    QCOMPARE(frm->txtContent->textCursor().selectionStart(), 7);
    QCOMPARE(frm->txtContent->textCursor().selectedText(), QString("XYZ"));

    // Nothing further down: Yes starts over and finds the match at the very start.
    env_->ui.msgAnswers.push_back(MsgResult::Yes);
    QTest::keyClick(frm->txtContent, Qt::Key_F, Qt::ControlModifier);
    const auto question = env_->ui.Messages().at(0);
    QCOMPARE(question.text, QString("在当前位置以下没有找到匹配的字符串,是否从头开始吗?"));
    QCOMPARE(question.title, QString("查找"));
    QCOMPARE(frm->txtContent->textCursor().selectionStart(), 0);
    QCOMPARE(frm->txtContent->textCursor().selectionEnd(), 3);

    // The last search text is the next input box's default.
    auto next = Open();
    QTest::mouseClick(next->cmdFind, Qt::LeftButton);
    QCOMPARE(env_->ui.shown.back().defaultText, QString("XyZ"));
  }

  void asksAgainUntilNoWhenTheTextOccursNowhere() {
    auto frm = Open();
    frm->SetContent("没有这个词");
    frm->FindTag = "缺失";
    env_->ui.msgAnswers = {MsgResult::Yes, MsgResult::Yes};  // then the default answer No
    frm->FindNext();
    QCOMPARE(env_->ui.Messages().size(), size_t(3));
    QVERIFY(frm->isVisible());
  }

  void exportAndImportRoundTripAChineseText() {
    auto frm = Open();
    Fill(*frm, "导出 测试", "第一行\r\n第二行", "类");
    const QString path = env_->dir.filePath("out.txt");
    env_->ui.fileAnswers.push_back(path);
    env_->ui.msgAnswers.push_back(MsgResult::Yes);
    QTest::mouseClick(frm->cmdExp, Qt::LeftButton);

    const platform::ShownMessage dialog = env_->ui.shown.at(0);
    QCOMPARE(dialog.kind, platform::ShownMessage::FileDialog);
    QCOMPARE(dialog.file.title, QString("导出内容"));
    QCOMPARE(dialog.file.fileName, QString("导出 测试"));
    QVERIFY(dialog.file.save && dialog.file.overwritePrompt);
    QCOMPARE(LastMessage(), "已将内容导出到 " + path + " 文件中，是否打开？");
    QCOMPARE(env_->ui.Opened(), QStringList{path});

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // 第一行 CR LF 第二行 in GB18030.
    QCOMPARE(file.readAll(), QByteArray("\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0"));

    // Importing replaces the selection with the whole file.
    env_->ui.Clear();
    auto target = Open();
    target->SetContent("头XX尾");
    SelectContent(*target, 1, 3);
    env_->ui.fileAnswers.push_back(path);
    QTest::mouseClick(target->cmdImp, Qt::LeftButton);
    QVERIFY(env_->ui.shown.at(0).file.mustExist);
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(target->Content(), QString("头第一行\r\n第二行尾"));

    // A byte that is no text shows as U+FFFD, not as a mark the editor cannot save.
    file.close();
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("a\xFF" "b") == 3);
    file.close();
    target->SetContent(QString());
    env_->ui.fileAnswers.push_back(path);
    QTest::mouseClick(target->cmdImp, Qt::LeftButton);
    QCOMPARE(target->Content(), QStringLiteral(u"a\uFFFDb"));
  }

  void cancelledOrFailedFileDialogs() {
    auto frm = Open();
    Fill(*frm, "标题", "内容", "类");
    QTest::mouseClick(frm->cmdExp, Qt::LeftButton);  // no answer queued: Cancel
    QTest::mouseClick(frm->cmdImp, Qt::LeftButton);
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(QDir(env_->dir.path()).entryList({"*.txt"}, QDir::Files), QStringList());
    QCOMPARE(frm->Content(), QString("内容"));

    // A file that cannot be read is reported and the text stays as it was.
    env_->ui.fileAnswers.push_back(env_->dir.filePath("missing.txt"));
    QTest::mouseClick(frm->cmdImp, Qt::LeftButton);
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QVERIFY(LastMessage().startsWith("导入文本文件时发生错误，"));
    QCOMPARE(env_->ui.Messages().back().icon, MsgIcon::Critical);
    QCOMPARE(frm->Content(), QString("内容"));

    // A folder that does not exist: the error box, no "open it?" question.
    env_->ui.fileAnswers.push_back(env_->dir.filePath("no/such/folder/out.txt"));
    QTest::mouseClick(frm->cmdExp, Qt::LeftButton);
    QCOMPARE(env_->ui.Messages().size(), size_t(2));
    QVERIFY(LastMessage().startsWith("将内容导出过程中发生错误，"));
    QCOMPARE(env_->ui.Messages().back().title, QString("发生错误"));
  }

  void narrowingHidesButtonsOneByOne() {
    auto frm = Open();
    const int height = Px(5625);
    frm->resize(Px(7605), height);
    QVERIFY(!frm->cmdFind->isHidden() && !frm->cmdImp->isHidden() && !frm->cmdExp->isHidden());
    QCOMPARE(frm->cmdOk->width(), frm->cmdCancel->width());

    frm->resize(Px(6000), height);
    QVERIFY(frm->cmdFind->isHidden());
    QVERIFY(!frm->cmdImp->isHidden() && !frm->cmdExp->isHidden());

    frm->resize(Px(4500), height);
    QVERIFY(frm->cmdFind->isHidden() && frm->cmdImp->isHidden());
    QVERIFY(!frm->cmdExp->isHidden());
    QCOMPARE(frm->cmdOk->width(), frm->cmdCancel->width());

    // At the minimum size the save button spans from the margin to 100 twips before Cancel.
    frm->resize(10, 10);
    QCOMPARE(frm->size(), QSize(Px(3510 - 120), Px(5000 - 510)));
    QVERIFY(frm->cmdFind->isHidden() && frm->cmdImp->isHidden() && frm->cmdExp->isHidden());
    QCOMPARE(frm->cmdOk->x(), frm->cobClass->x());
    QVERIFY(qAbs(frm->cmdOk->geometry().right() + 1 + Px(100) - frm->cmdCancel->x()) <= 1);
    QCOMPARE(frm->cmdOk->y(), frm->cmdCancel->y());
    QVERIFY(frm->txtContent->geometry().bottom() < frm->cmdOk->y());

    // Widening brings them back.
    frm->resize(Px(7605), height);
    QVERIFY(!frm->cmdFind->isHidden());
    QCOMPARE(frm->cmdOk->width(), frm->cmdCancel->width());
  }

  void keepsPlaceAndSizeOnlyInTheNormalState() {
    platform::SaveSetting("Option", "NotesLeft", "1500");
    platform::SaveSetting("Option", "NotesTop", "1200");
    platform::SaveSetting("Option", "NotesWidth", "9000");
    platform::SaveSetting("Option", "NotesHeight", "7500");
    {
      auto frm = Open();
      QCOMPARE(frm->size(), QSize(Px(9000 - 120), Px(7500 - 510)));
      frm->showMaximized();
      QTRY_VERIFY(frm->isMaximized());
      QTest::mouseClick(frm->cmdCancel, Qt::LeftButton);
      QVERIFY(!frm->isVisible());
      QCOMPARE(platform::GetSetting("Option", "NotesWidth"), QString("9000"));
      QCOMPARE(platform::GetSetting("Option", "NotesLeft"), QString("1500"));
    }
    // In the normal state the same size goes back unchanged, so the window does not creep.
    auto frm = Open();
    QTest::keyClick(frm->txtContent, Qt::Key_Escape);
    QVERIFY(!frm->isVisible());
    QCOMPARE(frm->result(), int(QDialog::Rejected));
    QCOMPARE(frm->SavedClass, QString());
    QCOMPARE(platform::GetSetting("Option", "NotesWidth"), QString("9000"));
    QCOMPARE(platform::GetSetting("Option", "NotesHeight"), QString("7500"));
  }

  void ctrlEnterSavesAndPlainEnterNeverDoes() {
    auto frm = Open();
    Fill(*frm, "键盘", "内容", "类");
    frm->txtTitle->setFocus();
    QTest::keyClick(frm->txtTitle, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), frm->txtContent);
    QTest::keyClick(frm->cmdOk, Qt::Key_Return);
    QTest::keyClick(frm->txtContent, Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(frm->isVisible());
    QVERIFY(Notes().empty());

    QTest::keyClick(frm->txtContent, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!frm->isVisible());
    QCOMPARE(frm->SavedClass, QString("类"));
    QCOMPARE(Notes().size(), size_t(1));
  }
};

QTEST_MAIN(TestNotesEdit)
#include "test_notes_edit.moc"
