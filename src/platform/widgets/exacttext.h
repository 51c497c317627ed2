#pragma once
// The text of a plain-text box, given back exactly as it was set or typed. QPlainTextEdit's own
// toPlainText() turns no-break spaces into blanks and line and paragraph separators into line
// breaks, and its document can hold a paragraph separator or a lone carriage return only as a
// line break; a note opened and saved again must not change.

#include <QString>

class QPlainTextEdit;

namespace platform {

// Shows `text` ("\n" for a line break) in the box in place of what it held, with the caret at
// the start and nothing to undo.
void SetExactText(QPlainTextEdit* box, const QString& text);
// Inserts `text` at the caret, replacing the selection, as one step to undo.
void InsertExactText(QPlainTextEdit* box, const QString& text);
// The box's text: "\n" for each line break typed or set, every other character as set or typed.
QString ExactText(const QPlainTextEdit* box);

} // namespace platform
