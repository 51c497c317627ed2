// The notes list window driven offscreen through the user's paths: loading, the editor round
// trips, rename and delete, keyword and colour search with history, keys, layout and failures.

#include "modules/notes/frmNotes.h"
#include "modules/notes/frmNotesEdit.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/vb.h"
#include "platform/vbcolor.h"
#include "modules/listwindow/modStart.h"
#include "testenv.h"
#include "driver.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <limits>
#include <memory>

using listwindow::TreeNode;
using platform::MsgResult;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 AddNote(const QString& title, const QString& content, const QString& cls, const QString& color = "") {
  return db().Notes_Add(title, content, cls, color);
}

using EditorDriver = ModalDriver<frmNotesEdit>;

void Save(frmNotesEdit& dialog, const QString& title, const QString& content, const QString& cls) {
  dialog.txtTitle->setText(title);
  dialog.SetContent(content);
  dialog.cobClass->setCurrentText(cls);
  dialog.cmdOk->click();
}

QStringList ResultKeys(const frmNotes& w) {
  QStringList keys;
  for (int i = 0; i < w.ResultCount(); ++i)
    keys << w.ResultKey(i);
  return keys;
}

QString CurrentKey(const frmNotes& w) {
  const TreeNode* node = w.CurrentNode();
  return node ? node->Key() : QString();
}

// The user selects a node: the enabling rule runs.
void SetCurrent(frmNotes& w, const TreeNode* node) { w.TreeView1->setCurrentIndex(w.IndexOf(node)); }

bool Expanded(const frmNotes& w, const TreeNode* node) { return w.TreeView1->isExpanded(w.IndexOf(node)); }

void Search(frmNotes& w, const QString& text) {
  w.Combo1->setEditText(text);
  QTest::keyClick(w.Combo1, Qt::Key_Return);
}

} // namespace

class TestListWindowNotes : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmNotes> Open() {
    auto w = std::make_unique<frmNotes>();
    // Every change of the tree must reach the view as a consistent model change.
    new QAbstractItemModelTester(w->TreeView1->model(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 w.get());
    return Shown(std::move(w));
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2024, 5, 1), QTime(9, 30))); }
  void cleanup() { env_.reset(); }

  void emptyDataSetShowsOnlyTheRoot() {
    auto w = Open();
    QCOMPARE(w->TreeView1->model()->rowCount(), 1);
    TreeNode* root = w->Root();
    QCOMPARE(root->Key(), QString("a0"));
    QCOMPARE(root->Text(), QString("所有的资料笔记"));
    QCOMPARE(root->ChildCount(), 0);
    QCOMPARE(w->CurrentNode(), root);
    QVERIFY(Expanded(*w, root));
    QCOMPARE(w->LabTitle->Caption(), QString("常用资料笔记[0]"));
    QCOMPARE(w->RecordCount(), 0);
    QVERIFY(!w->LabModify->isEnabled());
    QVERIFY(!w->LabDelete->isEnabled());
    QVERIFY(!w->labHas->isEnabled());
    QVERIFY(w->LabRefresh->isEnabled());
    QCOMPARE(w->LabRefresh->Caption(), QString("&R.刷新"));
    QVERIFY(w->ListView1->isHidden());
    QCOMPARE(w->Combo1->currentText(), QString("请在这里输入查找的关键字..."));
    QVERIFY(env_->ui.Messages().empty());
  }

  void firstLoadSelectsFirstCategoryAndBuildsNodeTexts() {
    const QString longText = "  " + QString(150, QChar(u'长')) + QString(60, 'x') + "  ";
    const qint64 b = AddNote("乙笔记", "正文", "工作");
    const qint64 z = AddNote("zeta", "", "生活");
    const qint64 a = AddNote("alpha", longText, "生活");
    AddNote("marked", "m", "生活", "255");
    auto w = Open();

    TreeNode* root = w->Root();
    QCOMPARE(Children(root), QStringList({"工作", "生活"}));
    TreeNode* life = w->Node("c生活");
    QCOMPARE(w->CurrentNode(), w->Node("c工作"));
    QVERIFY(Expanded(*w, w->Node("c工作")));
    QVERIFY(w->LabModify->isEnabled() && w->LabDelete->isEnabled() && !w->labHas->isEnabled());
    QCOMPARE(w->LabTitle->Caption(), QString("常用资料笔记[4]"));

    // Title order within a category; the node texts.
    QCOMPARE(life->Child(0), w->Node("_" + QString::number(a)));
    QCOMPARE(life->Child(2), w->Node("_" + QString::number(z)));
    const QString cut = QString(150, QChar(u'长')) + QString(50, 'x') + " ...";
    QCOMPARE(w->Node("_" + QString::number(a))->Text(), "alpha 2024-05-01（" + cut + "）");
    QCOMPARE(w->Node("_" + QString::number(z))->Text(), QString("zeta 2024-05-01（）"));
    QCOMPARE(w->Node("_" + QString::number(b))->Text(), QString("乙笔记 2024-05-01（正文）"));
    QCOMPARE(w->NodeBackColor(life->Child(1)), QColor(255, 0, 0));
    QCOMPARE(w->NodeBackColor(life->Child(0)), w->NodeBackColor(root));

    // A note's enabling; the refresh button and Ctrl+R reload and select the first category again.
    SetCurrent(*w, life->Child(0));
    QVERIFY(w->labHas->isEnabled() && w->LabModify->isEnabled());
    AddNote("新", "", "阿");
    QTest::mouseClick(w->LabRefresh, Qt::LeftButton);
    QCOMPARE(Children(w->Root()), QStringList({"工作", "生活", "阿"}));
    QCOMPARE(w->RecordCount(), 5);
    QCOMPARE(CurrentKey(*w), QString("c工作"));
    QVERIFY(Expanded(*w, w->Node("c工作")));
  }

  void nodeTextsCutTheContentAt200Characters() {
    // Blanks, multi-byte characters and surrogate pairs on both sides of the cut.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");  // one character, two UTF-16 units
    const QStringList contents = {QString(200, QChar(u'字')),
                                  QString(201, QChar(u'字')),
                                  "  " + QString(199, 'a') + emoji + "  ",
                                  emoji.repeated(150),
                                  QString(99, 'a') + emoji.repeated(60),
                                  QString(300, QChar(u'字')) + emoji.repeated(200),
                                  "   ",
                                  " a  b "};
    QList<qint64> ids;
    for (int i = 0; i < contents.size(); ++i) ids << AddNote("t" + QString::number(i), contents[i], "类");
    auto w = Open();
    for (int i = 0; i < contents.size(); ++i)
      QCOMPARE(w->Node("_" + QString::number(ids[i]))->Text(),
               "t" + QString::number(i) + " 2024-05-01（" + modStart::ShortenText(contents[i]) + "）");
  }

  void addModifyAndMoveThroughTheEditor() {
    AddNote("旧", "old", "甲");
    auto w = Open();

    // Ctrl with Shift reaches no command.
    {
      EditorDriver driver([](frmNotesEdit& d) { d.cmdCancel->click(); });
      QTest::keyClick(w->TreeView1, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
      QTest::qWait(50);
      QVERIFY(!driver.seen);
    }
    // Ctrl+N from the search box adds a note to a new category, which comes last.
    {
      EditorDriver driver([](frmNotesEdit& d) { Save(d, "新笔记", "第一行\n第二行", "丙"); });
      QTest::keyClick(w->Combo1, Qt::Key_N, Qt::ControlModifier);
      QVERIFY(driver.seen);
      QCOMPARE(driver.caption, QString("增加常用资料笔记"));
    }
    QCOMPARE(Children(w->Root()), QStringList({"甲", "丙"}));
    QCOMPARE(CurrentKey(*w), QString("c丙"));
    QCOMPARE(w->RecordCount(), 2);
    TreeNode* added = w->Node("c丙")->Child(0);
    const qint64 id = listwindow::ListWindow::RecordId(added);

    // A cancelled add changes nothing.
    {
      EditorDriver driver([](frmNotesEdit& d) { d.cmdCancel->click(); });
      QTest::mouseClick(w->LabAdd, Qt::LeftButton);
      QVERIFY(driver.seen);
    }
    QCOMPARE(w->RecordCount(), 2);

    // Modify by double-click: the editor comes filled; moving the note empties and drops 丙.
    SetCurrent(*w, added);
    QString seenTitle, seenContent, seenClass, seenTag, seenTitleTag;
    {
      EditorDriver driver([&](frmNotesEdit& d) {
        seenTitle = d.txtTitle->text();
        seenContent = d.Content();
        seenClass = d.cobClass->currentText();
        seenTag = d.Tag;
        seenTitleTag = d.TitleTag;
        Save(d, "改过", "内容", "甲");
      });
      w->TreeView1_DblClick();
      QVERIFY(driver.seen);
      QCOMPARE(driver.caption, QString("修改常用资料笔记"));
    }
    QCOMPARE(seenTitle, QString("新笔记"));
    QCOMPARE(seenTitleTag, QString("新笔记"));
    QCOMPARE(seenContent, QString("第一行\r\n第二行"));
    QCOMPARE(seenClass, QString("丙"));
    QCOMPARE(seenTag, QString::number(id));
    QCOMPARE(Children(w->Root()), QStringList({"甲"}));
    QCOMPARE(CurrentKey(*w), "_" + QString::number(id));
    QCOMPARE(w->Node("_" + QString::number(id))->Parent(), w->Node("c甲"));
    QCOMPARE(w->Node("_" + QString::number(id))->Text(), QString("改过 2024-05-01（内容）"));
    QCOMPARE(w->RecordCount(), 2);
    // The reselected note keeps the enabling of the reloaded category.
    QVERIFY(!w->labHas->isEnabled());

    // Double-click on a category does nothing; a note that is gone opens no editor.
    {
      EditorDriver driver([](frmNotesEdit& d) { d.cmdCancel->click(); });
      SetCurrent(*w, w->Node("c甲"));
      w->TreeView1_DblClick();
      QVERIFY(db().Notes_Delete(id));
      SetCurrent(*w, w->Node("_" + QString::number(id)));
      QTest::keyClick(w->TreeView1, Qt::Key_M, Qt::ControlModifier);
      QTest::qWait(50);
      QVERIFY(!driver.seen);
    }
  }

  // Categories in other letter case are one category, as the data set compares them.
  void categoriesIgnoreLetterCase() {
    AddNote("b", "", "Work");
    AddNote("a", "", "work");
    auto w = Open();
    QCOMPARE(Children(w->Root()), QStringList({"Work"}));
    QCOMPARE(Children(w->Node("cWork")).size(), 2);
    QCOMPARE(w->Node("cWORK"), w->Node("cWork"));
    {
      EditorDriver driver([](frmNotesEdit& d) { Save(d, "c", "", "WORK"); });
      w->LabAdd_Click();
    }
    QCOMPARE(Children(w->Root()), QStringList({"Work"}));
    QCOMPARE(Children(w->Node("cWork")).size(), 3);
    QCOMPARE(w->RecordCount(), 3);
  }

  void renameCategoryWithAndWithoutMerge() {
    AddNote("一", "", "A");
    AddNote("二", "", "B");
    AddNote("三", "", "C");
    auto w = Open();
    SetCurrent(*w, w->Node("cA"));

    // Cancel and an unchanged name do nothing.
    env_->ui.inputAnswers = {"", "A"};
    w->LabModify_Click();
    w->LabModify_Click();
    QCOMPARE(Children(w->Root()), QStringList({"A", "B", "C"}));
    QCOMPARE(env_->ui.shown[0].text, QString("请您输入新的分类名称："));
    QCOMPARE(env_->ui.shown[0].title, QString("修改分类"));
    QCOMPARE(env_->ui.shown[0].defaultText, QString("A"));

    // A new name changes the node in place; a later add to it reloads that node.
    env_->ui.inputAnswers = {"Z"};
    QTest::keyClick(w->TreeView1, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(Children(w->Root()), QStringList({"Z", "B", "C"}));
    QVERIFY(w->Node("cZ") && !w->Node("cA"));
    {
      EditorDriver driver([](frmNotesEdit& d) { Save(d, "四", "", "Z"); });
      w->LabAdd_Click();
    }
    QCOMPARE(Children(w->Node("cZ")).size(), 2);
    QCOMPARE(Children(w->Root()), QStringList({"Z", "B", "C"}));

    // The name of another category merges both and reloads the whole tree.
    SetCurrent(*w, w->Node("cZ"));
    env_->ui.inputAnswers = {"C"};
    w->LabModify_Click();
    QCOMPARE(Children(w->Root()), QStringList({"B", "C"}));
    QCOMPARE(Children(w->Node("cC")).size(), 3);
    QCOMPARE(w->RecordCount(), 4);
    QCOMPARE(CurrentKey(*w), QString("cB"));
  }

  void deleteNoteAndCategoryWithTheResultListOpen() {
    const qint64 a1 = AddNote("苹果一", "", "水果");
    const qint64 a2 = AddNote("苹果二", "", "水果");
    const qint64 b1 = AddNote("苹果树", "", "植物");
    AddNote("桌子", "", "家具");
    auto w = Open();
    Search(*w, "苹果");
    QCOMPARE(ResultKeys(*w).size(), 3);

    // No keeps everything.
    SetCurrent(*w, w->Node("_" + QString::number(a1)));
    env_->ui.msgAnswers = {MsgResult::No};
    QTest::keyClick(w->TreeView1, Qt::Key_D, Qt::ControlModifier);
    QVERIFY(w->Node("_" + QString::number(a1)));
    const platform::ShownMessage question = env_->ui.Messages().back();
    QCOMPARE(question.text, "确定要删除 " + w->Node("_" + QString::number(a1))->Text() + " 的常用资料笔记吗？");
    QCOMPARE(question.title, QString("确认删除"));
    QCOMPARE(question.buttons, platform::MsgButtons::YesNo);
    QCOMPARE(question.icon, platform::MsgIcon::Question);

    // A note: its result item goes, the category stays, the count drops by one.
    env_->ui.msgAnswers = {MsgResult::Yes};
    w->LabDelete_Click();
    QVERIFY(!w->Node("_" + QString::number(a1)));
    QCOMPARE(ResultKeys(*w), QStringList({"_" + QString::number(a2), "_" + QString::number(b1)}));
    QCOMPARE(w->RecordCount(), 3);
    QCOMPARE(w->LabTitle->Caption(), QString("常用资料笔记[3]"));

    // A category: all its notes leave the data set, the tree and the result list.
    SetCurrent(*w, w->Node("c水果"));
    env_->ui.msgAnswers = {MsgResult::Yes};
    w->LabDelete_Click();
    QCOMPARE(env_->ui.Messages().back().text, QString("确定要删除 水果 分类下的常用资料笔记吗？"));
    QVERIFY(!w->Node("c水果") && !w->Node("_" + QString::number(a2)));
    QCOMPARE(ResultKeys(*w), QStringList({"_" + QString::number(b1)}));
    QCOMPARE(w->RecordCount(), 2);
    datastore::RowSetPtr rs = db().Notes_GetRecordSet("水果");
    QVERIFY(rs && rs->Eof());

    // The only note of a category takes the category with it.
    SetCurrent(*w, w->Node("_" + QString::number(b1)));
    env_->ui.msgAnswers = {MsgResult::Yes};
    w->LabDelete_Click();
    QVERIFY(!w->Node("c植物"));
    QCOMPARE(Children(w->Root()), QStringList({"家具"}));
    QCOMPARE(w->RecordCount(), 1);
    QVERIFY(ResultKeys(*w).isEmpty());
    for (const auto& m : env_->ui.Messages()) QVERIFY(m.title != "发生错误");
  }

  void keywordSearchFoldsTheCaseOfEveryAlphabet() {
    AddNote("ΣΟΦΊΑ", "", "希腊");
    AddNote("𐐀 Deseret", "", "其他");
    AddNote("ẞ", "", "其他");
    auto w = Open();
    for (const char* word : {"σοφία", "𐐨", "ß"}) {
      Search(*w, QString::fromUtf8(word));
      QCOMPARE(w->ResultCount(), 1);
    }
  }

  void keywordSearchAndHistory() {
    AddNote("Hello World", "", "Greeting");
    AddNote("其他", "hello again", "杂项");
    AddNote("无关", "", "Hello类");
    auto w = Open();

    // Case-insensitive, over record nodes only; the first hit is selected in the tree.
    Search(*w, "HELLO");
    QVERIFY(!w->ListView1->isHidden());
    QCOMPARE(w->ResultCount(), 2);
    QCOMPARE(w->ListView1->model()->index(0, 0).data().toString(), "Greeting > " + w->Root()->Child(0)->Child(0)->Text());
    QCOMPARE(w->CurrentNode(), w->Root()->Child(0)->Child(0));
    QCOMPARE(w->ListView1->model()->headerData(0, Qt::Horizontal).toString(), QString("查询结果 "));
    QVERIFY(w->TreeView1->geometry().top() > w->ListView1->geometry().bottom());

    // The placeholder is searched as ordinary text: no hit, empty list, history unchanged.
    Search(*w, "请在这里输入查找的关键字...");
    QVERIFY(!w->ListView1->isHidden());
    QCOMPARE(w->ResultCount(), 0);
    QCOMPARE(w->Combo1->count(), 1);

    // Emptying the box hides the list and moves the tree up.
    w->Combo1->setEditText("");
    QVERIFY(w->ListView1->isHidden());
    QCOMPARE(w->TreeView1->geometry().top(), w->Combo1->geometry().bottom() + 1 + platform::TwipsToPixels(50));

    // A duplicate stands once; twelve searches keep the ten newest.
    Search(*w, "HELLO");
    QCOMPARE(w->Combo1->count(), 1);
    for (int i = 0; i < 12; ++i) AddNote("kw" + QString::number(i), "", "Greeting");
    w->ReloadTree();
    for (int i = 0; i < 12; ++i) Search(*w, "kw" + QString::number(i));
    QCOMPARE(w->Combo1->count(), 13);
    w->close();
    QCOMPARE(platform::GetSetting("Notes", "Down1"), QString("kw11"));
    QCOMPARE(platform::GetSetting("Notes", "Down10"), QString("kw2"));
    QCOMPARE(platform::GetSetting("Notes", "Down11", "none"), QString("none"));
    w.reset();

    auto again = Open();
    QCOMPARE(again->Combo1->count(), 10);
    QCOMPARE(again->Combo1->itemText(0), QString("kw2"));
    QCOMPARE(again->Combo1->itemText(9), QString("kw11"));
    QCOMPARE(again->Combo1->currentText(), QString("请在这里输入查找的关键字..."));

    // Choosing an entry searches at once.
    again->Combo1->setCurrentIndex(0);
    emit again->Combo1->activated(0);
    QCOMPARE(ResultKeys(*again).size(), 1);
    QVERIFY(again->ListView1->model()->index(0, 0).data().toString().startsWith("Greeting > kw2 "));
  }

  void resultsComeInTheOrderTheRecordsWereAdded() {
    const qint64 a = AddNote("a hit", "", "Z组");
    const qint64 b = AddNote("b hit", "", "A组");
    const qint64 c = AddNote("c hit", "", "Z组");
    auto w = Open();
    const auto key = [](qint64 id) { return "_" + QString::number(id); };
    // Title order across the groups, not the tree's group order.
    Search(*w, "hit");
    QCOMPARE(ResultKeys(*w), QStringList({key(a), key(b), key(c)}));
    // A reloaded group's records were added last.
    w->LoadTree("Z组");
    Search(*w, "hit");
    QCOMPARE(ResultKeys(*w), QStringList({key(b), key(a), key(c)}));
  }

  void wholeTreeLoadKeepsTheTitleOrder() {
    // Read in storage order and placed by rank: letter case, equal titles (by id) and a gap.
    for (const char* title : {"b hit", "B hit", "a hit", "b hit", "A hit", "甲 hit", "b hit"}) AddNote(title, "", "组");
    AddNote("D hit", "", "组2");
    db().Notes_Delete(AddNote("c hit", "", "组2"));
    AddNote("c hit", "", "组2");
    QStringList expected;
    QHash<QString, QStringList> groups;
    for (datastore::RowSetPtr rs = db().Notes_GetRecordSet(); !rs->Eof(); rs->MoveNext()) {
      expected << "_" + rs->Fields("notesid").toString();
      groups[rs->Fields("notesclass").toString()] << expected.last();
    }
    auto w = Open();
    for (const QString& group : groups.keys()) {
      QStringList keys;
      for (int i = 0; i < w->Node("c" + group)->ChildCount(); ++i) keys << w->Node("c" + group)->Child(i)->Key();
      QCOMPARE(keys, groups[group]);
    }
    Search(*w, "HIT");
    QCOMPARE(ResultKeys(*w), expected);

    // Ids far apart, as another tool may leave them: the lowest negative, the highest near 2^63.
    const qint64 low = expected.first().mid(1).toLongLong(), high = expected.last().mid(1).toLongLong();
    db().objConn.Execute("update notes set notesid=? where notesid=?", {qint64(-5), low});
    db().objConn.Execute("update notes set notesid=? where notesid=?", {std::numeric_limits<qint64>::max() - 1, high});
    expected.first() = "_-5";
    expected.last() = "_" + QString::number(std::numeric_limits<qint64>::max() - 1);
    QTest::mouseClick(w->LabRefresh, Qt::LeftButton);
    QCOMPARE(w->RecordCount(), qint64(expected.size()));
    Search(*w, "HIT");
    QCOMPARE(ResultKeys(*w), expected);
    QVERIFY(env_->ui.Messages().empty());
  }

  void colourMarksAndColourSearch() {
    const qint64 a = AddNote("甲", "", "类");
    const qint64 b = AddNote("乙", "", "类");
    const qint64 c = AddNote("丙", "", "类");
    auto w = Open();

    // Mark 乙 green; a failed or cancelled dialog changes nothing.
    SetCurrent(*w, w->Node("_" + QString::number(b)));
    env_->ui.colorAnswers = {std::nullopt, QColor(0, 255, 0)};
    w->labHas_Click();
    QCOMPARE(w->NodeBackColor(w->Node("_" + QString::number(b))), w->NodeBackColor(w->Root()));
    QTest::keyClick(w->TreeView1, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(w->NodeBackColor(w->Node("_" + QString::number(b))), QColor(0, 255, 0));
    datastore::RowSetPtr rs = db().Notes_GetModify(b);
    QCOMPARE(rs->Fields("notesstring1").toString(), QString::number(65280));
    rs.reset();

    // Colour search for green finds 乙; white finds the unmarked; the box shows the colour.
    env_->ui.colorAnswers = {QColor(0, 255, 0), QColor(255, 255, 255)};
    Search(*w, "标识颜色");
    QCOMPARE(ResultKeys(*w), QStringList({"_" + QString::number(b)}));
    QCOMPARE(w->Combo1BackColor(), QColor(0, 255, 0));
    Search(*w, "标识颜色");
    // In index order: the notes in title order (丙 before 甲).
    QCOMPARE(ResultKeys(*w), QStringList({"_" + QString::number(c), "_" + QString::number(a)}));
    QCOMPARE(platform::ColorToVb(w->Combo1BackColor()), 16777215);

    // Cancel keeps the box's colour and shows an empty list.
    env_->ui.colorAnswers = {QColor(0, 255, 0), std::nullopt};
    Search(*w, "标识颜色");
    Search(*w, "标识颜色");
    QVERIFY(!w->ListView1->isHidden());
    QCOMPARE(w->ResultCount(), 0);
    QCOMPARE(w->Combo1BackColor(), QColor(0, 255, 0));
    // A keyword search restores the window colour.
    Search(*w, "甲");
    QCOMPARE(w->Combo1BackColor(), platform::SystemWindowColor());

    // Unmarking with white stores Null and shows the root's colour again.
    SetCurrent(*w, w->Node("_" + QString::number(b)));
    env_->ui.colorAnswers = {QColor(255, 255, 255)};
    w->labHas_Click();
    QCOMPARE(w->NodeBackColor(w->Node("_" + QString::number(b))), w->NodeBackColor(w->Root()));
    rs = db().Notes_GetModify(b);
    QVERIFY(rs->Fields("notesstring1").isNull());
  }

  void keysReachTheWindowFirst() {
    AddNote("一", "", "A");
    auto w = Open();
    AddNote("二", "", "B");
    // Ctrl+R sent by the main window to the window itself reloads.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_R, Qt::ControlModifier, "r");
    QApplication::sendEvent(w.get(), &press);
    QCOMPARE(Children(w->Root()), QStringList({"A", "B"}));
    AddNote("三", "", "C");
    // From the search box too, where Ctrl+D would otherwise delete a character.
    w->Combo1->setFocus();
    w->Combo1->setEditText("abc");
    w->Combo1->lineEdit()->setCursorPosition(0);
    QTest::keyClick(w->Combo1, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(Children(w->Root()), QStringList({"A", "B", "C"}));
    QTest::keyClick(w->Combo1, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(w->Combo1, Qt::Key_D, Qt::ControlModifier);  // category A selected: asks, answer No
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(w->Combo1->currentText(), QString("abc"));
  }

  void layoutHidesTheHelpLabelWhenNarrow() {
    auto w = Open();
    QCOMPARE(w->picTop->height(), platform::TwipsToPixels(360));
    QCOMPARE(w->LabAdd->width(), qMax(platform::TwipsToPixels(540), w->LabAdd->sizeHint().width()));
    QCOMPARE(w->LabAllClose->geometry().right() + 1, w->picTop->width() - platform::TwipsToPixels(100));
    QVERIFY(!w->LabAd->isHidden());
    const int markRight = w->labHas->geometry().right() + 1;
    // Just enough room: 181 twips between the mark button and the help label.
    const int needed = platform::TwipsToPixels(platform::PixelsToTwips(markRight) + 181) + w->LabAd->width() +
                       platform::TwipsToPixels(100) + platform::TwipsToPixels(100);
    w->resize(needed + 40, 400);
    QVERIFY(!w->LabAd->isHidden());
    w->resize(needed - 40, 400);
    QVERIFY(w->LabAd->isHidden());
    w->resize(needed + 40, 400);
    QVERIFY(!w->LabAd->isHidden());
    QCOMPARE(w->picFoot->geometry().bottom() + 1, 400 - platform::TwipsToPixels(50));
    QCOMPARE(w->TreeView1->geometry().bottom() + 1, w->picFoot->y() - platform::TwipsToPixels(50));
  }

  void aClosedDataSetLeavesOnlyTheRoot() {
    AddNote("一", "", "A");
    auto w = Open();
    db().CloseDataBase();
    env_->ui.Clear();
    w->ReloadTree();
    QCOMPARE(w->TreeView1->model()->rowCount(), 1);
    QCOMPARE(w->Root()->ChildCount(), 0);
    QVERIFY(!Expanded(*w, w->Root()));
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].title, QString("发生错误"));
    QVERIFY(env_->ui.Messages()[0].text.startsWith("获得资料笔记分类时发生错误，"));
    // The count is not refreshed, and the commands on the root do nothing.
    QCOMPARE(w->RecordCount(), 1);
    w->LabDelete_Click();
    w->LabModify_Click();
    w->labHas_Click();
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
  }

  void typedTextIsNeverCompletedOrReplaced() {
    const qint64 long1 = AddNote(QString("长").repeated(120), "第一行\r\n第二行", "A");
    AddNote("Hello World", "", "A");
    AddNote("help", "", "A");
    auto w = Open();
    Search(*w, "Hello World");
    // A search typed as the start of a history entry searches what was typed.
    w->Combo1->setEditText(QString());
    w->Combo1->setFocus();
    QTest::keyClicks(w->Combo1, "hel");
    QCOMPARE(w->Combo1->currentText(), QString("hel"));
    QTest::keyClick(w->Combo1, Qt::Key_Return);
    QCOMPARE(w->ResultCount(), 2);

    // Another program taking the focus leaves an emptied box empty.
    w->Combo1->setEditText(QString());
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w->Combo1, &away);
    QCOMPARE(w->Combo1->currentText(), QString());

    // A multi-line note shows on one line; its text keeps the line break.
    TreeNode* note = w->Node("_" + QString::number(long1));
    QVERIFY(note->Text().contains("第一行\r\n第二行"));
    const QString shown = w->TreeView1->model()->data(w->IndexOf(note)).toString();
    QVERIFY(shown.contains("第一行 第二行"));

    // A stored title longer than typing allows reaches the editor whole.
    SetCurrent(*w, note);
    QString title;
    {
      EditorDriver driver([&](frmNotesEdit& d) {
        title = d.txtTitle->text();
        d.cmdOk->click();
      });
      w->LabModify_Click();
      QVERIFY(driver.seen);
    }
    QCOMPARE(title, QString("长").repeated(120));
    datastore::RowSetPtr rs = db().Notes_GetModify(long1);
    QCOMPARE(rs->Fields("notestitle").toString(), QString("长").repeated(120));
  }
};

QTEST_MAIN(TestListWindowNotes)
#include "test_listwindow_notes.moc"
