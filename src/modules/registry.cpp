#include "modules/registry.h"

#include "modules/notes/frmNotes.h"

namespace modules {

const std::vector<ModuleEntry>& Registry() {
  static const std::vector<ModuleEntry> entries = {
      {QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), [] { return static_cast<QWidget*>(new frmNotes); },
       true},
  };
  return entries;
}

} // namespace modules
