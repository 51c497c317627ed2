#pragma once
// What the file archive's list window and upload dialog share below the windows: the source
// path's name and type, the size limits of an upload, and the extraction of a stored file.

#include <QByteArray>
#include <QString>
#include <optional>

namespace datastore {
class clsDate;
}

namespace filearchive {

// A file of this size or more is never stored.
constexpr qint64 kRefusedSize = 10485760;
// From this size on the user is asked first.
constexpr qint64 kConfirmSize = 2097152;
// The longest source path the archive keeps.
constexpr qsizetype kMaxSourcePath = 150;

// The file-name part of path up to its first "." (the whole part without one, "" when it starts
// with one): /home/u/report.final.txt gives report.
QString GetFileTitle(const QString& path);
// The text after the first "." of the file-name part, "" without one: /home/u/report.final.txt
// gives final.txt, so name + "." + type rebuilds the file name.
QString GetFileExt(const QString& path);

// True when a file (not a folder) is at path; hidden files count.
bool SourceFileExists(const QString& path);
// The length in bytes of the file at path, or nullopt when there is no readable file there.
std::optional<qint64> SourceFileLength(const QString& path);

// Refuses a chosen source path longer than kMaxSourcePath in its own box; true when it is kept.
bool AcceptSourcePath(const QString& path);
// The refusal of kRefusedSize and more, and the question from kConfirmSize on; true when the
// save goes on.
bool ConfirmUploadSize(double size);

// Asks where an extracted file goes: a save dialog titled "提取重要文件备案", the type's own
// pattern first and all files second, the archived name proposed. The chosen full path, or "" on
// cancel.
QString AskExtractPath(const QString& strType, const QString& strName);

// Writes the extracted file and opens it; a failure of either is shown in the extraction's error
// box. True when the file was written and opened.
bool ExtractAndOpen(const QString& path, const QByteArray& bytes);

struct ArchivedFile {
  QString name;
  QString type;
  QByteArray content;
};
// The stored record with its bytes; nullopt when the read failed (already reported by the data
// store) or the record is gone.
std::optional<ArchivedFile> ReadArchivedFile(datastore::clsDate& db, qint64 id);

} // namespace filearchive
