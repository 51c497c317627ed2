#pragma once
// The pieces the module windows and their dialogs build alike: the grey bars and their
// label-buttons, the search box with its history of ten entries, the line and multi-line text
// boxes, the tab order, the highlight of a list without the focus, and the find that offers to
// start over from the top.

#include "modules/listwindow/LabelButton.h"

#include <QString>
#include <initializer_list>

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPixmap;
class QPlainTextEdit;
class QWidget;

namespace listwindow {

QFrame* MakeBar(QWidget* parent, const QString& name);
// A label-button on a bar, `left` in twips.
LabelButton* MakeBarButton(QWidget* bar, const QString& name, const QString& caption, int left);
// A bottom-bar command: every one has the same width.
LabelButton* MakeFootButton(QWidget* bar, const QString& name, const QString& caption, int left);
// The module's picture at the left end of the title bar.
QLabel* MakeBarImage(QWidget* bar, const QPixmap& pixmap);
// Across the window's width: the title bar at the top, the search box below it, the command bar
// at the foot.
void PlaceBars(const QWidget* window, QFrame* top, QComboBox* box, QFrame* foot);
// The address label at the right end of its bar, shown only where it clears `last`, the last
// command.
void PlaceAd(LabelButton* ad, const QWidget* last);

// An editable box showing the placeholder, with its history as the items.
QComboBox* MakeSearchBox(QWidget* parent);
// The history is kept under `section` as "Down1" (newest) to "Down10".
void LoadSearchHistory(QComboBox* box, const QString& section);
void AddSearchHistory(QComboBox* box, const QString& strText);
void SaveSearchHistory(const QComboBox* box, const QString& section);
// Enter (without Ctrl) pressed in the box or in its line edit (`widget`).
bool IsSearchEnter(const QKeyEvent* key, const QWidget* widget, const QComboBox* box);

// A one-line text box showing `text`, taking at most maxLength characters.
QLineEdit* MakeLineBox(QWidget* parent, const QString& name, int maxLength, const QString& text = QString());
// A multi-line text box with its vertical scroll bar always shown; Tab leaves it.
QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name);

// Tab moves through the widgets in this order.
void SetTabChain(std::initializer_list<QWidget*> widgets);

// The selected row stays highlighted when the view loses the focus.
void KeepHighlightWhenInactive(QWidget* view);

// Selects the next match of `find` (any letter case) after the selection of `edit`, whose text is
// `text`; where there is none, asks whether to start over from the top. False after a No.
bool FindWrapping(QPlainTextEdit* edit, const QString& text, const QString& find);

} // namespace listwindow
