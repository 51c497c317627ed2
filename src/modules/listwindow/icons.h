#pragma once
// Small pictures drawn in code for the list windows' image lists: a folder for groups, a page for
// records. Each module picks its own colours, so the windows stay told apart.

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace listwindow {

// A 16 x 16 folder.
QPixmap FolderPixmap(const QColor& color);
// A 16 x 16 page with a folded corner and text lines in the given colour.
QPixmap PagePixmap(const QColor& lines);

} // namespace listwindow
