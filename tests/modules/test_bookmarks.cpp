// The bookmarks window and dialog driven offscreen: node texts and the address tag, the go
// command from every kind of node, the dialog's checks and duplicate titles, the address focus
// rule.

#include "modules/bookmarks/frmUrl.h"
#include "modules/bookmarks/frmUrlEdit.h"
#include "modules/listwindow/modStart.h"
#include "platform/ui.h"
#include "testenv.h"
#include "driver.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 AddUrl(const QString& title, const QString& address, const QString& memo, const QString& cls) {
  return db().Url_Add(title, address, memo, cls, "");
}

struct Bookmark {
  QString title, address, memo, cls;
  bool operator==(const Bookmark&) const = default;
};

std::vector<Bookmark> Bookmarks() {
  std::vector<Bookmark> all;
  for (datastore::RowSetPtr rs = db().Url_GetRecordSet(); rs && !rs->Eof(); rs->MoveNext())
    all.push_back({rs->Fields("urltext").toString(), rs->Fields("urladdress").toString(),
                   rs->Fields("urlmemo").toString(), rs->Fields("urlclass").toString()});
  return all;
}

// A user's double-click: a click, then the second press.
void DoubleClick(QWidget* viewport, const QRect& rect) {
  QTest::mouseClick(viewport, Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, rect.center());
}

} // namespace

class TestBookmarks : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmUrl> OpenWindow() { return Shown(std::make_unique<frmUrl>()); }

  std::unique_ptr<frmUrlEdit> OpenDialog(std::optional<qint64> id = std::nullopt) {
    auto d = std::make_unique<frmUrlEdit>();
    if (id) {
      datastore::RowSetPtr rs = db().Url_GetModify(*id);
      d->Modify(*id, *rs);
    }
    return Active(std::move(d));
  }

  static void Fill(frmUrlEdit& d, const QString& title, const QString& address, const QString& memo,
                   const QString& cls) {
    d.txtTitle->setText(title);
    d.txtAddress->setText(address);
    d.SetContent(memo);
    d.cobClass->setCurrentText(cls);
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void nodeTextsKeepTheAddressInTheTag() {
    const qint64 bare = AddUrl("无描述", "http://a.example", "", "工具");
    const qint64 longMemo = AddUrl("长", "b.example", "  " + QString(230, QChar(u'字')) + " ", "工具");
    const qint64 blanks = AddUrl("空白", "http://", "    ", "工具");
    const qint64 lines = AddUrl("多行", "c", "第一行\r\n第二行", "新闻");
    db().objConn.Execute("update url set urlmemo=null where urlid=?", {bare});
    auto w = OpenWindow();

    QCOMPARE(w->Node(Key(bare))->Text(), QString("无描述 （http://a.example） "));
    QCOMPARE(w->Node(Key(longMemo))->Text(), "长 （b.example） " + QString(200, QChar(u'字')) + " ...");
    QCOMPARE(w->Node(Key(blanks))->Text(), QString("空白 （http://） "));
    QVERIFY(w->Node(Key(lines))->Text().startsWith("多行 （c） 第一行"));
    QCOMPARE(w->Node(Key(bare))->Tag(), QString("http://a.example"));
    QCOMPARE(w->Node(Key(blanks))->Tag(), QString("http://"));
    // A category selected: modify and delete on, go and mark off.
    QCOMPARE(w->CurrentNode(), w->Node("c工具"));
    QVERIFY(w->LabModify->isEnabled() && w->LabDelete->isEnabled());
    QVERIFY(!w->LabGoto->isEnabled() && !w->labHas->isEnabled());
  }

  void goCommandOpensOnlyABookmarksStoredAddress() {
    // An empty data set: only the root, every record command off.
    auto w = OpenWindow();
    QCOMPARE(w->LabTitle->Caption(), QString("网址收藏管理[0]"));
    QVERIFY(!w->LabModify->isEnabled() && !w->LabDelete->isEnabled());
    QVERIFY(!w->LabGoto->isEnabled() && !w->labHas->isEnabled());

    const qint64 id = AddUrl("示例", "example.org/页面?a=1", "", "工具");
    const qint64 bare = AddUrl("空", "http://", "", "工具");
    w->ReloadTree();

    // Root and category: Ctrl+G, the button and a double-click do nothing.
    for (const QString& key : {QString("a0"), QString("c工具")}) {
      w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(key)));
      QTest::keyClick(w->TreeView1, Qt::Key_G, Qt::ControlModifier);
      w->LabGoto_Click();
      w->TreeView1_DblClick();
    }
    QVERIFY(env_->ui.Opened().isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    // A bookmark: enabled commands, and the address goes out unchanged, even a bare "http://".
    w->TreeView1->setCurrentIndex(w->IndexOf(w->Node(Key(id))));
    QVERIFY(w->LabGoto->isEnabled() && w->labHas->isEnabled());
    QTest::keyClick(w->TreeView1, Qt::Key_G, Qt::ControlModifier);
    QTest::mouseClick(w->LabGoto, Qt::LeftButton);
    DoubleClick(w->TreeView1->viewport(), w->TreeView1->visualRect(w->IndexOf(w->Node(Key(bare)))));
    QCOMPARE(env_->ui.Opened(), QStringList({"example.org/页面?a=1", "example.org/页面?a=1", "http://"}));

    // Through the search list: a double-clicked result opens its bookmark.
    env_->ui.Clear();
    w->Combo1->setEditText("示例");
    QTest::keyClick(w->Combo1, Qt::Key_Return);
    const QModelIndex hit = w->ListView1->model()->index(0, 0);
    QVERIFY(hit.isValid());
    DoubleClick(w->ListView1->viewport(), w->ListView1->visualRect(hit));
    QCOMPARE(env_->ui.Opened(), QStringList({"example.org/页面?a=1"}));
  }

  void addressFocusRuleAndGoButton() {
    auto d = OpenDialog();
    QCOMPARE(d->txtAddress->text(), QString("http://"));
    d->txtTitle->setFocus();
    QTest::keyClick(d->txtTitle, Qt::Key_Tab);
    QTRY_VERIFY(d->txtAddress->hasFocus());
    QTest::qWait(20);
    QVERIFY(!d->txtAddress->hasSelectedText());
    QCOMPARE(d->txtAddress->cursorPosition(), 7);

    // Ten characters: caret at the end; eleven: the whole text selected.
    for (const QString& text : {QString("http://abc"), QString("http://abcd")}) {
      d->txtAddress->setText(text);
      d->txtTitle->setFocus();
      d->txtAddress->setFocus(Qt::TabFocusReason);
      QTest::qWait(20);
      QCOMPARE(d->txtAddress->selectedText(), text.size() > 10 ? text : QString());
      QCOMPARE(d->txtAddress->cursorPosition(), int(text.size()));
    }

    // Enter in a single-line field moves nowhere.
    d->txtTitle->setFocus();
    QTest::keyClick(d->txtTitle, Qt::Key_Return);
    QVERIFY(d->txtTitle->hasFocus());

    // The go button refuses an empty or bare address, opens any other.
    for (const QString& text : {QString(), QString("http://")}) {
      d->txtAddress->setText(text);
      env_->ui.Clear();
      d->cmdGoto->click();
      QCOMPARE(env_->ui.Messages().size(), size_t(1));
      QCOMPARE(env_->ui.Messages()[0].text, QString("您没有输入收藏地址，无法转到浏览。"));
      QCOMPARE(env_->ui.Messages()[0].title, QString("条件不足"));
      QVERIFY(env_->ui.Opened().isEmpty());
    }
    d->txtAddress->setText("http://x");
    d->cmdGoto->click();
    QCOMPARE(env_->ui.Opened(), QStringList{"http://x"});
    QVERIFY(Bookmarks().empty());
  }

  void okChecksInOrderAndSavesAsTyped() {
    auto d = OpenDialog();
    const auto refused = [&](const QString& text) {
      env_->ui.Clear();
      QTest::keyClick(d->txtContent, Qt::Key_Return, Qt::ControlModifier);
      QCOMPARE(env_->ui.Messages().size(), size_t(1));
      QCOMPARE(env_->ui.Messages()[0].text, text);
      QVERIFY(d->isVisible());
      QVERIFY(d->SavedClass.isEmpty());
    };
    Fill(*d, "   ", "", "", "");
    refused("条件不足：[收藏标题] 不允许为空，请您输入！");
    Fill(*d, "标题", "http://\"q\"", "", "");
    refused("存在特殊符号：[收藏网址] 存在双引号，请删除双引号继续！");
    Fill(*d, "标题", "http://", "", "");
    refused("条件不足：[收藏分类] 不允许为空，请您输入！");
    QVERIFY(d->cobClass->hasFocus());

    // A bare address and a category of blanks are saved as typed; the description keeps CR LF.
    Fill(*d, " 标题 ", "http://", "一\n二", "  ");
    QTest::keyClick(d->txtTitle, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!d->isVisible());
    QCOMPARE(d->SavedClass, QString("  "));
    QCOMPARE(Bookmarks(), (std::vector<Bookmark>{{" 标题 ", "http://", "一\r\n二", "  "}}));

    // The next new bookmark starts with that category; Esc saves nothing.
    d = OpenDialog();
    QCOMPARE(d->cobClass->currentText(), QString("  "));
    QTest::keyClick(d->txtTitle, Qt::Key_Escape);
    QVERIFY(!d->isVisible() && d->SavedClass.isEmpty());
    QCOMPARE(Bookmarks().size(), size_t(1));
  }

  void duplicateTitlesIgnoreLetterCaseButNotTheBookmarkItself() {
    const qint64 own = AddUrl("Abc", "a", "", "c");
    db().objConn.Execute("update url set urlmemo=null where urlid=?", {own});
    // A new title equal to another but for letter case is refused.
    auto d = OpenDialog();
    Fill(*d, "aBC", "b", "", "c");
    d->cmdOk->click();
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].text, QString("收藏标题 aBC 已经存在，请您重新输入。"));
    QCOMPARE(env_->ui.Messages()[0].title, QString("收藏标题重复"));
    QVERIFY(d->txtTitle->hasFocus());

    // Changing only the letter case of its own title is a change, and not a duplicate of itself.
    env_->ui.Clear();
    d = OpenDialog(own);
    QCOMPARE(d->txtTitle->text(), QString("Abc"));
    QCOMPARE(d->txtAddress->text(), QString("a"));
    QCOMPARE(d->txtContent->toPlainText(), QString());  // a Null description
    QCOMPARE(d->cobClass->currentText(), QString("c"));
    d->txtTitle->setText("ABC");
    d->cmdOk->click();
    QVERIFY(env_->ui.Messages().empty());
    QCOMPARE(Bookmarks().at(0).title, QString("ABC"));

    // With a namesake stored behind the dialog's back (an import checks nothing): an untouched
    // title runs no test, a case change does, and meets the namesake.
    AddUrl("abc", "b", "", "c");
    d = OpenDialog(own);
    d->txtAddress->setText("a2");
    d->cmdOk->click();
    QVERIFY(env_->ui.Messages().empty());
    d = OpenDialog(own);
    d->txtTitle->setText("Abc");
    d->cmdOk->click();
    QCOMPARE(env_->ui.Messages().size(), size_t(1));
    QCOMPARE(env_->ui.Messages()[0].title, QString("收藏标题重复"));
    QVERIFY(d->isVisible());
  }
};

QTEST_MAIN(TestBookmarks)
#include "test_bookmarks.moc"
