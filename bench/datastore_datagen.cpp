#include "datastore_datagen.h"

#include "datastore/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace benchdata {

QString Generate(const QString& name, const std::function<void(datastore::Connection&)>& fill) {
  const QString path = QDir(DataDir()).filePath(name);
  if (QFileInfo::exists(path)) return path;
  const QString partial = path + QStringLiteral(".part");
  QFile::remove(partial);
  datastore::Connection::CreateDataSet(partial);
  {
    datastore::Connection conn;
    conn.Open(partial);
    conn.Begin();
    fill(conn);
    conn.Commit();
  }
  QFile::rename(partial, path);
  return path;
}

QString DataDir() {
  QString dir = qEnvironmentVariable("ALMANOR_BENCH_DATA");
  if (dir.isEmpty()) dir = QStringLiteral("/tmp/almanor-bench");
  QDir().mkpath(dir);
  return dir;
}

QByteArray FileBytes(qint64 size) {
  QByteArray bytes(size, Qt::Uninitialized);
  QRandomGenerator random(42);
  for (qint64 i = 0; i < size; ++i) bytes[i] = char(random.bounded(256));
  return bytes;
}

QString NotesDataSet() {
  return Generate(QStringLiteral("notes.kvt"), [](datastore::Connection& conn) {
    QRandomGenerator random(7);
    const QString body = QStringLiteral("会议纪要：讨论下季度的计划与预算，确认分工和时间表。\r\n").repeated(4);
    for (int i = 0; i < kNotes; ++i) {
      const int n = int(random.bounded(kNotes * 10));
      conn.Execute(QStringLiteral("insert into notes (notestitle, notescontent, notesclass, notesdate, notesstring1) "
                                  "values (?,?,?,?,?)"),
                   {QStringLiteral("资料 %1 第%2号").arg(n, 7, 10, QLatin1Char('0')).arg(i), body,
                    QStringLiteral("分类 %1").arg(i % kNoteClasses, 3, 10, QLatin1Char('0')),
                    QStringLiteral("2024-%1-%2 10:20:30").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                    i % 10 == 0 ? QVariant(QStringLiteral("255")) : QVariant()});
    }
  });
}

QString ArchiveDataSet() {
  return Generate(QStringLiteral("archive.kvt"), [](datastore::Connection& conn) {
    const QByteArray bytes = FileBytes(kArchivedFileBytes);
    for (int i = 0; i < kArchivedFiles; ++i)
      conn.Execute(QStringLiteral("insert into files (filesclass, filesfrom, filesname, filestype, filessize, "
                                  "filesmemo, filescontent) values (?,?,?,?,?,?,?)"),
                   {QStringLiteral("分类 %1").arg(i % 10), QStringLiteral("/home/user/file%1.bin").arg(i),
                    QStringLiteral("file%1.bin").arg(i), QStringLiteral("bin"), double(bytes.size()),
                    QStringLiteral("备注"), bytes});
  });
}

} // namespace benchdata
