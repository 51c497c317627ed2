#include "exchange/frmImp.h"

#include "exchange/RecordFile.h"
#include "modules/listwindow/modStart.h"
#include "platform/textfile.h"
#include "platform/ui.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <future>
#include <vector>

namespace exchange {

namespace {

using platform::MsgBox;
using platform::MsgButtons;
using platform::MsgIcon;

const QString kErrorTitle = QStringLiteral("发生错误");
// The lines parsed ahead at a time.
constexpr size_t kChunk = 1024;

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
  ListView1->clear();
  if (!family_) return;
  if (text.isEmpty()) {
    MsgBox(QStringLiteral("从文件中获得内容时发生错误，文件中没有任何内容。"), MsgButtons::OK, MsgIcon::Critical,
           kErrorTitle);
    return;
  }
  const QStringList lines = SplitLines(text);
  if (FieldCount(lines.front()) != family_->FieldCount()) {
    MsgBox(family_->mismatch, MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("文件不符合"));
    return;
  }
  // Every line that is not empty, the last one too, keyed by its index in the file.
  std::vector<qsizetype> rows;
  rows.reserve(size_t(lines.size()));
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (!lines[i].isEmpty()) rows.push_back(i);
  FillList(lines, rows);
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
  datastore::clsDate& db = modStart::objDate();
  // The ticked lines are parsed a chunk ahead on a second thread while this one stores the chunk
  // before: parsing a line costs about as much as storing it.
  struct Line {
    QString text;
    qint64 number;  // counted from 1
  };
  struct Parsed {
    AddArguments args;
    QString failure;
  };
  std::vector<Line> lines;
  for (QTreeWidgetItem* item : TickedItems()) lines.push_back({item->text(0), KeyNumber(item) + 1});
  const Family& family = *family_;
  auto parse = [&lines, &family](size_t from) {
    std::vector<Parsed> chunk;
    for (size_t i = from, end = std::min(from + kChunk, lines.size()); i < end; ++i) {
      try {
        chunk.push_back({ParseLine(family, lines[i].text, lines[i].number), QString()});
      } catch (const LineError& e) {
        chunk.push_back({AddArguments(), e.Description()});
        break;
      }
    }
    return chunk;
  };

  QString failure;
  qint64 added = 0;
  {
    // One transaction for the run; the data store's failure box commits it before it shows. When
    // it cannot be committed, none of the run's records is stored, and the box has said so.
    datastore::clsDate::Batch batch(db);
    auto end = [&] {
      if (batch.End()) return true;
      recordsAdded -= added;
      return false;
    };
    std::future<std::vector<Parsed>> next;
    if (!lines.empty()) next = std::async(std::launch::async, parse, 0);
    for (size_t from = 0; from < lines.size() && failure.isEmpty(); from += kChunk) {
      const std::vector<Parsed> chunk = next.get();
      if (from + kChunk < lines.size()) next = std::async(std::launch::async, parse, from + kChunk);
      for (const Parsed& line : chunk) {
        if (!line.failure.isEmpty()) {
          failure = line.failure;
          break;
        }
        if (family.Add(db, line.args) == 0) {
          end();
          return false;
        }
        ++recordsAdded;
        ++added;
      }
    }
    if (!end()) return false;
  }
  if (failure.isEmpty()) return true;
  MsgBox(family.importError + failure, MsgButtons::OK, MsgIcon::Critical, kErrorTitle);
  return false;
}

} // namespace exchange
