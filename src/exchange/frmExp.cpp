#include "exchange/frmExp.h"

#include "exchange/RecordFile.h"
#include "modules/listwindow/modStart.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "platform/ui.h"
#include "platform/vb.h"

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>

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
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &frmExp::ListView1_DblClick);

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
  ListView1->clear();
  if (!family_ || cobClass->currentIndex() < 0) return;
  datastore::RowSetPtr rs = (modStart::objDate().*family_->GetRecordSet)(cobClass->currentText());
  if (!rs) return;
  QStringList keys, texts;
  QString error;
  try {
    for (; !rs->Eof(); rs->MoveNext()) {
      keys << u'_' + QString::number(rs->Fields(family_->idColumn).toLongLong());
      texts << ItemText(*family_, *rs);
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
  QTreeWidgetItem* item = ListView1->currentItem();
  if (ItemCount() == 0 || !item || !item->isSelected()) return;
  item->setCheckState(0, IsTicked(item) ? Qt::Unchecked : Qt::Checked);
}

std::optional<QString> frmExp::GetExpText(const Family& family, const QString& strID, qint64* changing) {
  datastore::RowSetPtr rs = (modStart::objDate().*family.ExpRecordSet)(strID);
  if (!rs) return std::nullopt;
  try {
    QString text = ExportText(family, *rs, changing);
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
  for (QTreeWidgetItem* item : TickedItems()) ids << Key(item).mid(1);
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
  qint64 changing = 0;
  const std::optional<QString> text = GetExpText(*family_, ids.join(u','), &changing);
  if (!text) return;
  const QString failure = platform::WriteTextFile(*fileName, *text);
  if (!failure.isEmpty()) {
    MsgBox(QStringLiteral("导出过程中发生错误，") + failure, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
    return;
  }
  QString done = QStringLiteral("已将所选记录内容导出到 ") + *fileName + QStringLiteral(" 文件中!");
  // The format has no escape for these: the user learns before relying on the file.
  if (changing > 0)
    done += QStringLiteral("\n其中 %1 条记录含有“|”或“{br}”，再导入时这些记录的内容会改变。").arg(changing);
  MsgBox(done, MsgButtons::OK, changing > 0 ? MsgIcon::Exclamation : MsgIcon::Information, QStringLiteral("完成"));
}

} // namespace exchange
