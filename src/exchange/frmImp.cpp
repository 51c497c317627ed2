#include "exchange/frmImp.h"

#include "exchange/RecordFile.h"
#include "modules/listwindow/modStart.h"
#include "platform/textfile.h"
#include "platform/ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <vector>

namespace exchange {

namespace {

using platform::MsgBox;
using platform::MsgButtons;
using platform::MsgIcon;

const QString kErrorTitle = QStringLiteral("发生错误");

} // namespace

frmImp::frmImp(const QString& name, QWidget* parent)
    : CheckListDialog(QStringLiteral("frmImp"), 1245, 3540, parent), strFormName(name), family_(FindFamily(name)) {
  setWindowTitle(family_ ? family_->impCaption : QStringLiteral("导入"));
  Label1 = MakeLabel("Label1",
                     QStringLiteral("友情提示：该操作执行后不可恢复，建议您先备份数据账套以能够保证您数据账套的可恢复性。"),
                     180, 90, 7560);
  Label2 = MakeLabel("Label2", QStringLiteral("请选择一个您要导入到该模块的文件："), 180, 435, 3060);
  txtFile = new QLineEdit(this);
  txtFile->setObjectName(QStringLiteral("txtFile"));
  txtFile->setGeometry(Px(180), Px(765), Px(6330), Px(285));
  txtFile->setReadOnly(true);  // the path comes from the file dialog only
  cmdOpen = MakeButton("cmdOpen", QStringLiteral("浏览(&B)"), 6660);
  cmdOpen->move(Px(6660), Px(720));
  connect(cmdOpen, &QPushButton::clicked, this, &frmImp::cmdOpen_Click);
  setTabOrder(txtFile, cmdOpen);
  setTabOrder(cmdOpen, ListView1);
  cmdOpen->setFocus();
}

void frmImp::cmdOpen_Click() {
  platform::FileDialogRequest request;
  request.filter = QStringLiteral("文本文件(*.txt)|*.txt|所有文件(*.*)|*.*");
  request.mustExist = true;
  const std::optional<QString> fileName = platform::FileDialog(request);
  if (!fileName || fileName->isEmpty()) return;
  txtFile->setText(*fileName);
  const platform::TextFileResult file = platform::ReadTextFile(*fileName);
  if (!file.ok) {
    MsgBox(QStringLiteral("在导入操作时发生错误，") + file.error, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
    return;
  }
  LoadFile(file.text);
}

void frmImp::LoadFile(const QString& text) {
  ClearList();
  if (!family_) return;
  if (text.isEmpty()) {
    MsgBox(QStringLiteral("从文件中获得内容时发生错误，文件中没有任何内容。"), MsgButtons::OK, MsgIcon::Critical,
           kErrorTitle);
    return;
  }
  // Every line that is not empty, the last one too, keyed by its index in the file. The file is
  // the family's when any line has its field count: a "|" in a value may add fields to any line,
  // the first too, and such a line is refused when it is imported.
  std::vector<Line> lines;
  bool recognised = false;
  ForEachLine(text, [&](qint64 index, qsizetype start, qsizetype length) {
    if (length == 0) return;
    lines.push_back({start, length, index});
    if (!recognised) recognised = FieldCount(QStringView(text).sliced(start, length)) == family_->FieldCount();
  });
  if (!recognised) {
    MsgBox(family_->mismatch, MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("文件不符合"));
    return;
  }
  FillList(text, std::move(lines));
}

void frmImp::cmdOk_Click() {
  if (ItemCount() == 0) {
    MsgBox(QStringLiteral("列表中没有要导入的任何记录！"), MsgButtons::OK, MsgIcon::Exclamation,
           QStringLiteral("条件不足"));
    return;
  }
  blnImported = Import();
  if (blnImported) accept();
}

bool frmImp::Import() {
  if (!family_) return true;  // nothing is listed
  const Family& family = *family_;
  datastore::clsDate& db = modStart::objDate();
  // A run stores all its ticked lines or none, in one transaction given up at the first line
  // that cannot be read or stored: the user can untick it, or remove its cause, and run it again.
  // Each line is read once, so what is stored is what was checked. Empty when all are stored.
  const std::vector<int> rows = TickedRows();
  if (rows.empty()) return true;
  const QString failure = [&]() -> QString {
    datastore::clsDate::Batch batch(db);
    if (!batch.Started()) return batch.Failure() + QStringLiteral("。");
    for (const int row : rows) {
      const qint64 lineNumber = KeyNumber(row) + 1;
      auto lineFailed = [&](const QString& why) {
        return QStringLiteral("第 ") + QString::number(lineNumber) + QStringLiteral(" 行无法保存：") + why + u'。';
      };
      try {
        if (family.Add(db, ParseLine(family, ItemView(row), lineNumber)) == 0) return lineFailed(batch.Failure());
      } catch (const LineError& e) {
        return e.Description();
      } catch (const std::exception& e) {
        return lineFailed(QString::fromUtf8(e.what()));
      }
    }
    if (!batch.Commit()) return QStringLiteral("保存所导入的记录时失败：") + batch.Failure() + u'。';
    return QString();
  }();
  if (failure.isEmpty()) return true;
  MsgBox(family.importError + failure + QStringLiteral("本次导入的记录均未保存。"), MsgButtons::OK, MsgIcon::Critical,
         kErrorTitle);
  return false;
}

} // namespace exchange
