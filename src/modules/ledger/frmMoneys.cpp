#include "modules/ledger/frmMoneys.h"

#include "modules/ledger/entrytext.h"
#include "modules/ledger/frmMoneysEdit.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/listwindow/icons.h"
#include "modules/listwindow/modStart.h"

#include <algorithm>

namespace {

listwindow::ListWindowParams MoneysParams() {
  listwindow::ListWindowParams p;
  p.objectName = "frmMoneys";
  using datastore::clsDate;
  // Days follow from the entries' dates: there is no renaming of a day.
  p.family = {&clsDate::Moneys_GetClass, &clsDate::Moneys_GetRecordSet, &clsDate::Moneys_GetModify, nullptr,
              &clsDate::Moneys_DeleteClass, &clsDate::Moneys_Delete, &clsDate::Moneys_ModifyColor};
  p.allRecords = &clsDate::Moneys_GetAllRecords;
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

namespace {

QChar* Put(QChar* out, QStringView text) {
  std::copy(text.begin(), text.end(), out);
  return out + text.size();
}

} // namespace

void frmMoneys::ResolveColumns(datastore::RowSet& rs) {
  showColumn_ = rs.Column("moneysshow");
  sumColumn_ = rs.Column("moneyssum");
  typeColumn_ = rs.Column("moneystype");
  titleColumn_ = rs.Column("moneystitle");
  unitColumn_ = rs.Column("moneysunit");
  contentColumn_ = rs.Column("moneyscontent");
}

// Built in one buffer straight from the row's UTF-8, as this runs for every entry of a load.
QString frmMoneys::RecordNodeText(datastore::RowSet& rs) {
  // The quantity in the default number text (2, 1.5), the amount with two decimals.
  const QVariant show = rs.Field(showColumn_);
  const QVariant sum = rs.Field(sumColumn_);
  const QString quantity = show.isNull() ? QString() : ledger::QuantityText(show.toDouble());
  const QString amount = sum.isNull() ? QString() : ledger::AmountText(sum.toDouble());
  const QByteArrayView type = rs.Utf8(typeColumn_);
  const QByteArrayView title = rs.Utf8(titleColumn_);
  const QByteArrayView unit = rs.Utf8(unitColumn_);
  const QByteArrayView content = rs.Utf8(contentColumn_);
  using modStart::Utf8Room;
  QString text(Utf8Room(type) + Utf8Room(title) + Utf8Room(unit) + modStart::ExcerptRoom(content) + quantity.size() +
                   amount.size() + 16,
               Qt::Uninitialized);
  QChar* out = modStart::AppendUtf8(text.data(), type);
  out = Put(out, u"：");
  out = modStart::AppendUtf8(out, title);
  out = Put(Put(Put(out, u" （"), quantity), u" ");
  out = modStart::AppendUtf8(out, unit);
  out = Put(Put(Put(out, u" / 共 "), amount), u" 元）");
  out = modStart::AppendExcerpt(out, content);
  text.resize(out - text.constData());
  return text;
}

std::unique_ptr<listwindow::EditDialog> frmMoneys::MakeDialog() { return std::make_unique<frmMoneysEdit>(); }
