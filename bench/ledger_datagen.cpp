#include "ledger_datagen.h"

#include "datastore/connection.h"
#include "datastore_datagen.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace benchdata {

QString LedgerDataSet(int entries) {
  const QString name = entries == kLedgerEntries ? QStringLiteral("ledger.kvt") : QStringLiteral("ledger-%1.kvt").arg(entries);
  const QString path = QDir(DataDir()).filePath(name);
  if (QFileInfo::exists(path)) return path;
  // Built under another name and renamed, so an interrupted run leaves no half-filled data set.
  const QString partial = path + QStringLiteral(".part");
  QFile::remove(partial);
  datastore::Connection::CreateDataSet(partial);
  {
    datastore::Connection conn;
    conn.Open(partial);
    conn.Begin();
    const QStringList types = {QStringLiteral("收入"), QStringLiteral("支出"), QStringLiteral("借出"),
                               QStringLiteral("还入")};
    const QStringList titles = {QStringLiteral("午餐"), QStringLiteral("工资"), QStringLiteral("交通费"),
                                QStringLiteral("办公用品采购"), QStringLiteral("房租")};
    const QString memo = QStringLiteral("同事聚餐，发票已交财务。");
    const datastore::StatementPtr insert = conn.PrepareStatement(
        QStringLiteral("insert into moneys (moneysdate, moneystype, moneystitle, moneyscontent, moneysshow, "
                       "moneysunit, moneyssprice, moneyssum, moneysstring1) values (?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < entries; ++i) {
      const QDate day = kLedgerFirstDay.addDays(i % kLedgerDays);
      const QString time = QStringLiteral(" %1:%2:00").arg(8 + i % 12, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
      const double quantity = 1 + i % 5;
      const double sum = double((qint64(i) * 7919) % 1000001) / 100.0;  // 0.00 to 10000.00
      insert->Execute({day.toString(QStringLiteral("yyyy-MM-dd")) + time, types[i % types.size()],
                       titles[i % titles.size()] + QString::number(i), i % 3 == 0 ? memo.repeated(3) : memo, quantity,
                       QStringLiteral("份"), sum / quantity, sum, i % 20 == 0 ? QVariant(QStringLiteral("255")) : QVariant()});
    }
    conn.Commit();
  }
  QFile::rename(partial, path);
  return path;
}

} // namespace benchdata
