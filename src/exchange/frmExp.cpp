#include "exchange/frmExp.h"

#include "exchange/RecordFile.h"
#include "modules/listwindow/modStart.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vb.h"

#include <QComboBox>
#include <QLabel>
#include <QTreeView>

namespace exchange {

namespace {

using platform::MsgBox;
using platform::MsgButtons;
using platform::MsgIcon;

const QString kErrorTitle = QStringLiteral("发生错误");

QString Describe(const std::exception& e) { return QString::fromUtf8(e.what()); }

} // namespace

frmExp::frmExp(const QString& name, QWidget* parent)
    : CheckListDialog(QStringLiteral("frmExp"), 990, 3795, parent), strFormName(name), family_(FindFamily(name)) {
  setWindowTitle(QStringLiteral("导出"));
  Label2 = MakeLabel("Label2", QStringLiteral("请选择您要导出的分类列表中的详细记录："), 180, 180, 3420);
  cobClass = new QComboBox(this);
  cobClass->setObjectName(QStringLiteral("cobClass"));
  cobClass->setGeometry(Px(180), Px(510), Px(7575), Px(300));
  setTabOrder(cobClass, ListView1);
  cobClass->setFocus();
  connect(cobClass, &QComboBox::currentIndexChanged, this, &frmExp::cobClass_Click);
  connect(ListView1, &QTreeView::doubleClicked, this, &frmExp::ListView1_DblClick);

  if (!family_) return;
  setWindowTitle(family_->expCaption);
  LoadClass();
}

void frmExp::LoadClass() {
  datastore::RowSetPtr rs = (modStart::objDate().*family_->GetClass)();
  if (!rs) return;
  QStringList classes;
  QString error;
  try {
    for (; !rs->Eof(); rs->MoveNext()) classes << rs->Fields(family_->classColumn).toString();
  } catch (const std::exception& e) {
    error = Describe(e);
  }
  rs->Close();
  // Selecting the first category fills the list.
  cobClass->addItems(classes);
  if (!error.isEmpty())
    MsgBox(QStringLiteral("加载资料分类时发生错误，") + error, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
}

void frmExp::cobClass_Click() {
  ClearList();
  if (!family_ || cobClass->currentIndex() < 0) return;
  datastore::RowSetPtr rs = (modStart::objDate().*family_->GetRecordSet)(cobClass->currentText());
  if (!rs) return;
  std::vector<qint64> keys;
  QStringList texts;
  QString error;
  try {
    for (; !rs->Eof(); rs->MoveNext()) {
      keys.push_back(rs->Fields(family_->idColumn).toLongLong());
      texts << exchange::ItemText(*family_, *rs);
    }
  } catch (const std::exception& e) {
    error = Describe(e);
  }
  rs->Close();
  FillList(keys, texts);
  if (!error.isEmpty())
    MsgBox(QStringLiteral("加载分类列表时发生错误，") + error, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
}

void frmExp::ListView1_DblClick() {
  const QModelIndex current = ListView1->currentIndex();
  if (ItemCount() == 0 || !current.isValid() || !ListView1->selectionModel()->isSelected(current)) return;
  ToggleTick(current.row());
}

std::optional<QString> frmExp::GetExpText(const Family& family, const QString& strID, ExportLosses* losses) {
  datastore::RowSetPtr rs = (modStart::objDate().*family.ExpRecordSet)(strID);
  if (!rs) return std::nullopt;
  try {
    QString text = ExportText(family, *rs, losses);
    rs->Close();
    return text;
  } catch (const std::exception& e) {
    rs->Close();
    MsgBox(QStringLiteral("获得所选记录内容时发生错误，") + Describe(e), MsgButtons::OK, MsgIcon::Exclamation,
           kErrorTitle);
  }
  return std::nullopt;
}

void frmExp::cmdOk_Click() {
  if (ItemCount() == 0) {
    MsgBox(QStringLiteral("列表中没有任何可进行选择的记录内容！"), MsgButtons::OK, MsgIcon::Exclamation,
           QStringLiteral("条件不足"));
    return;
  }
  QStringList ids;
  for (const int row : TickedRows()) ids << QString::number(KeyNumber(row));
  if (ids.isEmpty()) {
    MsgBox(QStringLiteral("列表中至少需要选择一条记录内容方能进行导出操作！"), MsgButtons::OK, MsgIcon::Exclamation,
           QStringLiteral("条件不足"));
    return;
  }

  platform::FileDialogRequest request;
  request.title = windowTitle();
  request.fileName = windowTitle() + vb::Format(platform::Now(), QStringLiteral("yyyymmdd"));
  request.filter = QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
  request.save = true;
  request.overwritePrompt = true;
  const std::optional<QString> fileName = platform::FileDialog(request);
  if (!fileName || fileName->isEmpty()) return;

  // Records that could not be read leave any existing file as it was.
  ExportLosses losses;
  const std::optional<QString> text = GetExpText(*family_, ids.join(u','), &losses);
  if (!text) return;
  const QString failure = platform::WriteTextFile(*fileName, *text);
  if (!failure.isEmpty()) {
    MsgBox(QStringLiteral("导出过程中发生错误，") + failure, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
    return;
  }
  QString done = QStringLiteral("已将所选记录内容导出到 ") + *fileName + QStringLiteral(" 文件中!");
  // The format has no escape for these: the user learns before relying on the file.
  if (losses.refused > 0)
    done += QStringLiteral("\n其中 %1 条记录的内容含有“|”，这些记录无法再导入。").arg(losses.refused);
  if (losses.changed > 0)
    done += QStringLiteral("\n其中 %1 条记录的长文本中含有“{br}”或单独的回车符、换行符，再导入时它们会变成换行（回车换行）。").arg(losses.changed);
  const bool lossy = losses.refused > 0 || losses.changed > 0;
  MsgBox(done, MsgButtons::OK, lossy ? MsgIcon::Exclamation : MsgIcon::Information, QStringLiteral("完成"));
}

} // namespace exchange
