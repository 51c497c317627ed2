#pragma once
// A fresh data set, settings file and scripted message boxes for every test.

#include "datastore/clsDate.h"
#include "platform/clock.h"
#include "platform/settings.h"
#include "platform/ui.h"
#include "platform/vb.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace datastore_test {

using datastore::clsDate;
using datastore::RowSetPtr;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

class DataStore : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    platform::SetSettingsFile(dir.filePath("Almanor.ini"));
    platform::SetNow(vb::MakeDateTime(QDate(2024, 5, 3), QTime(10, 20, 30)));
    path = dir.filePath("Almanor.kvt");
    ASSERT_TRUE(db.CreateDataBase(path));
    ASSERT_TRUE(db.OpenDataBase(path));
    ui.Clear();
  }
  void TearDown() override {
    db.CloseDataBase();
    platform::SetNow(QDateTime());
  }

  // The one message box shown since the last Clear().
  platform::ShownMessage OnlyBox() {
    const auto boxes = ui.Messages();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? platform::ShownMessage() : boxes.front();
  }

  // A single value read straight from the data set: the field "v" of the first row.
  QVariant Value(const QString& sql) {
    RowSetPtr rs = db.objConn.OpenRowSet(sql);
    return rs->Eof() ? QVariant() : rs->Fields("v");
  }

  // Every value of field name, in row order; consumes the row set. A missing row set fails the test.
  static QStringList Column(const RowSetPtr& rs, const QString& name) {
    QStringList values;
    if (!rs) {
      ADD_FAILURE() << "no row set";
      return values;
    }
    for (; !rs->Eof(); rs->MoveNext()) values << rs->Fields(name).toString();
    return values;
  }

  // The named fields of the current row, Null as "<Null>". A missing row set or row fails the test.
  static QStringList Row(const RowSetPtr& rs, const QStringList& fields) {
    QStringList values;
    if (!rs || rs->Eof()) {
      ADD_FAILURE() << "no row";
      return values;
    }
    for (const QString& field : fields) {
      const QVariant v = rs->Fields(field);
      values << (v.isNull() ? QString("<Null>") : v.toString());
    }
    return values;
  }

  // Every field of every row of table, to show that a failed operation changed nothing.
  QStringList Rows(const QString& table) {
    const QStringList fields =
        Column(db.objConn.OpenRowSet(QString("select name from pragma_table_info('%1')").arg(table)), "name");
    QStringList rows;
    for (RowSetPtr rs = db.objConn.OpenRowSet("select * from " + table); !rs->Eof(); rs->MoveNext())
      rows << Row(rs, fields).join(u'|');
    return rows;
  }

  // The files SQLite keeps beside the data set (journal, log); none may outlive an operation.
  QStringList SideFiles() const {
    QStringList found;
    for (const char* suffix : {"-journal", "-wal", "-shm"})
      if (QFileInfo::exists(path + suffix)) found << path + suffix;
    return found;
  }

  QTemporaryDir dir;
  platform::TestUi ui;
  QString path;
  clsDate db;
};

} // namespace datastore_test
