// What a user reads in the notes list window when a note's text has line breaks: the search
// result list and the delete question, one line per note as the tree shows it.

#include "modules/notes/frmNotes.h"
#include "platform/ui.h"
#include "shell/modStart.h"
#include "testenv.h"

#include <QComboBox>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {

const QString kLines = QString::fromUtf16(u"第一行\r\n第二行\r\n\r\n第四行\u2028第五行\u2029第六行");

qint64 AddNote(const QString& title, const QString& content) {
  return modStart::objDate().Notes_Add(title, content, "工作", "");
}

// The share of a rectangle's pixels drawn in about one colour (text is smoothed at its edges).
double Share(const QImage& image, const QRect& rect, const QColor& color, int tolerance) {
  qint64 near = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      near += qAbs(c.red() - color.red()) <= tolerance && qAbs(c.green() - color.green()) <= tolerance &&
              qAbs(c.blue() - color.blue()) <= tolerance;
    }
  return double(near) / double(rect.width() * rect.height());
}

} // namespace

class TestListWindowLines : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

  std::unique_ptr<frmNotes> Open() {
    auto w = std::make_unique<frmNotes>();
    w->resize(900, 600);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) qWarning("window not exposed");
    return w;
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void resultListIsReadable() {
    AddNote("笔记一", kLines);
    AddNote("笔记二", "一行");
    auto w = Open();
    w->Combo1->setEditText("笔记");
    QTest::keyClick(w->Combo1, Qt::Key_Return);
    QTreeWidget* list = w->ListView1;
    QCOMPARE(list->topLevelItemCount(), 2);

    // Each hit on one line: the second one is not pushed out of the list by the first.
    const QRect first = list->visualItemRect(list->topLevelItem(0));
    const QRect second = list->visualItemRect(list->topLevelItem(1));
    QVERIFY(first.height() < 2 * list->fontMetrics().lineSpacing());
    QVERIFY(list->viewport()->rect().contains(second));
    const auto* node = w->Node(static_cast<listwindow::ResultItem*>(list->topLevelItem(0))->Key);
    const QString treeShows = w->TreeView1->model()->data(w->IndexOf(node)).toString();
    const auto* delegate = qobject_cast<QStyledItemDelegate*>(list->itemDelegate());
    QCOMPARE(delegate->displayText(list->topLevelItem(0)->text(0), QLocale()), "工作 > " + treeShows);

    // The selected hit is drawn on the selection colour, so its (selection-coloured) text shows.
    QVERIFY(list->topLevelItem(0)->isSelected());
    const QImage image = list->viewport()->grab().toImage();
    const QRect textArea = first.adjusted(list->iconSize().width() + 8, 2, -2, -2);
    const QPalette& pal = list->palette();
    QVERIFY(Share(image, textArea, pal.color(QPalette::Highlight), 0) > 0.5);
    QVERIFY(Share(image, textArea, pal.color(QPalette::HighlightedText), 64) > 0.02);
  }

  void deleteQuestionShowsTheNodeAsTheTreeDoes() {
    const qint64 id = AddNote("笔记一", kLines);
    auto w = Open();
    const listwindow::TreeNode* node = w->Node("_" + QString::number(id));
    const QString shown = w->TreeView1->model()->data(w->IndexOf(node)).toString();
    QCOMPARE(shown, QString::fromUtf16(u"笔记一 ") + node->Text().mid(4, 10) +
                        QString::fromUtf16(u"（第一行 第二行  第四行 第五行 第六行）"));

    w->TreeView1->setCurrentIndex(w->IndexOf(node));
    env_->ui.msgAnswers = {platform::MsgResult::No};
    w->LabDelete_Click();
    QCOMPARE(env_->ui.Messages().back().text, "确定要删除 " + shown + " 的常用资料笔记吗？");
  }
};

QTEST_MAIN(TestListWindowLines)
#include "test_listwindow_lines.moc"
