// Every text field of every record family, filled with the characters that break programs:
// quotes, "|", "{br}", "<分>", CR, LF, U+00A0, U+2028, emoji, characters beyond U+FFFF and a text
// of 100,000 characters. Each comes back unchanged from the data store (added, found, modified)
// and from an export read back by the import, as far as the record file can carry it:
// - "|" separates the fields and is written unescaped: a value holding it moves every later
//   field of its line, so it is not sent through the file here;
// - in the long-text fields every line break, a lone CR or LF too, is written as "{br}" and read
//   back as CR LF, and so is a "{br}" the user typed;
// - in the other fields a lone CR or LF is carried, but CR LF would end the record's line.

#include "exchange/frmExp.h"
#include "exchange/frmImp.h"
#include "modules/bookmarks/frmUrlEdit.h"
#include "modules/files/frmFilesEdit.h"
#include "modules/ledger/frmMoneysEdit.h"
#include "modules/notes/frmNotesEdit.h"
#include "modules/reminders/frmRemindsEdit.h"
#include "filebytes.h"
#include "testenv.h"

#include <QFile>
#include <QTest>
#include <functional>
#include <map>
#include <memory>

using datastore::RowSetPtr;

namespace {

datastore::clsDate& db() { return modStart::objDate(); }

const QString kCrLf = QStringLiteral("\r\n");

struct TextFamily {
  QString table;
  QStringList columns;      // its text fields
  QStringList longColumns;  // those the record file writes as long text
  QString form;             // the module window that exports and imports it; "" when none does
  std::function<qint64(const QStringList& values)> add;  // values in `columns` order
  std::function<qint64(qint64 id, const QStringList& values)> modify;
  std::function<RowSetPtr(qint64 id)> get;
  std::function<RowSetPtr(const QString& category)> byCategory;  // the first column is the category
  std::function<bool(const QString& title)> isDuplicate;          // the second column is the title
};

QString g_source;  // the archive's source file

std::vector<TextFamily> Families() {
  const QString day = QStringLiteral("2024-05-01");
  const QString time = QStringLiteral("2024-05-01 09:00:00");
  auto idText = [](qint64 id) { return QString::number(id); };
  return {
      {"notes", {"notesclass", "notestitle", "notescontent"}, {"notescontent"}, "frmNotes",
       [](const QStringList& v) { return db().Notes_Add(v[1], v[2], v[0], QString()); },
       [](qint64 id, const QStringList& v) { return db().Notes_Modify(id, v[1], v[2], v[0]); },
       [](qint64 id) { return db().Notes_GetModify(id); },
       [](const QString& c) { return db().Notes_GetRecordSet(c); },
       [](const QString& t) { return db().Notes_CheckTitle(t); }},
      {"moneys", {"moneystype", "moneystitle", "moneyscontent", "moneysunit"}, {"moneyscontent"}, "frmMoneys",
       [day](const QStringList& v) { return db().Moneys_Add(day, v[0], v[1], v[2], 1.5, v[3], 2, 3, QString()); },
       [day](qint64 id, const QStringList& v) { return db().Moneys_Modify(id, day, v[0], v[1], v[2], 1.5, v[3], 2, 3); },
       [](qint64 id) { return db().Moneys_GetModify(id); }, nullptr, nullptr},
      {"reminds", {"remindstitle", "remindscontent", "remindsfile"}, {}, "",
       [time](const QStringList& v) { return db().Reminds_Add(time, v[0], v[1], v[2], 0); },
       [time](qint64 id, const QStringList& v) { return db().Reminds_Modify(id, time, v[0], v[1], v[2], 1); },
       [](qint64 id) { return db().Reminds_GetModify(id); }, nullptr, nullptr},
      {"files", {"filesclass", "filesname", "filestype", "filesmemo"}, {}, "",
       [](const QStringList& v) { return db().Files_Add(v[0], g_source, v[1], v[2], 4, v[3]); },
       [](qint64 id, const QStringList& v) { return db().Files_Modify_All(id, v[0], g_source, v[1], v[2], 4, v[3]); },
       [](qint64 id) { return db().Files_GetModify(id); },
       [](const QString& c) { return db().Files_GetRecordSet(c); },
       [](const QString& t) { return db().Files_CheckFilesName(t); }},
      {"url", {"urlclass", "urltext", "urladdress", "urlmemo"}, {"urlmemo"}, "frmUrl",
       [](const QStringList& v) { return db().Url_Add(v[1], v[2], v[3], v[0], QString()); },
       [](qint64 id, const QStringList& v) { return db().Url_Modify(id, v[1], v[2], v[3], v[0]); },
       [](qint64 id) { return db().Url_GetModify(id); },
       [](const QString& c) { return db().Url_GetRecordSet(c); },
       [](const QString& t) { return db().Url_CheckUrlText(t); }},
      {"card",
       {"cardclass", "cardname", "cardcompany", "cardjob", "cardaddress", "cardtel", "cardfax", "cardhandset",
        "cardemail", "cardurl", "cardmemo", "cardstring2", "cardstring3"},
       {"cardaddress", "cardmemo"}, "frmCard",
       [](const QStringList& v) {
         return db().Card_Add(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], QString());
       },
       nullptr, [idText](qint64 id) { return db().Card_ExpRecordSet(idText(id)); },
       [](const QString& c) { return db().Card_GetRecordSet(c); }, nullptr},
      {"diary", {"diarytitle", "diarycontent"}, {"diarycontent"}, "frmDiary",
       [day](const QStringList& v) { return db().Diary_Add(day, v[0], v[1], QString()); }, nullptr,
       [idText](qint64 id) { return db().Diary_ExpRecordSet(idText(id)); }, nullptr, nullptr},
  };
}

void AddKinds() {
  QTest::addColumn<QString>("value");
  QTest::newRow("single quote") << QStringLiteral("O'Brien's 'x' '");
  QTest::newRow("double quote") << QStringLiteral("他说\"好\"\"");
  QTest::newRow("bar") << QStringLiteral("甲|乙|");
  QTest::newRow("{br}") << QStringLiteral("前{br}后{br}");
  QTest::newRow("<分>") << QStringLiteral("上午<分>下午<分隔>");
  QTest::newRow("CR") << QStringLiteral("甲\r乙\r");
  QTest::newRow("LF") << QStringLiteral("\n甲\n乙");
  QTest::newRow("CR LF") << QStringLiteral("甲\r\n乙\r\n");
  QTest::newRow("U+00A0") << QStringLiteral("\u00A0甲\u00A0");
  QTest::newRow("U+2028") << QStringLiteral("甲\u2028乙\u2028");
  QTest::newRow("emoji") << QStringLiteral("😀👍🏽👨‍👩‍👧");
  QTest::newRow("beyond U+FFFF") << QStringLiteral("𠀀𪚥𝄞");
  // Twenty UTF-16 units of everything above but "|" and line breaks, five thousand times.
  QTest::newRow("100,000 characters") << QStringLiteral("长文本'\"<分>\u00A0\u2028😀𠀀 xyzab").repeated(5000);
}

// Values that differ from one field to the next, so that a field stored in another's place shows.
QStringList ValuesFor(const TextFamily& family, const QString& value) {
  QStringList values;
  for (int i = 0; i < family.columns.size(); ++i) values << (i == 0 ? value : value + QString::number(i));
  return values;
}

// A long text as it comes back from the record file: every break, and every "{br}", as CR LF.
QString ThroughLongText(QString text) {
  text.replace(kCrLf, QStringLiteral("\n")).replace(u'\r', u'\n').replace(QStringLiteral("\n"), kCrLf);
  return text.replace(QStringLiteral("{br}"), kCrLf);
}

QString Describe(const QString& text) {
  return text.size() > 40 ? QStringLiteral("%1 characters").arg(text.size()) : QStringLiteral("\"%1\"").arg(text);
}

// Compares the text fields of the current row with the values; "" when they agree.
QString Differences(datastore::RowSet& rs, const QStringList& columns, const QStringList& expected) {
  QString differences;
  for (int i = 0; i < columns.size(); ++i) {
    const QString actual = rs.Fields(columns[i]).toString();
    if (actual != expected[i])
      differences += QStringLiteral(" %1 is %2, not %3;").arg(columns[i], Describe(actual), Describe(expected[i]));
  }
  return differences;
}

bool Contains(RowSetPtr rs, const QString& idColumn, qint64 id) {
  for (; rs && !rs->Eof(); rs->MoveNext())
    if (rs->Fields(idColumn).toLongLong() == id) return true;
  return false;
}

} // namespace

class tst_faults_texts : public QObject {
  Q_OBJECT
private slots:
  void init() {
    env_ = std::make_unique<TestEnv>();
    g_source = env_->dir.filePath(QStringLiteral("source.bin"));
    QVERIFY(WriteBytes(g_source, "data"));
  }
  void cleanup() { env_.reset(); }

  void throughTheDataStore_data() { AddKinds(); }
  void throughTheDataStore();
  void throughTheRecordFile_data() { AddKinds(); }
  void throughTheRecordFile();
  void openedAndSavedUnchanged();

private:
  std::vector<platform::ShownMessage> Failures() const {
    std::vector<platform::ShownMessage> failures;
    for (const auto& box : env_->ui.Messages())
      if (box.title == QStringLiteral("发生错误")) failures.push_back(box);
    return failures;
  }
  std::unique_ptr<TestEnv> env_;
};

void tst_faults_texts::throughTheDataStore() {
  QFETCH(QString, value);
  for (const TextFamily& family : Families()) {
    const QString idColumn = family.table + QStringLiteral("id");
    const QStringList values = ValuesFor(family, value);
    const qint64 id = family.add(values);
    QVERIFY2(id > 0, qPrintable(family.table));
    QString differences = Differences(*family.get(id), family.columns, values);
    QVERIFY2(differences.isEmpty(), qPrintable(family.table + differences));
    // Found again by its category and by its title.
    if (family.byCategory) QVERIFY2(Contains(family.byCategory(values[0]), idColumn, id), qPrintable(family.table));
    if (family.isDuplicate) QVERIFY2(family.isDuplicate(values[1]), qPrintable(family.table));
    if (family.modify) {
      const QStringList changed = ValuesFor(family, QStringLiteral("改") + value);
      QCOMPARE(family.modify(id, changed), id);
      differences = Differences(*family.get(id), family.columns, changed);
      QVERIFY2(differences.isEmpty(), qPrintable(family.table + differences));
    }
  }
  // The scratch pad's one text.
  QVERIFY(db().UserNote_Modify(value));
  QCOMPARE(db().GetUserNote(), value);

  // A source path may hold these characters too, where a file name can.
  if (value.size() < 100) {
    const QString path = env_->dir.filePath(value + QStringLiteral(".bin"));
    QVERIFY(WriteBytes(path, "data"));
    const qint64 id = db().Files_Add(QStringLiteral("类"), path, QStringLiteral("名"), QStringLiteral("bin"), 4, QString());
    QCOMPARE(db().Files_GetModify(id)->Fields("filesfrom").toString(), path);
  }
  QVERIFY(Failures().empty());
}

void tst_faults_texts::throughTheRecordFile() {
  QFETCH(QString, value);
  if (value.contains(u'|')) QSKIP("\"|\" separates the fields of the record file and cannot be carried in one");
  int fileNumber = 0;
  for (const TextFamily& family : Families()) {
    if (family.form.isEmpty()) continue;
    // Line breaks other than CR LF only in fields that are not long text; see the top of the file.
    QStringList values = ValuesFor(family, value);
    QStringList expected;
    for (int i = 0; i < values.size(); ++i) {
      const bool isLong = family.longColumns.contains(family.columns[i]);
      if (!isLong && values[i].contains(kCrLf)) values[i] = QStringLiteral("单行");
      expected << (isLong ? ThroughLongText(values[i]) : values[i]);
    }
    db().objConn.Execute(QStringLiteral("delete from ") + family.table);
    QVERIFY(family.add(values) > 0);

    const QString file = env_->dir.filePath(QStringLiteral("export%1.txt").arg(++fileNumber));
    {
      exchange::frmExp exp(family.form);
      exp.cmdSelectAll_Click();
      env_->ui.fileAnswers.push_back(file);
      exp.cmdOk_Click();
      QVERIFY2(env_->ui.Messages().back().title == QStringLiteral("完成"), qPrintable(env_->ui.Messages().back().text));
    }
    db().objConn.Execute(QStringLiteral("delete from ") + family.table);
    {
      exchange::frmImp imp(family.form);
      env_->ui.fileAnswers.push_back(file);
      imp.cmdOpen_Click();
      QCOMPARE(imp.ItemCount(), 1);
      imp.cmdSelectAll_Click();
      QVERIFY2(imp.Import(), qPrintable(family.form));
    }
    const RowSetPtr rs = db().objConn.OpenRowSet(QStringLiteral("select * from ") + family.table);
    QVERIFY(!rs->Eof());
    const QString differences = Differences(*rs, family.columns, expected);
    QVERIFY2(differences.isEmpty(), qPrintable(family.form + differences));
  }
  QVERIFY(Failures().empty());
}

void tst_faults_texts::openedAndSavedUnchanged() {
  // A record opened in its dialog and saved untouched stays as it was, also when it came from a
  // record file with texts no one could type there: the boxes must not cut a line longer than a
  // line edit takes by default (32767), turn no-break spaces into blanks, nor U+2028 or a lone CR
  // into line breaks. (Quotes are refused by the dialogs' own check.)
  const QString line = QStringLiteral("长\u00A0文\u2028本😀𠀀<分>{br}|").repeated(2000);
  const QString text = QStringLiteral("甲\u00A0乙\u2028丙\r丁\r\n戊😀𠀀<分>{br}|");
  const std::map<QString, std::function<std::unique_ptr<listwindow::EditDialog>()>> dialogs = {
      {"notes", [] { return std::make_unique<frmNotesEdit>(); }},
      {"moneys", [] { return std::make_unique<frmMoneysEdit>(); }},
      {"reminds", [] { return std::make_unique<frmRemindsEdit>(); }},
      {"files", [] { return std::make_unique<frmFilesEdit>(); }},
      {"url", [] { return std::make_unique<frmUrlEdit>(); }},
  };
  for (const TextFamily& family : Families()) {
    if (!dialogs.count(family.table)) continue;
    QStringList values;
    for (const QString& column : family.columns)
      values << (column.endsWith(QLatin1String("content")) || column.endsWith(QLatin1String("memo")) ? text : line);
    if (family.table == QLatin1String("moneys")) values[0] = QStringLiteral("支出");  // a direction
    if (family.table == QLatin1String("reminds")) values[2] = g_source;               // a file that exists
    const qint64 id = family.add(values);
    QVERIFY2(id > 0, qPrintable(family.table));
    const std::unique_ptr<listwindow::EditDialog> dialog = dialogs.at(family.table)();
    dialog->Modify(id, *family.get(id));
    dialog->cmdOk_Click();
    QVERIFY2(!dialog->SavedClass.isEmpty(), qPrintable(family.table));
    const QString differences = Differences(*family.get(id), family.columns, values);
    QVERIFY2(differences.isEmpty(), qPrintable(family.table + differences));
  }
}

QTEST_MAIN(tst_faults_texts)
#include "tst_faults_texts.moc"
