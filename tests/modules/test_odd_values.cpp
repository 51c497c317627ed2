// Values the program never writes but another tool may leave in the data set: amounts of any size
// read soundly wherever the ledger shows them, and rows of any content open every list window,
// each in the group the group list made for it.

#include "exchange/RecordFile.h"
#include "modules/bookmarks/frmUrl.h"
#include "modules/bookmarks/frmUrlEdit.h"
#include "modules/files/frmFiles.h"
#include "modules/files/frmFilesEdit.h"
#include "modules/ledger/QueryResultModel.h"
#include "modules/ledger/frmMoneys.h"
#include "modules/ledger/frmMoneysEdit.h"
#include "modules/ledger/frmMoneysView.h"
#include "modules/notes/frmNotes.h"
#include "modules/notes/frmNotesEdit.h"
#include "modules/reminders/frmReminds.h"
#include "modules/reminders/frmRemindsEdit.h"
#include "platform/vb.h"
#include "driver.h"
#include "testenv.h"

#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <functional>

using listwindow::ListWindow;
using listwindow::TreeNode;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

qint64 Insert(const QString& sql) {
  db().objConn.Execute(sql);
  return db().objConn.LastInsertId();
}

qint64 Count(const QString& table) {
  return db().objConn.OpenRowSet("select count(*) as n from " + table)->Fields("n").toLongLong();
}

} // namespace

class TestOddValues : public QObject {
  Q_OBJECT

  std::unique_ptr<TestEnv> env_;

private slots:
  void init() { env_ = std::make_unique<TestEnv>(true, vb::MakeDateTime(QDate(2024, 5, 20), QTime(9, 30))); }
  void cleanup() {
    CloseDefault<frmMoneysView>();
    env_.reset();
  }

  // The same two-decimal text in the list, the query window and the edit dialog; the export keeps
  // the stored number.
  void amountsOfAnySizeReadSoundly() {
    const QString huge = "1" + QString(308, u'0') + ".00";
    const struct {
      const char* stored;
      QString text;
    } cases[] = {{"1e-320", "0.00"},       {"4.9e-324", "0.00"},   {"-4.9e-324", "0.00"}, {"1e-50", "0.00"},
                 {"0.004999", "0.00"},     {"0.005", "0.01"},      {"-0.005", "-0.01"},   {"-2.675", "-2.68"},
                 {"1e308", huge},          {"-1e308", "-" + huge}, {"9e999", "Infinity"}};
    const exchange::Family& family = *exchange::FindFamily("frmMoneys");
    for (const auto& c : cases) {
      db().objConn.Execute("delete from moneys");
      const qint64 id = Insert(QString("insert into moneys (moneysdate, moneystype, moneystitle, moneyscontent, "
                                       "moneysshow, moneysunit, moneyssprice, moneyssum) values "
                                       "('2024-05-01 00:00:00', '支出', 'x', '', %1, '个', %1, %1)")
                                   .arg(c.stored));
      const double stored = db().Moneys_GetModify(id)->Fields("moneyssum").toDouble();
      auto list = Shown(std::make_unique<frmMoneys>());
      QVERIFY2(list->Node(Key(id))->Text().endsWith("/ 共 " + c.text + " 元）"), c.stored);

      ledger::QueryResultModel query;
      datastore::MoneysQuery q;
      q.startDate = QDate(2024, 1, 1);
      q.endDate = QDate(2024, 12, 31);
      q.minSum = -HUGE_VAL;
      q.maxSum = HUGE_VAL;
      query.Fill(*db().Moneys_Query(q));
      for (const int column : {ledger::QueryResultModel::Show, ledger::QueryResultModel::Sprice,
                               ledger::QueryResultModel::Sum})
        QCOMPARE(query.index(0, column).data().toString(), c.text);

      frmMoneysEdit edit;
      edit.Modify(id, *db().Moneys_GetModify(id));
      QCOMPARE(QStringList({edit.txtShow->text(), edit.txtSprice->text(), edit.txtSum->text()}),
               QStringList({c.text, c.text, c.text}));

      const QString line = exchange::ExportText(family, *db().Moneys_ExpRecordSet(QString::number(id)));
      if (std::isfinite(stored))
        QCOMPARE(exchange::ParseLine(family, line.chopped(2), 1).at(7).toDouble(), stored);
    }
  }

  // Every value kind in every column of every family: each row shows once, in a group that holds
  // it, also after its group alone is reloaded, and opens in its edit dialog.
  void everyRowShowsOnceWhateverItsValues() {
    const QStringList odd = {"NULL",
                             "''",
                             "12345",
                             "1e308",
                             "-9e999",
                             "x'00ff41'",
                             "cast(x'ff41c328e5b9b4' as text)",
                             "hex(zeroblob(100000))",
                             "'2024-13-01'",
                             "'2024-02-30 10:00:00'",
                             "'0000-00-00 00:00:00'",
                             "'2026-12-07 12:00:00.999'",
                             "'2024-05-20 08:00:00'",
                             "'Odd'",
                             "'ODD'"};
    const struct {
      QString table;
      QString insert;
      std::function<std::unique_ptr<ListWindow>()> open;
      std::function<std::unique_ptr<listwindow::EditDialog>()> dialog;
      datastore::RowSetPtr (datastore::clsDate::*getModify)(qint64);
    } families[] = {
        {"notes", "(notestitle, notescontent, notesclass, notesdate) values ('t', 'c', '类', '2024-05-01 09:00:00')",
         [] { return std::make_unique<frmNotes>(); }, [] { return std::make_unique<frmNotesEdit>(); },
         &datastore::clsDate::Notes_GetModify},
        {"moneys",
         "(moneysdate, moneystype, moneystitle, moneyscontent, moneysshow, moneysunit, moneyssprice, moneyssum) "
         "values ('2026-12-07 09:00:00', '支出', 't', 'c', 1, '个', 2, 2)",
         [] { return std::make_unique<frmMoneys>(); }, [] { return std::make_unique<frmMoneysEdit>(); },
         &datastore::clsDate::Moneys_GetModify},
        {"reminds",
         "(remindstime, remindstitle, remindscontent, remindsfile, remindsstring2) "
         "values ('2024-05-20 10:00:00', 't', 'c', '', 'Day')",
         [] { return std::make_unique<frmReminds>(); }, [] { return std::make_unique<frmRemindsEdit>(); },
         &datastore::clsDate::Reminds_GetModify},
        {"files",
         "(filesclass, filesfrom, filesname, filestype, filessize, filesmemo, filescontent) "
         "values ('类', '/a.txt', 'a.txt', 'txt', 1, 'm', x'41')",
         [] { return std::make_unique<frmFiles>(); }, [] { return std::make_unique<frmFilesEdit>(); },
         &datastore::clsDate::Files_GetModify},
        {"url", "(urlclass, urltext, urladdress, urlmemo) values ('类', 't', 'http://a', 'm')",
         [] { return std::make_unique<frmUrl>(); }, [] { return std::make_unique<frmUrlEdit>(); },
         &datastore::clsDate::Url_GetModify},
    };
    for (const auto& f : families) {
      const QStringList columns = [&] {
        QStringList names;
        for (auto rs = db().objConn.OpenRowSet("select name from pragma_table_info('" + f.table + "') where pk=0");
             !rs->Eof(); rs->MoveNext())
          names << rs->Fields("name").toString();
        return names;
      }();
      for (const QString& column : columns)
        for (const QString& value : odd) {
          const qint64 id = Insert("insert into " + f.table + " " + f.insert);
          db().objConn.Execute(QString("update %1 set %2=%3 where %1id=?").arg(f.table, column, value), {id});
        }
      const qint64 rows = Count(f.table);
      const auto shown = [&](ListWindow& w) {
        QCOMPARE(w.RecordCount(), rows);
        for (auto rs = db().objConn.OpenRowSet("select " + f.table + "id as id from " + f.table); !rs->Eof();
             rs->MoveNext()) {
          const TreeNode* node = w.Node(Key(rs->Fields("id").toLongLong()));
          QVERIFY2(node && node->Parent() && node->Parent()->Parent() == w.Root(), qPrintable(f.table));
        }
        for (const QString& group : Children(w.Root()))
          QVERIFY2(w.Node("c" + group)->ChildCount() > 0, qPrintable(f.table + ": " + group.left(40)));
      };
      auto w = Shown(f.open());
      shown(*w);
      for (const QString& group : Children(w->Root())) {
        if (QTest::currentTestFailed()) return;
        w->LoadTree(group);
        shown(*w);
      }
      const auto dialog = f.dialog();
      for (auto rs = db().objConn.OpenRowSet("select " + f.table + "id as id from " + f.table); !rs->Eof();
           rs->MoveNext()) {
        const qint64 id = rs->Fields("id").toLongLong();
        dialog->Modify(id, *(db().*f.getModify)(id));
      }
    }
    frmMoneysView::ShowDefault();
  }
};

QTEST_MAIN(TestOddValues)
#include "test_odd_values.moc"
