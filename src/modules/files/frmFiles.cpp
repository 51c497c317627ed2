#include "modules/files/frmFiles.h"

#include "modules/files/FileArchive.h"
#include "modules/files/frmFilesEdit.h"
#include "modules/listwindow/icons.h"
#include "modules/listwindow/modStart.h"
#include "platform/ui.h"

namespace {

listwindow::ListWindowParams FilesParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmFiles";
  using datastore::clsDate;
  p.family = {&clsDate::Files_GetClass,   &clsDate::Files_GetRecordSet, &clsDate::Files_GetModify,
              &clsDate::Files_ModifyClass, &clsDate::Files_DeleteClass,  &clsDate::Files_Delete,
              &clsDate::Files_ModifyColor};
  p.titleText = "重要文件备案";
  p.rootText = "所有重要文件备案";
  p.classField = "filesclass";
  p.groupField = "filesclass";
  p.idField = "filesid";
  p.markField = "filesstring1";
  p.images.insert("filesclass", QIcon(listwindow::FolderPixmap(QColor(0xE0, 0xB0, 0x40))));
  p.images.insert("filesonly", QIcon(listwindow::PagePixmap(QColor(0x20, 0x90, 0x50))));
  p.groupImageKey = "filesclass";
  p.recordImageKey = "filesonly";
  p.moduleIcon = listwindow::PagePixmap(QColor(0x20, 0x70, 0x30));
  p.historySection = "Files";
  p.fourthName = "LabGoto";
  p.fourthCaption = "&T.提取";
  p.fourthKey = Qt::Key_T;
  p.addCaption = "增加重要文件备案";
  p.modifyCaption = "修改重要文件备案";
  p.groupDeleteTail = " 分类下的重要文件备案吗？";
  p.recordDeleteTail = " 的重要文件备案吗？";
  p.rootEnabling = {false, false, false, false};
  p.groupEnabling = {true, true, false, false};
  p.recordEnabling = {true, true, true, true};
  return p;
}

} // namespace

frmFiles::frmFiles(QWidget* parent) : ListWindow(FilesParams(), parent) {
  LabGoto = FourthButton;
  Form_Load();
}

QString frmFiles::RecordNodeText(datastore::RowSet& rs) {
  return rs.Fields("filesname").toString() + u'.' + rs.Fields("filestype").toString() + QStringLiteral(" （") +
         modStart::FormatFileSize(rs.Fields("filessize").toDouble()) + QStringLiteral("） ") +
         modStart::ShortenText(rs.Fields("filesmemo").toString());
}

QString frmFiles::RecordNodeTag(datastore::RowSet& rs) { return rs.Fields("filesfrom").toString(); }

std::unique_ptr<listwindow::EditDialog> frmFiles::MakeDialog() { return std::make_unique<frmFilesEdit>(); }

void frmFiles::LabGoto_Click() {
  const listwindow::TreeNode* node = CurrentNode();
  if (KindOf(node) != listwindow::NodeKind::Record) return;
  const auto stored = filearchive::ReadArchivedFile(modStart::objDate(), RecordId(node));
  if (!stored) return;
  const QString path = filearchive::AskExtractPath(stored->type, stored->name);
  if (path.isEmpty()) return;
  filearchive::ExtractAndOpen(path, stored->content);
}

void frmFiles::RecordDoubleClick() {
  const QString path = CurrentNode()->Tag();
  if (!filearchive::SourceFileExists(path)) {
    if (platform::MsgBox("上传来源文件已不存在，是否需要提取？", platform::MsgButtons::YesNo,
                         platform::MsgIcon::Question, "打开来源失败") == platform::MsgResult::Yes)
      LabGoto_Click();
    return;
  }
  if (!platform::ShellOpen(path))
    platform::MsgBox("打开来源 " + path + " 文件发生错误，没有可以打开该文件的程序。", platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
}
