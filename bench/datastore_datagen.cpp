#include "datastore_datagen.h"

#include "datastore/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace benchdata {

namespace {

// Builds the data set under a temporary name and renames it, so an interrupted run leaves no
// half-filled data set behind.
template <class Fill>
QString Generate(const QString& name, Fill fill) {
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

// The words the generated texts are cut from: sentences of a user's notes, some with line breaks.
QString TextPool() {
  const QString sentences = QStringLiteral(
      "会议纪要：讨论下季度的计划与预算，确认分工和时间表。\r\n"
      "客户来电询问合同条款，约定下周三上午面谈，需准备报价单和样品。"
      "读书笔记《人类简史》第三章，农业革命带来了人口增长与社会分层。\r\n"
      "家里的宽带账号和路由器密码记在抽屉里的蓝色笔记本上。"
      "装修清单：地板、墙漆、灯具、橱柜，预算控制在八万元以内。"
      "Python 脚本的部署步骤：先激活虚拟环境，再安装依赖，最后重启服务。\r\n"
      "孩子的疫苗接种记录，下次接种时间为九月十五日，地点社区医院。"
      "旅行计划：成都、重庆、西安，共十二天，提前订好高铁票和酒店。");
  return sentences.repeated(4);
}

// A deterministic spread of the row number i (1-based) of a recursive select, one per seed: a
// multiply, xor-shift, multiply hash (SQL has no xor: a ^ b = (a | b) - (a & b)), so that neither
// its remainders nor the values of other seeds follow i.
QString Mix(int seed) {
  const QString x = QStringLiteral("((i * 2654435761 + %1) % 4294967296)").arg(qint64(seed) * 40503);
  return QStringLiteral("((((%1 | (%1 >> 15)) - (%1 & (%1 >> 15))) * 73244475) % 4294967296)").arg(x);
}

// The rows 1..count of one statement: fast enough for a million notes.
QString Rows(int count) {
  return QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) ").arg(count);
}

void FillNotes(datastore::Connection& conn, int count) {
  const QString pool = TextPool();
  // Content lengths from 10 to about 400 characters, most of them short; titles of 4 to 15
  // characters with a number, so their order is not the ids'.
  conn.Execute(Rows(count) +
                   QStringLiteral(
                       "insert into notes (notestitle, notescontent, notesclass, notesdate, notesstring1) select "
                       "replace(replace(substr(?1, 1 + %1 % 400, 4 + %1 % 12), char(13), ''), char(10), '') || "
                       "' ' || (%2 % 1000003) || "
                       "  case i % 100 when 7 then ' ' || ?2 when 57 then ' ' || ?3 else '' end, "
                       "substr(?1, 1 + %3 % 300, 10 + (%3 % 1000) * (%3 % 1000) / 2500), "
                       "substr('工作生活学习财务旅行健康家庭技术读书杂项', 1 + 2 * (%4 % 10), 2) || '-' || (%4 % 500), "
                       "datetime(1400000000 + %5 % 400000000, 'unixepoch'), "
                       "case when %6 % 10 = 0 then '255' end from n")
                       .arg(Mix(1), Mix(2), Mix(3), Mix(4), Mix(5), Mix(18)),
               {pool, QString::fromLatin1(kSearchedWord), QString::fromUtf16(kSearchedChineseWord)});
}

} // namespace

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

QString NotesDataSet(int notes) {
  return Generate(QStringLiteral("notes-%1-2.kvt").arg(notes), [notes](datastore::Connection& conn) { FillNotes(conn, notes); });
}

QString StartUpDataSet(int records) {
  return Generate(QStringLiteral("startup-%1.kvt").arg(records), [records](datastore::Connection& conn) {
    FillNotes(conn, records);
    const QString pool = TextPool();
    const QString rows = Rows(records);
    conn.Execute(rows + QStringLiteral("insert into moneys (moneysdate, moneystype, moneystitle, moneyscontent, "
                                       "moneysshow, moneysunit, moneyssprice, moneyssum, moneysstring1) select "
                                       "datetime(1400000000 + %1 % 300000000, 'unixepoch'), "
                                       "substr('收入支出借出还入', 1 + 2 * (i % 4), 2), substr(?1, 1 + %2 % 400, 2 + %2 % 8), "
                                       "substr(?1, 1 + %3 % 300, %3 % 60), 1 + i % 5, '份', (%2 % 100000) / 100.0, "
                                       "(1 + i % 5) * (%2 % 100000) / 100.0, case when i % 20 = 0 then '255' end from n")
                            .arg(Mix(6), Mix(7), Mix(8)),
                 {pool});
    conn.Execute(rows + QStringLiteral("insert into reminds (remindstime, remindstitle, remindscontent, remindsfile, "
                                       "remindsstring1, remindsstring2) select "
                                       "datetime(1600000000 + %1 % 200000000, 'unixepoch'), substr(?1, 1 + %2 % 400, 4 + %2 % 10), "
                                       "substr(?1, 1 + %3 % 300, 10 + %3 % 200), '', null, "
                                       "case when i % 25 = 0 then '1' end from n")
                            .arg(Mix(9), Mix(10), Mix(11)),
                 {pool});
    conn.Execute(rows + QStringLiteral("insert into files (filesclass, filesfrom, filesname, filestype, filessize, "
                                       "filesmemo, filescontent) select "
                                       "'分类' || (%1 % 50), '/home/user/文档/file' || i || '.txt', "
                                       "substr(?1, 1 + %2 % 400, 3 + %2 % 10) || i, 'txt', 16, "
                                       "substr(?1, 1 + %3 % 300, %3 % 80), zeroblob(16) from n")
                            .arg(Mix(12), Mix(13), Mix(14)),
                 {pool});
    conn.Execute(rows + QStringLiteral("insert into url (urlclass, urltext, urladdress, urlmemo, urlstring1) select "
                                       "'网站' || (%1 % 100), substr(?1, 1 + %2 % 400, 3 + %2 % 12) || i, "
                                       "'https://example.com/page/' || i, substr(?1, 1 + %3 % 300, %3 % 60), null from n")
                            .arg(Mix(15), Mix(16), Mix(17)),
                 {pool});
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
