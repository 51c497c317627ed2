#include "modules/files/frmFilesEdit.h"

#include "modules/files/FileArchive.h"
#include "modules/listwindow/modStart.h"
#include "modules/listwindow/WindowParts.h"
#include "platform/ui.h"
#include "platform/widgets/exacttext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

namespace {

// Design places in twips: labels at the left, fields from kFieldLeft on.
constexpr double kLabelLeft = 270;
constexpr double kFieldLeft = 1200;
constexpr double kFieldWidth = 5310;
constexpr double kFieldHeight = 300;
constexpr double kButtonHeight = 375;

listwindow::EditDialogDesign FilesDesign() {
  // A fixed window of 6900 x 6330 around a client area of 6780 x 5820.
  return {QStringLiteral("frmFilesEdit"), QStringLiteral("Files"), QSizeF(6900, 6330), QSizeF(6780, 5820), false,
          QStringLiteral("FilesClass")};
}

void Exclaim(const QString& text, const QString& title) {
  platform::MsgBox(text, platform::MsgButtons::OK, platform::MsgIcon::Exclamation, title);
}

// A loaded text may be longer than typing allows: it is shown and kept whole.
void SetWholeText(QLineEdit* field, const QString& text) {
  field->setMaxLength(qMax(field->maxLength(), int(text.size())));
  field->setText(text);
}

} // namespace

frmFilesEdit::frmFilesEdit(QWidget* parent) : EditDialog(FilesDesign(), parent) {
  setWindowTitle("重要文件备案编辑");
  MakeBand("重要文件备案编辑", "选择硬盘中的重要文件上传到Almanor数据库中");

  const auto label = [this](const char* name, const QString& text, double left, double top) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QLatin1String(name));
    l->move(Px(left), Px(top));
    l->adjustSize();
  };
  label("Label2", "文件来源", kLabelLeft, 1275);
  label("Label5", "文件名称", kLabelLeft, 2175);
  label("Label6", "文件格式", kLabelLeft, 2625);
  label("Label1", "文件大小", 3480, 2625);
  label("Label10", "文件描述", kLabelLeft, 3075);
  label("Label11", "文件分类", kLabelLeft, 4725);

  // The path comes only from the open dialog: typing changes nothing.
  txtFrom = listwindow::MakeLineBox(this, "txtFrom", int(filearchive::kMaxSourcePath));
  txtFrom->setReadOnly(true);
  txtName = listwindow::MakeLineBox(this, "txtName", 50);
  txtKuo = listwindow::MakeLineBox(this, "txtKuo", 150);
  txtKuo->setEnabled(false);
  txtSize = listwindow::MakeLineBox(this, "txtSize", 150);
  txtSize->setEnabled(false);
  txtSize->setText("0.00");

  txtMemo = listwindow::MakeTextBox(this, "txtMemo");

  cobClass = new QComboBox(this);
  cobClass->setObjectName("cobClass");
  cobClass->setEditable(true);
  cobClass->setInsertPolicy(QComboBox::NoInsert);
  // Completion would turn a new category typed as the start of an existing one into that one.
  cobClass->setCompleter(nullptr);

  cmdSelectFile = MakeButton("cmdSelectFile", "选择文件(&S)");
  cmdRun = MakeButton("cmdRun", "打开来源(&R)");
  cmdGetFile = MakeButton("cmdGetFile", "提取(&T)");
  cmdOk = MakeButton("cmdOk", "确定(&O)");
  cmdCancel = MakeButton("cmdCancel", "取消(&C)");
  // A new record has nothing stored to extract; a modification enables it.
  cmdGetFile->setEnabled(false);

  listwindow::SetTabChain({txtFrom, txtName, txtKuo, txtSize, txtMemo, cobClass, cmdOk, cmdCancel, cmdSelectFile,
                           cmdGetFile, cmdRun});

  connect(cmdOk, &QPushButton::clicked, this, &frmFilesEdit::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmFilesEdit::cmdCancel_Click);
  connect(cmdSelectFile, &QPushButton::clicked, this, &frmFilesEdit::cmdSelectFile_Click);
  connect(cmdRun, &QPushButton::clicked, this, &frmFilesEdit::cmdRun_Click);
  connect(cmdGetFile, &QPushButton::clicked, this, &frmFilesEdit::cmdGetFile_Click);

  modStart::EnterToTab(txtName);
  modStart::EnterToTab(cobClass);
  modStart::SelectAllOnFocus(txtName);

  PlaceControls();
  FillClasses(cobClass, modStart::objDate().Files_GetClass(), "filesclass");
}

frmFilesEdit::~frmFilesEdit() = default;

void frmFilesEdit::PlaceControls() {
  Place(txtFrom, kFieldLeft, 1230, kFieldWidth, kFieldHeight);
  Place(cmdSelectFile, kFieldLeft, 1620, 1400, kButtonHeight);
  Place(cmdRun, kFieldLeft + 1500, 1620, 1400, kButtonHeight);
  Place(txtName, kFieldLeft, 2130, kFieldWidth, kFieldHeight);
  Place(txtKuo, kFieldLeft, 2580, 2100, kFieldHeight);
  Place(txtSize, 4400, 2580, kFieldLeft + kFieldWidth - 4400, kFieldHeight);
  Place(txtMemo, kFieldLeft, 3030, kFieldWidth, 1500);
  Place(cobClass, kFieldLeft, 4680, kFieldWidth, kFieldHeight);
  Place(cmdGetFile, kLabelLeft, 5220, 1095, kButtonHeight);
  Place(cmdOk, 4170, 5220, 1095, kButtonHeight);
  Place(cmdCancel, 5415, 5220, 1095, kButtonHeight);
}

QString frmFilesEdit::Memo() const { return platform::ExactText(txtMemo).replace("\n", "\r\n"); }

void frmFilesEdit::SetSize(qint64 size) {
  SizeTag = size;
  txtSize->setText(modStart::FormatFileSize(double(size)));
}

void frmFilesEdit::LoadRecord(datastore::RowSet& row) {
  const QString from = row.Fields("filesfrom").toString();
  SetWholeText(txtFrom, from);
  FromTag = from;
  const QString name = row.Fields("filesname").toString();
  SetWholeText(txtName, name);
  NameTag = name;
  cobClass->setCurrentText(row.Fields("filesclass").toString());
  SetWholeText(txtKuo, row.Fields("filestype").toString());
  SetSize(std::llround(row.Fields("filessize").toDouble()));
  platform::SetExactText(txtMemo, row.Fields("filesmemo").toString().replace("\r\n", "\n"));
  cmdGetFile->setEnabled(true);
}

void frmFilesEdit::cmdSelectFile_Click() {
  platform::FileDialogRequest request;
  request.title = "上传文件";
  request.filter = "所有文件(*.*)|*.*";
  request.fileName = txtFrom->text();
  request.mustExist = true;
  const std::optional<QString> path = platform::FileDialog(request);
  if (!path || !filearchive::AcceptSourcePath(*path)) return;
  // Read first, so that a file whose length cannot be read changes no field.
  const std::optional<qint64> length = filearchive::SourceFileLength(*path);
  if (!length) return;

  txtFrom->setText(*path);
  txtFrom->setCursorPosition(int(path->size()));
  if (txtName->text().isEmpty()) SetWholeText(txtName, filearchive::GetFileTitle(*path));
  SetWholeText(txtKuo, filearchive::GetFileExt(*path));
  SetSize(*length);
  txtName->setFocus();
}

void frmFilesEdit::cmdRun_Click() {
  const QString path = txtFrom->text();
  if (path.isEmpty()) {
    Exclaim("来源文件中暂无文件，请先选择一个文件！", "条件不足");
    cmdSelectFile->setFocus();
    return;
  }
  if (!filearchive::SourceFileExists(path)) {
    Exclaim("来源文件 " + path + " 已不存在，无法打开运行！", "条件不足");
    return;
  }
  if (!platform::ShellOpen(path))
    platform::MsgBox("打开运行 " + path + " 文件发生错误，没有可以打开该文件的程序。", platform::MsgButtons::OK,
                     platform::MsgIcon::Critical, "发生错误");
}

void frmFilesEdit::cmdGetFile_Click() {
  const QString path = filearchive::AskExtractPath(txtKuo->text(), txtName->text());
  if (path.isEmpty()) return;
  const std::optional<qint64> id = RecordId();
  if (!id) return;
  // The stored bytes, whatever source the dialog now shows.
  if (const auto stored = filearchive::ReadArchivedFile(modStart::objDate(), *id))
    filearchive::ExtractAndOpen(path, stored->content);
}

void frmFilesEdit::SourceMissing() {
  Exclaim("您选择的来源文件无效，请重新选择！", "条件不足");
  cmdSelectFile->setFocus();
}

bool frmFilesEdit::SourceSizeStillFits(qint64 length) {
  if (length == SizeTag) return true;
  if (!filearchive::ConfirmUploadSize(double(length))) return false;
  SetSize(length);
  return true;
}

void frmFilesEdit::cmdOk_Click() {
  datastore::clsDate& db = modStart::objDate();
  const QString from = txtFrom->text();
  if (from.isEmpty()) {
    Exclaim("请您先选择一个重要的文件，以便保存到数据库中！", "条件不足");
    cmdSelectFile->setFocus();
    return;
  }
  if (!IsCheckInputTrue(txtName, "文件名称", true, false, false, true)) return;
  if (!IsCheckInputTrue(txtMemo, "文件描述", true, false, false, true)) return;
  const QString strClass = cobClass->currentText();
  if (strClass.isEmpty()) {
    Exclaim("条件不足：[文件分类] 不允许为空，请您输入！", "条件不足");
    cobClass->setFocus();
    return;
  }
  if (!filearchive::ConfirmUploadSize(double(SizeTag))) return;

  const QString name = txtName->text();
  const QString type = txtKuo->text();
  const QString memo = Memo();
  // An unreadable source is left to the store, which reports it.
  const auto stillFits = [&] {
    const std::optional<qint64> length = filearchive::SourceFileLength(from);
    return !length || SourceSizeStillFits(*length);
  };
  qint64 result = 0;
  const std::optional<qint64> id = RecordId();
  if (!id) {
    if (!filearchive::SourceFileExists(from)) return SourceMissing();
    if (db.Files_CheckFilesName(name)) {
      txtName->setFocus();
      return;
    }
    if (!stillFits()) return;
    result = db.Files_Add(strClass, from, name, type, double(SizeTag), memo);
  } else {
    // The record's own name in another letter case is no duplicate.
    if (name != NameTag && db.Files_CheckFilesName(name, *id)) {
      txtName->setFocus();
      return;
    }
    if (from != FromTag) {
      if (!filearchive::SourceFileExists(from)) return SourceMissing();
      if (!stillFits()) return;
      result = db.Files_Modify_All(*id, strClass, from, name, type, double(SizeTag), memo);
    } else {
      // The same source: its bytes go again only when its length changed and the user agrees.
      const std::optional<qint64> length = filearchive::SourceFileLength(from);
      const bool reupload =
          length && *length != SizeTag &&
          platform::MsgBox("来源文件已更改，是否重新上传？", platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                           "确认重新上传") == platform::MsgResult::Yes;
      if (reupload) {
        if (!SourceSizeStillFits(*length)) return;
        result = db.Files_Modify_All(*id, strClass, from, name, type, double(SizeTag), memo);
      } else {
        result = db.Files_Modify_Info(*id, strClass, name, memo);
      }
    }
  }
  if (result < 1) return;
  Saved(strClass, strClass);
}
