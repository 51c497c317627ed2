#include "modules/registry.h"

#include "modules/notes/frmNotes.h"
#include "modules/reminders/frmReminds.h"

namespace modules {

const std::vector<ModuleEntry>& Registry() {
  static const std::vector<ModuleEntry> entries = {
      {QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), [] { return static_cast<QWidget*>(new frmNotes); },
       true},
      {QStringLiteral("frmReminds"), QStringLiteral("计划任务提醒(&R)"),
       [] { return static_cast<QWidget*>(new frmReminds); }, false},
  };
  return entries;
}

} // namespace modules
