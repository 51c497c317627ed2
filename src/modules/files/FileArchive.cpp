#include "modules/files/FileArchive.h"

#include "datastore/clsDate.h"
#include "platform/textfile.h"
#include "platform/ui.h"

#include <QFileInfo>

namespace filearchive {

namespace {

QString FilePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

void ExtractionError(const QString& description) {
  platform::MsgBox(QStringLiteral("从数据文件中提取文件出现错误：") + description, platform::MsgButtons::OK,
                   platform::MsgIcon::Exclamation, QStringLiteral("发生错误"));
}

platform::FileDialogRequest ExtractRequest(const QString& strType, const QString& strName) {
  return platform::SaveRequest(QStringLiteral("提取重要文件备案"), strName,
                               strType.toUpper() + QStringLiteral(" 文件(*.") + strType + QStringLiteral(")|*.") +
                                   strType + QStringLiteral("|所有文件(*.*)|*.*"));
}

} // namespace

QString GetFileTitle(const QString& path) {
  const QString part = FilePart(path);
  const qsizetype dot = part.indexOf(u'.');
  return dot < 0 ? part : part.left(dot);
}

QString GetFileExt(const QString& path) {
  const QString part = FilePart(path);
  const qsizetype dot = part.indexOf(u'.');
  return dot < 0 ? QString() : part.mid(dot + 1);
}

bool SourceFileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

std::optional<qint64> SourceFileLength(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.isFile() || !info.isReadable()) return std::nullopt;
  return info.size();
}

bool AcceptSourcePath(const QString& path) {
  if (path.size() <= kMaxSourcePath) return true;
  platform::MsgBox(path + QStringLiteral("\n\n您所选择的该来源文件名称及路径字数过长，请缩短来源文件名称或路径后重试。"),
                   platform::MsgButtons::OK, platform::MsgIcon::Exclamation, QStringLiteral("来源文件字数过多"));
  return false;
}

bool ConfirmUploadSize(double size) {
  if (size >= double(kRefusedSize)) {
    platform::MsgBox(QStringLiteral("您所选择的文件大于或等于 10M，文件过大不允许上传！"), platform::MsgButtons::OK,
                     platform::MsgIcon::Exclamation, QStringLiteral("文件过大"));
    return false;
  }
  if (size >= double(kConfirmSize))
    return platform::MsgBox(QStringLiteral("您所选择的文件大于 2M，不推荐上传到数据文件中，确定要继续吗？"),
                            platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                            QStringLiteral("文件较大")) == platform::MsgResult::Yes;
  return true;
}

QString AskExtractPath(const QString& strType, const QString& strName) {
  return platform::FileDialog(ExtractRequest(strType, strName)).value_or(QString());
}

bool ExtractAndOpen(const QString& path, const QByteArray& bytes) {
  const QString error = platform::WriteFileBytes(path, bytes);
  if (!error.isEmpty()) {
    ExtractionError(error);
    return false;
  }
  // The file is in place even when no program opens it; say so rather than stay silent.
  if (!platform::ShellOpen(path)) {
    ExtractionError(QStringLiteral("文件已写入 %1，但没有可以打开该文件的程序。").arg(path));
    return false;
  }
  return true;
}

std::optional<ArchivedFile> ReadArchivedFile(datastore::clsDate& db, qint64 id) {
  datastore::RowSetPtr rs = db.Files_GetModify(id);
  if (!rs || rs->State() != 1 || rs->Eof()) return std::nullopt;
  ArchivedFile file{rs->Fields("filesname").toString(), rs->Fields("filestype").toString(),
                    rs->Fields("filescontent").toByteArray()};
  rs->Close();
  return file;
}

} // namespace filearchive
