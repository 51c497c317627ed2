#include "modules/registry.h"

#include "modules/ledger/frmMoneys.h"
#include "modules/notes/frmNotes.h"

namespace modules {

const std::vector<ModuleEntry>& Registry() {
  static const std::vector<ModuleEntry> entries = {
      {QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), [] { return static_cast<QWidget*>(new frmNotes); },
       true},
      {QStringLiteral("frmMoneys"), QStringLiteral("日常收支帐目(&M)"), [] { return static_cast<QWidget*>(new frmMoneys); },
       true},
  };
  return entries;
}

} // namespace modules
