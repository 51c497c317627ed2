// A note's text as the user reads and saves it: one line per note in the search results and the
// delete question, and every character kept when a note is opened and saved again.

#include "modules/notes/frmNotes.h"
#include "modules/notes/frmNotesEdit.h"
#include "platform/ui.h"
#include "modules/listwindow/modStart.h"
#include "modules/listwindow/OneLine.h"
#include "filebytes.h"
#include "testenv.h"
#include "driver.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTreeView>
#include <memory>

namespace {

qint64 AddNote(const QString& title, const QString& content) {
  return modStart::objDate().Notes_Add(title, content, "工作", "");
}

QString StoredContent(qint64 id) {
  datastore::RowSetPtr rs = modStart::objDate().Notes_GetModify(id);
  return rs && !rs->Eof() ? rs->Fields("notescontent").toString() : QString("(none)");
}

} // namespace

class TestNotesText : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;
  const QString lines_ = QString::fromUtf16(u"第一行\r\n第二行\r\n\r\n第四行\u2028第五行\u2029第六行");

  std::unique_ptr<frmNotes> Open() { return Shown(std::make_unique<frmNotes>()); }

  QString TreeShows(const frmNotes& w, const listwindow::TreeNode* node) {
    return w.TreeView1->model()->data(w.IndexOf(node)).toString();
  }

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void resultListIsReadable() {
    const qint64 id = AddNote("笔记一", lines_);
    AddNote("笔记二", "一行");
    auto w = Open();
    w->Combo1->setEditText("笔记");
    QTest::keyClick(w->Combo1, Qt::Key_Return);
    QTreeView* list = w->ListView1;
    QCOMPARE(w->ResultCount(), 2);
    const QModelIndex hit = list->model()->index(0, 0);

    // Each hit on one line, as the tree shows it: the second is not pushed out of the list.
    const QRect first = list->visualRect(hit);
    QVERIFY(first.height() < 2 * list->fontMetrics().lineSpacing());
    QVERIFY(list->viewport()->rect().contains(list->visualRect(list->model()->index(1, 0))));
    const auto* delegate = qobject_cast<QStyledItemDelegate*>(list->itemDelegate());
    QCOMPARE(delegate->displayText(hit.data(), QLocale()),
             "工作 > " + TreeShows(*w, w->Node("_" + QString::number(id))));

    // The selected hit is drawn on the selection colour, under its selection-coloured text.
    QVERIFY(list->selectionModel()->isSelected(hit));
    const QImage image = list->viewport()->grab().toImage();
    const QColor highlight = list->palette().color(QPalette::Highlight);
    const QRect text = first.adjusted(list->iconSize().width() + 8, 2, -2, -2);
    int same = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
      for (int x = text.left(); x <= text.right(); ++x) same += image.pixelColor(x, y) == highlight;
    QVERIFY(same > text.width() * text.height() / 2);

    // Every row is as tall as a Chinese line, a Latin one too (the first row may be Latin), and
    // fitting the column to its contents makes room for the whole first hit.
    QStandardItemModel rows;
    rows.appendRow({new QStandardItem("Greeting > hello"), new QStandardItem("工作 > 你好")});
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.widget = list;
    const auto* lines = static_cast<const listwindow::OneLineGridDelegate*>(delegate);
    QCOMPARE(lines->sizeHint(option, rows.index(0, 0)).height(), lines->sizeHint(option, rows.index(0, 1)).height());
    QVERIFY(lines->sizeHint(option, rows.index(0, 0)).height() >= lines->TextSizeHint(option, rows.index(0, 1)).height());
    list->resizeColumnToContents(0);
    QVERIFY(list->columnWidth(0) >= list->fontMetrics().horizontalAdvance(hit.data().toString()));
  }

  void deleteQuestionShowsTheNodeAsTheTreeDoes() {
    const qint64 id = AddNote("笔记一", lines_);
    auto w = Open();
    const listwindow::TreeNode* node = w->Node("_" + QString::number(id));
    const QString shown = TreeShows(*w, node);
    QVERIFY(shown.endsWith(QString::fromUtf16(u"（第一行 第二行  第四行 第五行 第六行）")));
    w->TreeView1->setCurrentIndex(w->IndexOf(node));
    env_->ui.msgAnswers = {platform::MsgResult::No};
    w->LabDelete_Click();
    QCOMPARE(env_->ui.Messages().back().text, "确定要删除 " + shown + " 的常用资料笔记吗？");
  }

  void openAndSaveKeepsTheText() {
    const QString text = QChar(0xFEFF) + QString::fromUtf16(u"网页\u00A0文字\u2028换行\u2029段落\r回车\r\n下一行\r\n");
    const qint64 id = AddNote(QChar(0xFEFF) + QString("网页"), text);
    QCOMPARE(StoredContent(id), text);
    frmNotes w;
    // The tree shows the leading U+FEFF of the title and of the excerpt as stored.
    QVERIFY(w.Node("_" + QString::number(id))->Text().startsWith(QChar(0xFEFF) + QString("网页 ")));
    QVERIFY(w.Node("_" + QString::number(id))->Text().contains(QString(u'（') + QChar(0xFEFF)));
    w.TreeView1->setCurrentIndex(w.IndexOf(w.Node("_" + QString::number(id))));
    ModalDriver<frmNotesEdit> save([](frmNotesEdit& editor) { editor.cmdOk->click(); });
    w.LabModify_Click();
    QCOMPARE(StoredContent(id), text);

    // Typed line breaks (even next to a kept separator) and an imported file keep the rest.
    const QString file = env_->dir.filePath("in.txt");
    QVERIFY(WriteBytes(file, "\xEF\xBB\xBF" + QString::fromUtf16(u"导入\u00A0\u2029").toUtf8()));  // UTF-8, marked
    env_->ui.fileAnswers.push_back(file);
    const qsizetype afterSeparator = text.indexOf(QChar::LineSeparator) + 1;
    ModalDriver<frmNotesEdit> typeAndImport([afterSeparator](frmNotesEdit& editor) {
      QTextCursor cursor = editor.txtContent->textCursor();
      cursor.setPosition(int(afterSeparator));
      editor.txtContent->setTextCursor(cursor);
      QTest::keyClick(editor.txtContent, Qt::Key_Return, Qt::ShiftModifier);
      editor.txtContent->moveCursor(QTextCursor::End);
      editor.cmdImp->click();
      editor.cmdOk->click();
    });
    w.LabModify_Click();
    QCOMPARE(StoredContent(id), QString(text).insert(afterSeparator, "\r\n") + QString::fromUtf16(u"导入\u00A0\u2029"));
  }
};

QTEST_MAIN(TestNotesText)
#include "test_notes_text.moc"
