// A note opened and saved again keeps its text exactly: no-break spaces, line and paragraph
// separators, lone carriage returns and a leading U+FEFF survive the editor and the data set.

#include "modules/notes/frmNotes.h"
#include "modules/notes/frmNotesEdit.h"
#include "platform/ui.h"
#include "shell/modStart.h"
#include "testenv.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// Runs `action` on the notes editor once it is shown modally.
void WhenEditorShown(std::function<void(frmNotesEdit&)> action) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    auto* editor = qobject_cast<frmNotesEdit*>(QApplication::activeModalWidget());
    if (!editor) return;
    timer->deleteLater();
    timer->stop();
    action(*editor);
  });
  timer->start(10);
}

QString StoredContent(qint64 id) {
  datastore::RowSetPtr rs = modStart::objDate().Notes_GetModify(id);
  return rs && !rs->Eof() ? rs->Fields("notescontent").toString() : QString("(none)");
}

} // namespace

class TestNotesExactText : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(); }
  void cleanup() { env_.reset(); }

  void openAndSaveKeepsTheText() {
    const QString text = QChar(0xFEFF) + QString::fromUtf16(u"网页\u00A0文字\u2028换行\u2029段落\r回车\r\n下一行\r\n");
    const qint64 id = modStart::objDate().Notes_Add("网页", text, "摘录", "");
    QCOMPARE(StoredContent(id), text);

    frmNotes w;
    w.TreeView1->setCurrentIndex(w.IndexOf(w.Node("_" + QString::number(id))));
    WhenEditorShown([](frmNotesEdit& editor) { editor.cmdOk->click(); });
    w.LabModify_Click();
    QCOMPARE(StoredContent(id), text);

    // Typing and importing keep the rest as it was; a typed Shift+Enter is a line break.
    const QString file = env_->dir.filePath("in.txt");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("\xEF\xBB\xBF" + QString::fromUtf16(u"导入\u00A0\u2029").toUtf8());  // UTF-8 with its mark
    out.close();
    env_->ui.fileAnswers.push_back(file);
    const qsizetype afterLineSeparator = text.indexOf(QChar::LineSeparator) + 1;
    WhenEditorShown([afterLineSeparator](frmNotesEdit& editor) {
      QTextCursor afterSeparator = editor.txtContent->textCursor();
      afterSeparator.setPosition(int(afterLineSeparator));
      editor.txtContent->setTextCursor(afterSeparator);
      QTest::keyClick(editor.txtContent, Qt::Key_Return, Qt::ShiftModifier);
      editor.txtContent->moveCursor(QTextCursor::End);
      QTest::keyClicks(editor.txtContent, "ab");
      QTest::keyClick(editor.txtContent, Qt::Key_Return, Qt::ShiftModifier);
      editor.cmdImp->click();
      editor.cmdOk->click();
    });
    w.LabModify_Click();
    QString typed = text + QString::fromUtf16(u"ab\r\n导入\u00A0\u2029");
    typed.insert(afterLineSeparator, "\r\n");
    QCOMPARE(StoredContent(id), typed);
  }
};

QTEST_MAIN(TestNotesExactText)
#include "test_notes_exact_text.moc"
