#include "platform/widgets/exacttext.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace platform {

namespace {

// A character the document would not keep is held as a line separator (shown as a line break,
// as that character would be) whose format names the character it stands for. A line separator
// of the text itself is held the same way; one typed (Shift+Enter) is an ordinary line break.
constexpr int kStandsFor = QTextFormat::UserProperty + 1;

bool NeedsStandIn(QChar c) {
  return c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
         c == QChar(0xFDD1);
}

void Insert(QTextCursor& cursor, const QString& text) {
  QTextCharFormat plain = cursor.charFormat();
  plain.clearProperty(kStandsFor);
  cursor.beginEditBlock();
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !NeedsStandIn(text[i])) continue;
    if (i > start) cursor.insertText(text.mid(start, i - start), plain);
    if (i < text.size()) {
      QTextCharFormat standIn = plain;
      standIn.setProperty(kStandsFor, int(text[i].unicode()));
      cursor.insertText(QString(QChar::LineSeparator), standIn);
    }
    start = i + 1;
  }
  cursor.endEditBlock();
}

// Text typed next to a stand-in would take its format, and a line separator typed there
// (Shift+Enter) would come back as the character the stand-in holds: the caret drops it.
void TypeWithoutStandIns(QPlainTextEdit* box) {
  if (box->property("exactText").toBool()) return;
  box->setProperty("exactText", true);
  QObject::connect(box, &QPlainTextEdit::cursorPositionChanged, box, [box] {
    QTextCharFormat format = box->currentCharFormat();
    // With a selection the format would be applied to the selected text.
    if (!format.hasProperty(kStandsFor) || box->textCursor().hasSelection()) return;
    format.clearProperty(kStandsFor);
    box->setCurrentCharFormat(format);
  });
}

} // namespace

void SetExactText(QPlainTextEdit* box, const QString& text) {
  TypeWithoutStandIns(box);
  box->clear();
  QTextDocument* document = box->document();
  document->setUndoRedoEnabled(false);
  QTextCursor cursor(document);
  Insert(cursor, text);
  document->setUndoRedoEnabled(true);
  document->setModified(false);
  box->moveCursor(QTextCursor::Start);
}

void InsertExactText(QPlainTextEdit* box, const QString& text) {
  TypeWithoutStandIns(box);
  QTextCursor cursor = box->textCursor();
  Insert(cursor, text);
  box->setTextCursor(cursor);
}

QString ExactText(const QPlainTextEdit* box) {
  const QTextDocument* document = box->document();
  QString text;
  text.reserve(document->characterCount());
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (block != document->begin()) text += u'\n';
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QString part = fragment.text();
      const QVariant standsFor = fragment.charFormat().property(kStandsFor);
      part.replace(QChar::LineSeparator, standsFor.isValid() ? QChar(char16_t(standsFor.toInt())) : QChar(u'\n'));
      text += part;
    }
  }
  return text;
}

} // namespace platform
