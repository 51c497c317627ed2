#include "modules/bookmarks/frmUrl.h"

#include "modules/bookmarks/frmUrlEdit.h"
#include "modules/listwindow/icons.h"
#include "modules/listwindow/modStart.h"

namespace {

listwindow::ListWindowParams UrlParams() {
  using datastore::clsDate;
  listwindow::ListWindowParams p;
  p.objectName = QStringLiteral("frmUrl");
  p.family.GetClass = &clsDate::Url_GetClass;
  p.family.GetRecordSet = &clsDate::Url_GetRecordSet;
  p.family.GetModify = &clsDate::Url_GetModify;
  p.family.ModifyClass = &clsDate::Url_ModifyClass;
  p.family.DeleteClass = &clsDate::Url_DeleteClass;
  p.family.Delete = &clsDate::Url_Delete;
  p.family.ModifyColor = &clsDate::Url_ModifyColor;
  p.titleText = QStringLiteral("网址收藏管理");
  p.rootText = QStringLiteral("所有收藏的网址");
  p.classField = QStringLiteral("urlclass");
  p.groupField = QStringLiteral("urlclass");
  p.idField = QStringLiteral("urlid");
  p.markField = QStringLiteral("urlstring1");
  p.images.insert(QStringLiteral("urlonly"), QIcon(listwindow::PagePixmap(QColor(0x20, 0x80, 0x90))));
  p.images.insert(QStringLiteral("urlclass"), QIcon(listwindow::FolderPixmap(QColor(0x80, 0xC0, 0xE0))));
  p.groupImageKey = QStringLiteral("urlclass");
  p.recordImageKey = QStringLiteral("urlonly");
  p.moduleIcon = listwindow::FolderPixmap(QColor(0x20, 0x80, 0x90));
  p.historySection = QStringLiteral("Url");
  p.fourthName = QStringLiteral("LabGoto");
  p.fourthCaption = QStringLiteral("&G.转到");
  p.fourthKey = Qt::Key_G;
  p.addCaption = QStringLiteral("增加网址收藏资料");
  p.modifyCaption = QStringLiteral("修改网址收藏资料");
  p.groupDeleteTail = QStringLiteral(" 分类下的网址收藏信息吗？");
  p.recordDeleteTail = QStringLiteral(" 的网址收藏信息吗？");
  // Go and mark need a bookmark; modify and delete anything but the root.
  p.rootEnabling = {false, false, false, false};
  p.groupEnabling = {true, true, false, false};
  p.recordEnabling = {true, true, true, true};
  return p;
}

} // namespace

frmUrl::frmUrl(QWidget* parent) : ListWindow(UrlParams(), parent) {
  LabGoto = FourthButton;
  Form_Load();
}

QString frmUrl::UrlNodeText(const QVariant& title, const QVariant& address, const QVariant& memo) {
  return title.toString() + QStringLiteral(" （") + address.toString() + QStringLiteral("） ") +
         modStart::ShortenText(memo.toString());
}

QString frmUrl::RecordNodeText(datastore::RowSet& rs) {
  return UrlNodeText(rs.Fields("urltext"), rs.Fields("urladdress"), rs.Fields("urlmemo"));
}

QString frmUrl::RecordNodeTag(datastore::RowSet& rs) { return rs.Fields("urladdress").toString(); }

std::unique_ptr<listwindow::EditDialog> frmUrl::MakeDialog() { return std::make_unique<frmUrlEdit>(); }

void frmUrl::LabGoto_Click() {
  const listwindow::TreeNode* node = CurrentNode();
  if (KindOf(node) != listwindow::NodeKind::Record) return;
  // The address goes to the browser as stored: no test of its form, no scheme added.
  modStart::OpenWebPage(node->Tag());
}
