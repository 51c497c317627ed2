#pragma once
// The one list of module windows. Start-up hands it to the main window, whose menu, panel and
// tray commands, export and import read it; adding a module window is one entry here.

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace modules {

struct ModuleEntry {
  QString objectName;                // the window's name, "frmNotes"
  QString caption;                   // the text of its menu entry and panel button
  std::function<QWidget*()> create;  // makes its one window on first use
  bool canExport = false;            // records can be exported from it and imported into it
};

const std::vector<ModuleEntry>& Registry();

} // namespace modules
