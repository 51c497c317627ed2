#pragma once
// The shared helpers of the start-up module and the run's one data-store object.

#include "datastore/clsDate.h"

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

namespace modStart {

// The one data-store object of the run, made at its first use.
datastore::clsDate& objDate();

// The main window registers itself here; HideMainForm/ShowMainForm move it.
void SetMainForm(QWidget* mainForm);
QWidget* MainForm();
// The main window records its Top (in pixels) at every move or resize in the normal state.
void RecordMainTop(int top);

// Around modal edit dialogs: when the main window is in the normal state and the option
// "HideMain" is "True", moves it off the screen (Top = -(Height + 100)) and back.
void HideMainForm();
void ShowMainForm();

// Opens a web address with the desktop's handler; an empty one opens the program's home page.
void OpenWebPage(QString Url);

// Keeps frm above other windows; with CheckOption only when the setting "Most" reads "True".
void SetTopMost(QWidget* frm, bool CheckOption);

// A byte count as "#0.00" with " 字节", " KB", " MB" or " GB".
QString FormatFileSize(double Size);

// Enter (and Shift+Enter) in a single-line field moves the focus to the next field instead;
// Ctrl+Enter and Alt+Enter pass.
void EnterToTab(QWidget* field);
// Selects a text box's whole text; SelectAllOnFocus does it whenever the box gets the focus.
void SelectAllText(QLineEdit* txt);
void SelectAllOnFocus(QLineEdit* txt);

// Trims blanks and cuts a text longer than 200 characters to 200 followed by " ..." (199 when
// the 200th would split a surrogate pair).
QString ShortenText(const QString& Text);
// The cut of ShortenText for a text already trimmed: how many characters stay, or -1 when the
// text is short enough to stay whole.
qsizetype ShortenedLength(QStringView trimmed);

// Node texts are built for every record of a load straight from the row's UTF-8 into a buffer.
// AppendUtf8 decodes a field from its first byte (a leading U+FEFF is text, not a byte-order
// mark) into room for Utf8Room(bytes) units; AppendExcerpt writes ShortenText of a field into
// room for ExcerptRoom(bytes) units.
qsizetype Utf8Room(QByteArrayView bytes);
QChar* AppendUtf8(QChar* out, QByteArrayView bytes);
qsizetype ExcerptRoom(QByteArrayView bytes);
QChar* AppendExcerpt(QChar* out, QByteArrayView bytes);

} // namespace modStart
