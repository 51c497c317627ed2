// A window made from the list-window base alone, over the ledger's table: day groups newest
// first, an image chosen per record and taken by its result items, the selection hook, the modify
// skeleton and the recount after a delete.

#include "modules/listwindow/EditDialog.h"
#include "modules/listwindow/IdIndex.h"
#include "modules/listwindow/WordMatcher.h"
#include "modules/listwindow/ListWindow.h"
#include "modules/listwindow/RecordTree.h"
#include "modules/listwindow/modStart.h"
#include "platform/vb.h"
#include "testenv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QStringMatcher>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <map>

using listwindow::TreeNode;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 AddEntry(const QString& date, const QString& title, double sum) {
  return db().Moneys_Add(date, "支出", title, "", 1, "份", sum, sum, "");
}

// Saves the entry it was opened on under a new date, or cancels.
class DateDialog : public listwindow::EditDialog {
public:
  DateDialog()
      : EditDialog({QStringLiteral("frmTestEdit"), QStringLiteral("Test"), QSizeF(4000, 3000), QSizeF(3900, 2600),
                    false, QString()}) {
    txtDate = new QLineEdit(this);
  }
  void cmdOk_Click() override {
    const auto id = RecordId();
    if (!id || db().Moneys_Modify(*id, txtDate->text(), "支出", title_, "", 1, "份", 1, 1) < 1) return;
    Saved(vb::Format(QVariant(txtDate->text()), "yyyy年mm月dd日"));
  }
  QLineEdit* txtDate;

protected:
  void LoadRecord(datastore::RowSet& row) override { title_ = row.Fields("moneystitle").toString(); }

private:
  QString title_;
};

class DayWindow : public listwindow::ListWindow {
public:
  static listwindow::ListWindowParams Params() {
    using datastore::clsDate;
    listwindow::ListWindowParams p;
    p.objectName = "frmTest";
    p.family = {&clsDate::Moneys_GetClass, &clsDate::Moneys_GetRecordSet, &clsDate::Moneys_GetModify, nullptr,
                &clsDate::Moneys_DeleteClass, &clsDate::Moneys_Delete, &clsDate::Moneys_ModifyColor};
    p.titleText = "测试";
    p.rootText = "所有";
    p.groupKind = listwindow::GroupKind::Day;
    p.classField = "moneysgroup";
    p.groupField = "moneysdate";
    p.idField = "moneysid";
    p.markField = "moneysstring1";
    p.images = {{"day", QIcon()}, {"plain", QIcon()}, {"big", QIcon()}};
    p.groupImageKey = "day";
    p.recordImageKey = "plain";
    p.historySection = "Test";
    p.recountAfterDelete = true;
    p.recordEnabling = {true, true, true, std::nullopt};
    return p;
  }
  DayWindow() : ListWindow(Params()) { Form_Load(); }
  std::function<void(DateDialog&)> onDialog;
  int bigImage = -1;
  int recounts = 0;
  void ShowRecordCount() override {
    ++recounts;
    ListWindow::ShowRecordCount();
  }

protected:
  QString RecordNodeText(datastore::RowSet& rs) override { return rs.Fields("moneystitle").toString(); }
  void RecordLoaded(TreeNode& node, datastore::RowSet& rs) override {
    if (rs.Fields("moneyssum").toDouble() >= 100) {
      SetNodeImage(node, "big");
      bigImage = node.Image();
    }
  }
  // The latest record of the newest day, where the design would take the newest day itself.
  TreeNode* NodeToSelect(const QString& strClass) override {
    TreeNode* node = ListWindow::NodeToSelect(strClass);
    return strClass.isEmpty() && node && node->ChildCount() ? node->Child(node->ChildCount() - 1) : node;
  }
  std::unique_ptr<listwindow::EditDialog> MakeDialog() override {
    auto dialog = std::make_unique<DateDialog>();
    QTimer::singleShot(0, dialog.get(), [this, d = dialog.get()] { onDialog(*d); });
    return dialog;
  }
};

QStringList Texts(const TreeNode* node) {
  QStringList texts;
  for (int i = 0; i < node->ChildCount(); ++i) texts << node->Child(i)->Text();
  return texts;
}

} // namespace

class TestListWindowBase : public QObject {
  Q_OBJECT
  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void dayGroupsImagesSelectionAndRecount() {
    AddEntry("2024-05-01 00:00:00", "早", 5);
    AddEntry("2024-05-03 00:00:00", "午", 150);
    const qint64 late = AddEntry("2024-05-03 18:00:00", "晚", 20);
    DayWindow w;
    QCOMPARE(Texts(w.Root()), QStringList({"2024年05月03日", "2024年05月01日"}));
    TreeNode* big = w.Node("c2024年05月03日")->Child(0);
    QVERIFY(w.bigImage >= 2);
    QCOMPARE(big->Image(), w.bigImage);
    QCOMPARE(w.Node("_" + QString::number(late))->Image(), 1);
    QCOMPARE(w.CurrentNode()->Key(), "_" + QString::number(late));

    // A result item shows its node's own image.
    w.Combo1->setEditText("午");
    w.Combo1_KeyPress(13);
    QCOMPARE(w.ResultCount(), 1);
    QCOMPARE(qvariant_cast<QIcon>(w.ListView1->model()->index(0, 0).data(Qt::DecorationRole)).cacheKey(), w.NodeIcon(big).cacheKey());

    // A record delete recounts through the window's own count.
    w.TreeView1->setCurrentIndex(w.IndexOf(big));
    env_->ui.msgAnswers.push_back(platform::MsgResult::Yes);
    const int before = w.recounts;
    w.LabDelete_Click();
    QCOMPARE(w.recounts, before + 1);
    QCOMPARE(w.RecordCount(), 2);
    QCOMPARE(w.LabTitle->Caption(), QString("测试[2]"));
  }

  void modifyMovesARecordToAnotherDay() {
    const qint64 id = AddEntry("2024-05-01 00:00:00", "早", 5);
    AddEntry("2024-05-02 00:00:00", "午", 5);
    DayWindow w;
    w.TreeView1->setCurrentIndex(w.IndexOf(w.Node("_" + QString::number(id))));
    // Cancelled: the tree stays as it was.
    int shown = 0;
    w.onDialog = [&shown](DateDialog& d) {
      ++shown;
      d.cmdCancel_Click();
    };
    w.LabModify_Click();
    QCOMPARE(shown, 1);
    QCOMPARE(Texts(w.Root()), QStringList({"2024年05月02日", "2024年05月01日"}));
    // Saved on a new day: the emptied day goes, the new day comes last, the record is reselected.
    w.onDialog = [](DateDialog& d) {
      d.txtDate->setText("2024-06-09");
      d.cmdOk_Click();
    };
    w.LabModify_Click();
    QCOMPARE(Texts(w.Root()), QStringList({"2024年05月02日", "2024年06月09日"}));
    QCOMPARE(w.CurrentNode()->Key(), "_" + QString::number(id));
    QCOMPARE(w.RecordCount(), 2);
    // A record deleted behind the window opens no dialog.
    db().Moneys_Delete(id);
    w.onDialog = [](DateDialog&) { QFAIL("no dialog for a deleted record"); };
    w.LabModify_Click();
  }

  // The id index finds and walks every record after any mix of adds and removals, clustered ids
  // among them; a second node with a shown id neither replaces nor removes the first.
  void idIndexAgreesWithAMap() {
    listwindow::NodeModel model({});
    listwindow::IdIndex index;
    std::map<qint64, TreeNode*> expected;
    QRandomGenerator rng(7);
    const auto id = [&rng] { return qint64(rng.bounded(3000)) + (rng.bounded(4) == 0 ? qint64(1) << 40 : 0); };
    for (int step = 0; step < 30000; ++step) {
      const qint64 key = id();
      if (const auto it = expected.find(key); it != expected.end()) {
        TreeNode* twin = model.NewRecord(key, u"twin", {});
        QCOMPARE(index.Insert(twin), it->second);
        index.Erase(twin);
        model.Discard(twin);
        index.Erase(it->second);
        model.Discard(it->second);
        expected.erase(it);
      } else {
        TreeNode* node = model.NewRecord(key, u"t", {});
        QCOMPARE(index.Insert(node), nullptr);
        expected.emplace(key, node);
      }
    }
    QCOMPARE(index.Size(), qsizetype(expected.size()));
    std::map<qint64, TreeNode*> walked;  // the search walks the index: every node once
    index.ForEach([&walked](TreeNode* node) { walked.emplace(node->Id(), node); });
    QCOMPARE(walked, expected);
    for (int i = 0; i < 10000; ++i) {
      const qint64 key = id();
      const auto it = expected.find(key);
      QCOMPARE(index.Find(key), it == expected.end() ? nullptr : it->second);
    }
    for (const auto& [key, node] : expected) model.Discard(node);
  }

  // The keyword search's matcher finds exactly what QStringMatcher ignoring case finds (contains()
  // for a word with surrogates): every unit against words whose first unit folds in several
  // ways, and random mixes of letters, Chinese, surrogate pairs and lone surrogates.
  void wordMatcherFindsWhatQtFinds() {
    const auto qt = [](const QString& word, const QString& text) {
      const bool surrogates = std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isSurrogate(); });
      return surrogates ? text.contains(word, Qt::CaseInsensitive)
                        : QStringMatcher(word, Qt::CaseInsensitive).indexIn(text) >= 0;
    };
    for (const char16_t* chars : {u"k", u"S", u"ß", u"Σ", u"ǅ", u"İ", u"中"}) {
      const QString word = QString::fromUtf16(chars);
      const listwindow::WordMatcher matcher(word);
      const QStringMatcher reference(word, Qt::CaseInsensitive);
      for (char32_t u = 0; u < 0x10000; ++u) {
        const QString text{QChar(char16_t(u))};
        if (matcher.Matches(text) != (reference.indexIn(text) >= 0)) QFAIL(qPrintable(word + " U+" + QString::number(u, 16)));
      }
    }
    const QString units = QStringLiteral("abkKsSſ\u212Aσςß中针线 |") + QString::fromUcs4(U"\U00010400\U00010428") +
                          QChar(0xD800) + QChar(0xDC00);
    QRandomGenerator rng(11);
    const auto pick = [&](int n) {
      QString text;
      for (int i = 0; i < n; ++i) text += units[rng.bounded(int(units.size()))];
      return text;
    };
    for (int round = 0; round < 20000; ++round) {
      const QString text = pick(rng.bounded(40));
      QString word = rng.bounded(2) && !text.isEmpty() ? text.mid(rng.bounded(int(text.size())), 1 + rng.bounded(4))
                                                       : pick(1 + rng.bounded(3));
      if (rng.bounded(2)) word = word.toUpper();
      if (listwindow::WordMatcher(word).Matches(text) != qt(word, text)) QFAIL(qPrintable(word + " in " + text));
    }
  }

  // The search over a whole tree (which reads the nodes' memory as it lies while none is freed)
  // finds the records whose own text holds the word, in the order they were added: not a word in
  // a tag, nor one that only two neighbours' texts make together; the same after removals and
  // after a reload into the memory of the tree before.
  void treeSearchFindsEachTextHoldingTheWord() {
    listwindow::NodeModel model({});
    listwindow::RecordTree tree(&model);
    QRandomGenerator rng(13);
    const QString units = QStringLiteral("abnNeE针线鲸 ");
    const auto pick = [&](int n) {
      QString text;
      for (int i = 0; i < n; ++i) text += units[rng.bounded(int(units.size()))];
      return text;
    };
    const auto load = [&] {
      tree.Reset(QStringLiteral("所有"));
      tree.AddGroups({QStringLiteral("甲"), QStringLiteral("乙")});
      listwindow::RecordTree::Batch batch(tree);
      for (qint64 id = 1; id <= 3000; ++id) {
        TreeNode* group = tree.GroupNode(rng.bounded(2) ? QStringLiteral("甲") : QStringLiteral("乙"));
        batch.Add(group, id, pick(rng.bounded(60)), pick(rng.bounded(3) ? 0 : 12), id * 7919 % 3001);  // ranks unique
      }
    };
    const auto check = [&] {
      for (const QString& word : {QStringLiteral("ne"), QStringLiteral("NEEN"), QStringLiteral("针线"), QStringLiteral("鲸"),
                                  QStringLiteral("a b"), QStringLiteral("nnnnnnnnnn")}) {
        const listwindow::WordMatcher matcher(word);
        const auto expected = tree.FindRecords([&](const TreeNode* node) {
          return node->TextView().contains(word, Qt::CaseInsensitive);
        });
        if (tree.FindText(matcher) != expected) QFAIL(qPrintable(word));
      }
    };
    load();
    check();
    for (int i = 0; i < 50; ++i) {
      TreeNode* group = tree.Root()->Child(rng.bounded(tree.Root()->ChildCount()));
      if (group->ChildCount() > 0) tree.RemoveRecord(group->Child(rng.bounded(group->ChildCount())));
    }
    check();
    load();
    check();
  }
};

QTEST_MAIN(TestListWindowBase)
#include "test_listwindow_base.moc"
