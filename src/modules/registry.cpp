#include "modules/registry.h"

#include "modules/bookmarks/frmUrl.h"
#include "modules/notes/frmNotes.h"
#include "modules/scratchpad/frmTemp.h"

namespace modules {

const std::vector<ModuleEntry>& Registry() {
  static const std::vector<ModuleEntry> entries = {
      {QStringLiteral("frmNotes"), QStringLiteral("常用资料笔记(&N)"), [] { return static_cast<QWidget*>(new frmNotes); },
       true},
      {QStringLiteral("frmUrl"), QStringLiteral("网址收藏管理(&U)"), [] { return static_cast<QWidget*>(new frmUrl); }, true},
      {QStringLiteral("frmTemp"), QStringLiteral("临时记事便条(&T)"), [] { return static_cast<QWidget*>(new frmTemp); },
       false},
  };
  return entries;
}

} // namespace modules
