#include "modules/ledger/frmMoneys.h"

#include "modules/ledger/frmMoneysEdit.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/ledger/numbertext.h"
#include "modules/listwindow/icons.h"
#include "modules/listwindow/modStart.h"

namespace {

listwindow::ListWindowParams MoneysParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmMoneys";
  using datastore::clsDate;
  // Days follow from the entries' dates: there is no renaming of a day.
  p.family = {&clsDate::Moneys_GetClass, &clsDate::Moneys_GetRecordSet, &clsDate::Moneys_GetModify, nullptr,
              &clsDate::Moneys_DeleteClass, &clsDate::Moneys_Delete, &clsDate::Moneys_ModifyColor};
  p.titleText = "日常收支帐目";
  p.rootText = "所有日常收支帐目";
  p.groupKind = listwindow::GroupKind::Day;
  p.classField = "moneysgroup";
  p.groupField = "moneysdate";
  p.idField = "moneysid";
  p.markField = "moneysstring1";
  p.images.insert("moneysclass", QIcon(listwindow::FolderPixmap(QColor(0x60, 0xB0, 0x60))));
  p.images.insert("moneysonly", QIcon(listwindow::PagePixmap(QColor(0x20, 0x80, 0x40))));
  p.groupImageKey = "moneysclass";
  p.recordImageKey = "moneysonly";
  p.moduleIcon = listwindow::PagePixmap(QColor(0x20, 0x80, 0x40));
  p.historySection = "Moneys";
  p.fourthName = "LabGoto";
  p.fourthCaption = "&L.列表";
  p.fourthKey = Qt::Key_L;
  p.addCaption = "增加日常收支帐目";
  p.modifyCaption = "修改日常收支帐目";
  p.groupDeleteTail = " 的所有日常收支吗？";
  p.recordDeleteTail = " 的日常收支吗？";
  p.rootEnabling = {false, false, false, std::nullopt};
  p.groupEnabling = {false, true, false, std::nullopt};
  p.recordEnabling = {true, true, true, std::nullopt};
  return p;
}

} // namespace

frmMoneys::frmMoneys(QWidget* parent) : ListWindow(MoneysParams(), parent) {
  LabGoto = FourthButton;
  Form_Load();
}

void frmMoneys::LabGoto_Click() { frmMoneysView::ShowDefault(); }

QString frmMoneys::RecordNodeText(datastore::RowSet& rs) {
  const auto text = [&rs](const char* field) { return QString::fromUtf8(rs.Utf8(field)); };
  // The quantity in the default number text (2, 1.5), the amount with two decimals.
  const QVariant show = rs.Fields("moneysshow");
  const QVariant sum = rs.Fields("moneyssum");
  const QString quantity = show.isNull() ? QString() : ledger::QuantityText(show.toDouble());
  const QString amount = sum.isNull() ? QString() : ledger::AmountText(sum.toDouble());
  return text("moneystype") + u'：' + text("moneystitle") + QStringLiteral(" （") + quantity + u' ' +
         text("moneysunit") + QStringLiteral(" / 共 ") + amount + QStringLiteral(" 元）") +
         modStart::ShortenText(text("moneyscontent"));
}

// Owned by this window, the dialog stays above the main window while a check shows its box.
std::unique_ptr<listwindow::EditDialog> frmMoneys::MakeDialog() { return std::make_unique<frmMoneysEdit>(this); }
