#include "modules/registry.h"

#include "modules/bookmarks/frmUrl.h"
#include "modules/files/frmFiles.h"
#include "modules/ledger/frmMoneys.h"
#include "modules/notes/frmNotes.h"
#include "modules/reminders/frmReminds.h"
#include "modules/scratchpad/frmTemp.h"

namespace modules {

namespace {

template <class Window>
QWidget* Make() {
  return new Window;
}

} // namespace

// In the order of the Project menu.
const std::vector<ModuleEntry>& Registry() {
  static const std::vector<ModuleEntry> entries = {
      {QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), Make<frmNotes>, true},
      {QStringLiteral("frmMoneys"), QStringLiteral("日常收支帐目(&M)"), Make<frmMoneys>, true},
      {QStringLiteral("frmReminds"), QStringLiteral("计划任务提醒(&R)"), Make<frmReminds>, false},
      {QStringLiteral("frmFiles"), QStringLiteral("重要文件备案(&F)"), Make<frmFiles>, false},
      {QStringLiteral("frmUrl"), QStringLiteral("网址收藏管理(&U)"), Make<frmUrl>, true},
      {QStringLiteral("frmTemp"), QStringLiteral("临时记事便条(&T)"), Make<frmTemp>, false},
  };
  return entries;
}

} // namespace modules
