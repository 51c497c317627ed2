#include "datastore/clsDate.h"

#include "platform/clock.h"
#include "platform/errortext.h"
#include "platform/ui.h"
#include "platform/vb.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace datastore {

// Written digit by digit: QDateTime's own formatting costs more than storing an imported row.
QString Timestamp(const QDateTime& value) {
  if (!value.isValid()) return QString();
  const QDate d = value.date();
  const QTime t = value.time();
  QString text(19, Qt::Uninitialized);
  QChar* out = text.data();
  auto put = [&out](int number, int digits, char16_t after) {
    for (int i = digits - 1; i >= 0; --i, number /= 10) out[i] = QChar(u'0' + number % 10);
    out += digits;
    if (after) *out++ = QChar(after);
  };
  put(d.year(), 4, u'-');
  put(d.month(), 2, u'-');
  put(d.day(), 2, u' ');
  put(t.hour(), 2, u':');
  put(t.minute(), 2, u':');
  put(t.second(), 2, 0);
  return text;
}

namespace {

using platform::MsgBox;
using platform::MsgButtons;
using platform::MsgIcon;
using FieldList = std::vector<std::pair<QString, QVariant>>;

const QString kDayPattern = QStringLiteral("yyyy年mm月dd日");
const QString kMonthPattern = QStringLiteral("yyyy年mm月");
// The archive's listings leave the stored bytes out.
const QString kFileListColumns =
    QStringLiteral("filesid, filesclass, filesfrom, filesname, filestype, filessize, filesmemo, filesstring1");

// The connection of the open batch (one import run), if any, and the inserts it has run, each
// compiled once for the run: compiling the same insert for every record would cost more than
// storing it.
Connection* g_batch = nullptr;
struct KeptInsert {
  QString table;
  QStringList names;
  StatementPtr statement;
};
std::vector<KeptInsert> g_inserts;
// Why the open batch's run failed (its caller names the line).
QString g_batchFailure;

// Gives the open batch up: none of its records stays.
void RollBackBatch() {
  Connection* conn = std::exchange(g_batch, nullptr);
  g_inserts.clear();
  if (!conn) return;
  try {
    conn->Rollback();
  } catch (const std::exception&) {
    // What is left in the journal is rolled back at the data set's next read.
  }
}

void ShowFailure(const QString& failure, const QString& description) {
  // A failure ends the batch's run, stored whole or not at all: its caller says why, and that
  // nothing of the run was saved.
  if (g_batch) {
    RollBackBatch();
    g_batchFailure = description;
    return;
  }
  MsgBox(failure + description, MsgButtons::OK, MsgIcon::Critical, QStringLiteral("发生错误"));
}

// Runs an operation's body; any failure is shown after the operation's own text and turns into
// its failure value.
template <class R, class F>
R Guard(const QString& failure, R failValue, F&& body) {
  try {
    return body();
  } catch (const std::exception& e) {
    ShowFailure(failure, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowFailure(failure, QStringLiteral("未知错误"));
  }
  return failValue;
}

// A date text as the data set stores it; a text that is not a date is a failure.
QString DateValue(const QString& text) {
  const auto date = vb::CDate(text);
  if (!date) throw DbError(QStringLiteral("“%1”不是有效的日期").arg(text).toStdString());
  return Timestamp(*date);
}

// No mark is stored as Null.
QVariant ColorValue(const QString& strColor) { return strColor.isEmpty() ? QVariant() : QVariant(strColor); }

// Titles and categories compare without regard to ASCII letter case: the statements compare
// lower(field) with the value's vb::TextKey (the same fold), and sort by the folded text, the text
// itself breaking ties.
QString NoCase(const QString& field) { return QStringLiteral("lower(%1)").arg(field); }
QString TitleOrder(const QString& field) { return QStringLiteral("lower(%1), %1").arg(field); }
// The records of a category: those the category list groups under it. Stored bytes that are not
// UTF-8 read as U+FFFD, so only a group with that character needs the slower textkey(), which folds
// the text as read; lower() folds the bytes and can use the category's index.
QString ClassExpr(const QString& field, const QString& key) {
  return key.contains(QChar::ReplacementCharacter) ? QStringLiteral("textkey(%1)").arg(field) : NoCase(field);
}

QString FormatExpr(const QString& field, const QString& pattern) {
  return QStringLiteral("format(%1,'%2')").arg(field, pattern);
}
// The records of a day: a date that is no date lists as its own text, whose letter case the tree
// ignores as it does a category's; a real day has no letters to fold.
QString DayKey(const QString& field) { return NoCase(FormatExpr(field, kDayPattern)); }

// The ids of a list of decimal ids joined by ",", as a JSON array; anything else is refused.
QString IdArray(const QString& strID) {
  QString array = QStringLiteral("[");
  for (const QString& part : strID.split(u',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const qint64 id = part.trimmed().toLongLong(&ok);
    if (!ok) throw DbError(QStringLiteral("记录编号列表无效：%1").arg(strID).toStdString());
    if (array.size() > 1) array += u',';
    array += QString::number(id);
  }
  return array + u']';
}

QByteArray ReadWholeFile(const QString& path) {
  QFile file(path);
  if (!QFileInfo(path).isFile()) throw DbError(QStringLiteral("文件不存在：%1").arg(path).toStdString());
  if (!file.open(QIODevice::ReadOnly))
    throw DbError(QStringLiteral("无法读取文件 %1：%2").arg(path, platform::FileErrorText(file)).toStdString());
  const qint64 expected = file.size();
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError || bytes.size() != expected)
    throw DbError(QStringLiteral("无法读取文件 %1：%2").arg(path, platform::FileErrorText(file)).toStdString());
  if (bytes.isEmpty()) throw DbError("文件为空");
  return bytes;
}

// --- the operation shapes shared by the families -------------------------------------------

RowSetPtr ByGroup(Connection& conn, const QString& select, const QString& groupExpr, const QString& group,
                  const QString& order) {
  if (group.isEmpty()) return conn.OpenRowSet(QStringLiteral("%1 order by %2").arg(select, order));
  return conn.OpenRowSet(QStringLiteral("%1 where %2=? order by %3").arg(select, groupExpr, order), {group});
}

RowSetPtr ByCategory(Connection& conn, const QString& select, const QString& field, const QString& category,
                     const QString& order) {
  const QString key = vb::TextKey(category);
  return ByGroup(conn, select, ClassExpr(field, key), key, order);
}

// One row per category, whatever the letter case of its records ("Work", "work"): the first
// spelling in binary order stands for it.
RowSetPtr Categories(Connection& conn, const QString& table, const QString& field) {
  return conn.OpenRowSet(
      QStringLiteral("select min(%2) as %2 from %1 group by lower(%2) order by lower(%2)").arg(table, field));
}

RowSetPtr DateGroups(Connection& conn, const QString& table, const QString& field, const QString& pattern,
                     const QString& alias) {
  const QString expr = FormatExpr(field, pattern);
  return conn.OpenRowSet(QStringLiteral("select %1 as %2 from %3 group by %1 order by %1 desc").arg(expr, alias, table));
}

// The ids go bound as one JSON array: a statement with a mark per id costs more to prepare and bind
// than the rows cost to read. Rows of the same order key come by id.
RowSetPtr ByIds(Connection& conn, const QString& table, const QString& strID, const QString& order) {
  return conn.OpenRowSet(
      QStringLiteral("select * from %1 where %1id in (select value from json_each(?)) order by %2, %1id").arg(table, order),
      {IdArray(strID)});
}

RowSetPtr ById(Connection& conn, const QString& table, qint64 id) {
  return conn.OpenRowSet(QStringLiteral("select * from %1 where %1id=?").arg(table), {id});
}

QString InsertSql(const QString& table, const QStringList& names) {
  return QStringLiteral("insert into %1 (%2) values (?%3)")
      .arg(table, names.join(u','), QStringLiteral(",?").repeated(names.size() - 1));
}

// One statement: the row is stored whole or not at all. Within a batch the table's insert is
// compiled once.
qint64 InsertRow(Connection& conn, const QString& table, const FieldList& fields) {
  QVector<QVariant> values;
  values.reserve(qsizetype(fields.size()));
  for (const auto& field : fields) values << field.second;
  auto sameNames = [&](const KeptInsert& kept) {
    if (kept.table != table || kept.names.size() != qsizetype(fields.size())) return false;
    for (size_t i = 0; i < fields.size(); ++i)
      if (kept.names[qsizetype(i)] != fields[i].first) return false;
    return true;
  };
  auto names = [&] {
    QStringList list;
    for (const auto& field : fields) list << field.first;
    return list;
  };
  if (g_batch != &conn) {
    conn.Execute(InsertSql(table, names()), values);
    return conn.LastInsertId();
  }
  auto kept = std::find_if(g_inserts.begin(), g_inserts.end(), sameNames);
  if (kept == g_inserts.end()) {
    const QStringList list = names();
    g_inserts.push_back({table, list, conn.PrepareStatement(InsertSql(table, list))});
    kept = std::prev(g_inserts.end());
  }
  kept->statement->Execute(values);
  return conn.LastInsertId();
}

// One statement; a missing id is a failure, as nothing was modified.
qint64 UpdateRow(Connection& conn, const QString& table, qint64 id, const FieldList& fields) {
  QStringList sets;
  QVector<QVariant> values;
  for (const auto& [name, value] : fields) {
    sets << name + QStringLiteral("=?");
    values << value;
  }
  values << id;
  const qint64 changed = conn.Execute(QStringLiteral("update %1 set %2 where %1id=?").arg(table, sets.join(u',')), values);
  if (changed == 0) throw DbError(QStringLiteral("没有找到编号为 %1 的记录").arg(id).toStdString());
  return id;
}

bool SetColor(Connection& conn, const QString& table, qint64 id, const QString& strColor) {
  // White is no mark.
  const QVariant color = strColor == QLatin1String("16777215") ? QVariant() : QVariant(strColor);
  conn.Execute(QStringLiteral("update %1 set %1string1=? where %1id=?").arg(table), {color, id});
  return true;
}

bool SetCategory(Connection& conn, const QString& table, const QString& field, const QString& newClass,
                 const QString& oldClass) {
  const QString key = vb::TextKey(oldClass);
  conn.Execute(QStringLiteral("update %1 set %2=? where %3=?").arg(table, field, ClassExpr(field, key)), {newClass, key});
  return true;
}

// Deletes the rows where expr equals value.
bool DeleteWhere(Connection& conn, const QString& table, const QString& expr, const QVariant& value) {
  conn.Execute(QStringLiteral("Delete from %1 where %2=?").arg(table, expr), {value});
  return true;
}

// A duplicate (a row of table other than exceptId whose expr equals value) shows its box and
// answers true (stop).
bool IsDuplicate(Connection& conn, const QString& table, const QString& expr, const QString& value, qint64 exceptId,
                 const QString& message, const QString& title) {
  const QString sql = QStringLiteral("select %1id from %1 where %2=? and %1id<>?").arg(table, expr);
  if (conn.OpenRowSet(sql, {value, exceptId})->Eof()) return false;
  MsgBox(message, MsgButtons::OK, MsgIcon::Critical, title);
  return true;
}

QString TextOf(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

// What the record families do alike, each operation with its own failure text. A family's fields
// are its table's name followed by "id", "class" and "string1".
struct Family {
  const char* table;
  const char* getOne;
  const char* color;
  const char* remove;
  // Families grouped by a category field; the others group by a day.
  const char* rename = nullptr;
  const char* removeClass = nullptr;
};

const Family kNotes{.table = "notes",
                    .getOne = "获得常用资料笔记时发生错误，",
                    .color = "修改常用资料笔记标识时发生错误，",
                    .remove = "删除常用资料笔记时发生错误，",
                    .rename = "修改常用资料笔记分类时发生错误，",
                    .removeClass = "删除常用资料笔记分类时发生错误，"};
const Family kMoneys{.table = "moneys",
                     .getOne = "获得日常收支帐目时发生错误，",
                     .color = "修改日常收支帐目标识时发生错误，",
                     .remove = "删除日常收支帐目时发生错误，"};
const Family kReminds{.table = "reminds",
                      .getOne = "获得计划任务提醒时发生错误，",
                      .color = "修改计划任务提醒标识时发生错误，",
                      .remove = "删除计划任务提醒时发生错误，"};
const Family kFiles{.table = "files",
                    .getOne = "获得重要文件备案时发生错误，",
                    .color = "修改重要文件备案标识时发生错误，",
                    .remove = "删除重要文件备案时发生错误，",
                    .rename = "修改重要文件备案分类时发生错误，",
                    .removeClass = "删除重要文件备案分类时发生错误，"};
const Family kUrl{.table = "url",
                  .getOne = "获得收藏网址资料时发生错误，",
                  .color = "修改收藏网址资料标识时发生错误，",
                  .remove = "删除收藏网址资料时发生错误，",
                  .rename = "修改收藏网址资料分类时发生错误，",
                  .removeClass = "删除收藏网址资料分类时发生错误，"};

RowSetPtr GetOne(Connection& conn, const Family& f, qint64 id) {
  return Guard(f.getOne, RowSetPtr(), [&] { return ById(conn, f.table, id); });
}

bool MarkOne(Connection& conn, const Family& f, qint64 id, const QString& strColor) {
  return Guard(f.color, false, [&] { return SetColor(conn, f.table, id, strColor); });
}

bool DeleteOne(Connection& conn, const Family& f, qint64 id) {
  return Guard(f.remove, false, [&] { return DeleteWhere(conn, f.table, QString(f.table) + "id", id); });
}

bool RenameClass(Connection& conn, const Family& f, const QString& newClass, const QString& oldClass) {
  return Guard(f.rename, false, [&] { return SetCategory(conn, f.table, QString(f.table) + "class", newClass, oldClass); });
}

bool DeleteClass(Connection& conn, const Family& f, const QString& strClass) {
  return Guard(f.removeClass, false, [&] {
    const QString key = vb::TextKey(strClass);
    return DeleteWhere(conn, f.table, ClassExpr(QString(f.table) + "class", key), key);
  });
}

} // namespace

// --- data set and configuration record -------------------------------------------------------

bool clsDate::OpenDataBase(const QString& path) {
  try {
    objConn.Open(path);
    const QString now = Timestamp(platform::Now());
    const qint64 stamped = objConn.Execute(
        QStringLiteral("update configs set configsstartdate=coalesce(nullif(configsstartdate,''),?), "
                       "configsenddate=?, configsusecount=coalesce(configsusecount,0)+1 "
                       "where configsid=(select min(configsid) from configs)"),
        {now, now});
    if (stamped == 0) throw DbError("数据账套中没有配置记录");
    ReadSystemConfig();
    return true;
  } catch (const std::exception& e) {
    objConn.Close();
    ShowFailure(QStringLiteral("打开数据账套时发生错误，"), QString::fromUtf8(e.what()));
  }
  return false;
}

void clsDate::CloseDataBase() { objConn.Close(); }

clsDate::Batch::Batch(clsDate& date) {
  g_batchFailure.clear();
  try {
    date.objConn.Begin();
    g_batch = &date.objConn;
    started_ = true;
  } catch (const std::exception& e) {
    g_batchFailure = QString::fromUtf8(e.what());
  }
}

clsDate::Batch::~Batch() {
  if (started_) RollBackBatch();
}

bool clsDate::Batch::Commit() {
  // Without a batch left, an operation failed and rolled it back.
  if (!std::exchange(started_, false) || !g_batch) return false;
  try {
    g_inserts.clear();
    g_batch->Commit();
    g_batch = nullptr;
    return true;
  } catch (const std::exception& e) {
    g_batchFailure = QString::fromUtf8(e.what());
    RollBackBatch();
  }
  return false;
}

QString clsDate::Batch::Failure() const { return g_batchFailure; }

void clsDate::ReadSystemConfig() {
  const RowSetPtr rs = objConn.OpenRowSet(QStringLiteral("select * from configs order by configsid"));
  if (rs->Eof()) throw DbError("数据账套中没有配置记录");
  auto date = [](const QVariant& v) {
    const auto d = v.isNull() ? std::nullopt : vb::CDate(v.toString());
    return d ? *d : QDateTime();
  };
  clsSystem config;
  config.UserName = TextOf(rs->Fields(QStringLiteral("configsusername")));
  config.UserPassword = TextOf(rs->Fields(QStringLiteral("configspassword")));
  config.NoLogin = rs->Fields(QStringLiteral("configsnologin")).toLongLong() != 0;
  config.StartDate = date(rs->Fields(QStringLiteral("configsstartdate")));
  config.EndDate = date(rs->Fields(QStringLiteral("configsenddate")));
  config.UseCount = rs->Fields(QStringLiteral("configsusecount")).toLongLong();
  config.AppTitle = TextOf(rs->Fields(QStringLiteral("configstitle")));
  config.WebUrl = TextOf(rs->Fields(QStringLiteral("configsurl")));
  config.Email = TextOf(rs->Fields(QStringLiteral("configsemail")));
  objSystem = config;
}

bool clsDate::GetSystemConfig() {
  return Guard(QStringLiteral("获得系统配置时发生错误，"), false, [&] {
    ReadSystemConfig();
    return true;
  });
}

bool clsDate::CreateDataBase(const QString& path) {
  return Guard(QStringLiteral("创建数据账套时发生错误，"), false, [&] {
    Connection::CreateDataSet(path);
    return true;
  });
}

bool clsDate::IsCheckInputTrue(TextInput& objText, const QString& strCaption, bool blnNull, bool blnNumeric,
                               bool blnDate, bool blnSign) {
  const QString text = objText.Text();
  QString message, title;
  if (blnNull && vb::Trim(text).isEmpty()) {
    message = QStringLiteral("条件不足：[%1] 不允许为空，请您输入！").arg(strCaption);
    title = QStringLiteral("条件不足");
  } else if (blnNumeric && !vb::IsNumeric(text)) {
    message = QStringLiteral("格式错误：[%1] 不是数值，请您输入数值格式！").arg(strCaption);
    title = QStringLiteral("格式错误");
  } else if (blnDate && !vb::IsDate(text)) {
    message = QStringLiteral("格式错误：[%1] 不是日期格式，请您输入 [YYYY-MM-DD] 日期格式！").arg(strCaption);
    title = QStringLiteral("格式错误");
  } else if (blnSign && text.contains(u'\'')) {
    message = QStringLiteral("存在特殊符号：[%1] 存在单引号，请删除单引号继续！").arg(strCaption);
    title = QStringLiteral("存在特殊符号");
  } else if (blnSign && text.contains(u'"')) {
    message = QStringLiteral("存在特殊符号：[%1] 存在双引号，请删除双引号继续！").arg(strCaption);
    title = QStringLiteral("存在特殊符号");
  } else {
    return true;
  }
  MsgBox(message, MsgButtons::OK, MsgIcon::Exclamation, title);
  objText.SetFocus();
  return false;
}

// --- reference notes -----------------------------------------------------------------------

RowSetPtr clsDate::Notes_GetClass() {
  return Guard(QStringLiteral("获得资料笔记分类时发生错误，"), RowSetPtr(),
               [&] { return Categories(objConn, QStringLiteral("notes"), QStringLiteral("notesclass")); });
}

RowSetPtr clsDate::Notes_GetRecordSet(const QString& strClass) {
  return Guard(QStringLiteral("获得资料笔记列表时发生错误，"), RowSetPtr(), [&] {
    return ByCategory(objConn, QStringLiteral("select * from notes"), QStringLiteral("notesclass"), strClass,
                      TitleOrder(QStringLiteral("notestitle")));
  });
}

RowSetPtr clsDate::Notes_GetAllRecords() {
  return Guard(QStringLiteral("获得资料笔记列表时发生错误，"), RowSetPtr(), [&] {
    // The title index lists ties by id, as Notes_GetRecordSet's plan reads them.
    return objConn.OpenRowSetInStorageOrder(
        QStringLiteral("select notesid, notestitle, notescontent, notesclass, notesdate, notesstring1 from notes "
                       "order by notesid"),
        QStringLiteral("select notesid from notes order by %1, notesid").arg(TitleOrder(QStringLiteral("notestitle"))));
  });
}

bool clsDate::Notes_CheckTitle(const QString& strTitle, qint64 exceptId) {
  return Guard(QStringLiteral("检查资料主题是否重复时发生错误，"), true, [&] {
    return IsDuplicate(objConn, QStringLiteral("notes"), NoCase(QStringLiteral("notestitle")), vb::TextKey(strTitle), exceptId,
                       QStringLiteral("资料主题 %1 已经存在，请您重新输入。").arg(strTitle), QStringLiteral("资料主题重复"));
  });
}

RowSetPtr clsDate::Notes_ExpRecordSet(const QString& strID) {
  return Guard(QStringLiteral("获得导出资料列表时发生错误，"), RowSetPtr(),
               [&] { return ByIds(objConn, QStringLiteral("notes"), strID, QStringLiteral("notesdate")); });
}

qint64 clsDate::Notes_Add(const QString& strTitle, const QString& strContent, const QString& strClass,
                          const QString& strColor) {
  return Guard(QStringLiteral("增加常用资料笔记时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("notes"),
                     {{QStringLiteral("notestitle"), strTitle},
                      {QStringLiteral("notescontent"), strContent},
                      {QStringLiteral("notesclass"), strClass},
                      {QStringLiteral("notesdate"), Timestamp(platform::Now())},
                      {QStringLiteral("notesstring1"), ColorValue(strColor)}});
  });
}

qint64 clsDate::Notes_Modify(qint64 intID, const QString& strTitle, const QString& strContent,
                             const QString& strClass) {
  return Guard(QStringLiteral("修改常用资料笔记时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("notes"), intID,
                     {{QStringLiteral("notestitle"), strTitle},
                      {QStringLiteral("notescontent"), strContent},
                      {QStringLiteral("notesclass"), strClass},
                      {QStringLiteral("notesdate"), Timestamp(platform::Now())}});
  });
}

bool clsDate::Notes_ModifyClass(const QString& newClass, const QString& oldClass) {
  return RenameClass(objConn, kNotes, newClass, oldClass);
}

bool clsDate::Notes_ModifyColor(qint64 id, const QString& strColor) { return MarkOne(objConn, kNotes, id, strColor); }

bool clsDate::Notes_DeleteClass(const QString& strClass) { return DeleteClass(objConn, kNotes, strClass); }

bool clsDate::Notes_Delete(qint64 intID) { return DeleteOne(objConn, kNotes, intID); }

RowSetPtr clsDate::Notes_GetModify(qint64 intID) { return GetOne(objConn, kNotes, intID); }

// --- income and expense ledger -------------------------------------------------------------

RowSetPtr clsDate::Moneys_GetClass() {
  return Guard(QStringLiteral("获得收支帐目日期时发生错误，"), RowSetPtr(), [&] {
    return DateGroups(objConn, QStringLiteral("moneys"), QStringLiteral("moneysdate"), kDayPattern,
                      QStringLiteral("moneysgroup"));
  });
}

RowSetPtr clsDate::Moneys_GetRecordSet(const QString& strDate) {
  return Guard(QStringLiteral("获得收支帐目记录时发生错误，"), RowSetPtr(), [&] {
    return ByGroup(objConn, QStringLiteral("select * from moneys"), DayKey(QStringLiteral("moneysdate")),
                   vb::TextKey(strDate), QStringLiteral("moneysdate"));
  });
}

RowSetPtr clsDate::Moneys_GetAllRecords() {
  return Guard(QStringLiteral("获得收支帐目记录时发生错误，"), RowSetPtr(), [&] {
    // The date index lists ties by id, as Moneys_GetRecordSet's plan reads them.
    return objConn.OpenRowSetInStorageOrder(
        QStringLiteral("select moneysid, moneysdate, moneystype, moneystitle, moneyscontent, moneysshow, moneysunit, "
                       "moneyssprice, moneyssum, moneysstring1 from moneys order by moneysid"),
        QStringLiteral("select moneysid from moneys order by moneysdate, moneysid"));
  });
}

RowSetPtr clsDate::Moneys_ExpRecordSet(const QString& strID) {
  return Guard(QStringLiteral("获得导出收支列表时发生错误，"), RowSetPtr(),
               [&] { return ByIds(objConn, QStringLiteral("moneys"), strID, QStringLiteral("moneysdate")); });
}

qint64 clsDate::Moneys_Add(const QString& moneysdate, const QString& moneystype, const QString& moneystitle,
                           const QString& moneyscontent, double moneyshow, const QString& moneysunit,
                           double moneysprice, double moneyssum, const QString& strColor) {
  return Guard(QStringLiteral("增加日常收支帐目时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("moneys"),
                     {{QStringLiteral("moneysdate"), DateValue(moneysdate)},
                      {QStringLiteral("moneystype"), moneystype},
                      {QStringLiteral("moneystitle"), moneystitle},
                      {QStringLiteral("moneyscontent"), moneyscontent},
                      {QStringLiteral("moneysshow"), moneyshow},
                      {QStringLiteral("moneysunit"), moneysunit},
                      {QStringLiteral("moneyssprice"), moneysprice},
                      {QStringLiteral("moneyssum"), moneyssum},
                      {QStringLiteral("moneysstring1"), ColorValue(strColor)}});
  });
}

qint64 clsDate::Moneys_Modify(qint64 intID, const QString& moneysdate, const QString& moneystype,
                              const QString& moneystitle, const QString& moneyscontent, double moneyshow,
                              const QString& moneysunit, double moneysprice, double moneyssum) {
  return Guard(QStringLiteral("修改日常收支帐目时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("moneys"), intID,
                     {{QStringLiteral("moneysdate"), DateValue(moneysdate)},
                      {QStringLiteral("moneystype"), moneystype},
                      {QStringLiteral("moneystitle"), moneystitle},
                      {QStringLiteral("moneyscontent"), moneyscontent},
                      {QStringLiteral("moneysshow"), moneyshow},
                      {QStringLiteral("moneysunit"), moneysunit},
                      {QStringLiteral("moneyssprice"), moneysprice},
                      {QStringLiteral("moneyssum"), moneyssum}});
  });
}

bool clsDate::Moneys_ModifyColor(qint64 id, const QString& strColor) { return MarkOne(objConn, kMoneys, id, strColor); }

bool clsDate::Moneys_Delete(qint64 intID) { return DeleteOne(objConn, kMoneys, intID); }

bool clsDate::Moneys_DeleteClass(const QString& strDate) {
  return Guard(QStringLiteral("删除日常收支帐日期时发生错误，"), false, [&] {
    return DeleteWhere(objConn, QStringLiteral("moneys"), DayKey(QStringLiteral("moneysdate")), vb::TextKey(strDate));
  });
}

RowSetPtr clsDate::Moneys_GetModify(qint64 intID) { return GetOne(objConn, kMoneys, intID); }

RowSetPtr clsDate::Moneys_Query(const MoneysQuery& query) {
  return Guard(QStringLiteral("获得收支帐目记录时发生错误，"), RowSetPtr(), [&] {
    static const QStringList kOrderFields = {
        QStringLiteral("moneysid"),   QStringLiteral("moneysdate"),   QStringLiteral("moneystype"),
        QStringLiteral("moneystitle"), QStringLiteral("moneysshow"),  QStringLiteral("moneysunit"),
        QStringLiteral("moneyssprice"), QStringLiteral("moneyssum"), QStringLiteral("moneyscontent")};
    if (!kOrderFields.contains(query.orderField))
      throw DbError(QStringLiteral("无效的排序字段：%1").arg(query.orderField).toStdString());
    if (!query.startDate.isValid() || !query.endDate.isValid()) throw DbError("无效的日期范围");
    // Dates are stored as "yyyy-MM-dd hh:mm:ss": a range of days is a range of that text, which
    // the index on moneysdate serves.
    QString sql = QStringLiteral(
        "select * from moneys where moneysdate>=? and moneysdate<=? and moneyssum>=? and moneyssum<=?");
    QVector<QVariant> binds = {query.startDate.toString(QStringLiteral("yyyy-MM-dd")),
                               query.endDate.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59"),
                               query.minSum, query.maxSum};
    if (!query.title.isEmpty()) {
      sql += QStringLiteral(" and instr(lower(moneystitle),lower(?))<>0");
      binds << query.title;
    }
    if (!query.type.isEmpty()) {
      sql += QStringLiteral(" and moneystype=? collate nocase");
      binds << query.type;
    }
    // Texts sort without regard to ASCII letter case, as every other order does; entries with
    // equal values keep the order in which they were added. The date needs no fold, and keeps its index.
    static const QStringList kTextFields = {QStringLiteral("moneystype"), QStringLiteral("moneystitle"),
                                            QStringLiteral("moneysunit"), QStringLiteral("moneyscontent")};
    const QString field = kTextFields.contains(query.orderField) ? NoCase(query.orderField) : query.orderField;
    const QString direction = query.descending ? QStringLiteral(" desc") : QString();
    sql += QStringLiteral(" order by %1%2, moneysid%2").arg(field, direction);
    return objConn.OpenRowSet(sql, binds);
  });
}

// --- reminders -----------------------------------------------------------------------------

RowSetPtr clsDate::Reminds_GetClass() {
  return Guard(QStringLiteral("获得计划任务提醒时发生错误，"), RowSetPtr(), [&] {
    return DateGroups(objConn, QStringLiteral("reminds"), QStringLiteral("remindstime"), kDayPattern,
                      QStringLiteral("remindsgroup"));
  });
}

RowSetPtr clsDate::Reminds_GetRecordSet(const QString& strClass) {
  return Guard(QStringLiteral("获得计划任务提醒时发生错误，"), RowSetPtr(), [&] {
    return ByGroup(objConn, QStringLiteral("select * from reminds"),
                   DayKey(QStringLiteral("remindstime")), vb::TextKey(strClass), QStringLiteral("remindstime"));
  });
}

qint64 clsDate::Reminds_Add(const QString& strTime, const QString& strTitle, const QString& strContent,
                            const QString& strFile, int intString2) {
  return Guard(QStringLiteral("增加计划任务提醒时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("reminds"),
                     {{QStringLiteral("remindstime"), DateValue(strTime)},
                      {QStringLiteral("remindstitle"), strTitle},
                      {QStringLiteral("remindscontent"), strContent},
                      {QStringLiteral("remindsfile"), strFile},
                      {QStringLiteral("remindsstring2"), intString2 == 0 ? QVariant() : QVariant(QStringLiteral("Day"))}});
  });
}

qint64 clsDate::Reminds_Modify(qint64 intID, const QString& strTime, const QString& strTitle,
                               const QString& strContent, const QString& strFile, int strString2) {
  return Guard(QStringLiteral("修改计划任务提醒时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("reminds"), intID,
                     {{QStringLiteral("remindstime"), DateValue(strTime)},
                      {QStringLiteral("remindstitle"), strTitle},
                      {QStringLiteral("remindscontent"), strContent},
                      {QStringLiteral("remindsfile"), strFile},
                      {QStringLiteral("remindsstring2"), strString2 == 0 ? QVariant() : QVariant(QStringLiteral("Day"))}});
  });
}

bool clsDate::Reminds_ModifyColor(qint64 id, const QString& strColor) { return MarkOne(objConn, kReminds, id, strColor); }

RowSetPtr clsDate::Reminds_GetModify(qint64 intID) { return GetOne(objConn, kReminds, intID); }

bool clsDate::Reminds_Delete(qint64 intID) { return DeleteOne(objConn, kReminds, intID); }

bool clsDate::Reminds_DeleteClass(const QString& strDate) {
  return Guard(QStringLiteral("删除计划任务提醒日期时发生错误，"), false, [&] {
    return DeleteWhere(objConn, QStringLiteral("reminds"), DayKey(QStringLiteral("remindstime")), vb::TextKey(strDate));
  });
}

// --- file archive --------------------------------------------------------------------------

RowSetPtr clsDate::Files_GetClass() {
  return Guard(QStringLiteral("获得重要文件备案分类时发生错误，"), RowSetPtr(),
               [&] { return Categories(objConn, QStringLiteral("files"), QStringLiteral("filesclass")); });
}

RowSetPtr clsDate::Files_GetRecordSet(const QString& strClass) {
  return Guard(QStringLiteral("获得重要文件备案时发生错误，"), RowSetPtr(), [&] {
    return ByCategory(objConn, QStringLiteral("select %1 from files").arg(kFileListColumns), QStringLiteral("filesclass"),
                      strClass, QStringLiteral("filesid"));
  });
}

bool clsDate::Files_CheckFilesName(const QString& strTitle, qint64 exceptId) {
  return Guard(QStringLiteral("检查文件名称是否重复时发生错误，"), true, [&] {
    return IsDuplicate(objConn, QStringLiteral("files"), NoCase(QStringLiteral("filesname")), vb::TextKey(strTitle), exceptId,
                       QStringLiteral("文件名称 %1 已经存在，请您重新输入。").arg(strTitle), QStringLiteral("文件名称重复"));
  });
}

qint64 clsDate::Files_Add(const QString& filesclass, const QString& filesfrom, const QString& filesname,
                          const QString& filestype, double filessize, const QString& filesmemo) {
  return Guard(QStringLiteral("增加重要文件备案时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("files"),
                     {{QStringLiteral("filesclass"), filesclass},
                      {QStringLiteral("filesfrom"), filesfrom},
                      {QStringLiteral("filesname"), filesname},
                      {QStringLiteral("filestype"), filestype},
                      {QStringLiteral("filessize"), filessize},
                      {QStringLiteral("filescontent"), ReadWholeFile(filesfrom)},
                      {QStringLiteral("filesmemo"), filesmemo}});
  });
}

qint64 clsDate::Files_Modify_Info(qint64 intID, const QString& filesclass, const QString& filesname,
                                  const QString& filesmemo) {
  return Guard(QStringLiteral("修改重要文件备案时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("files"), intID,
                     {{QStringLiteral("filesclass"), filesclass},
                      {QStringLiteral("filesname"), filesname},
                      {QStringLiteral("filesmemo"), filesmemo}});
  });
}

qint64 clsDate::Files_Modify_All(qint64 intID, const QString& filesclass, const QString& filesfrom,
                                 const QString& filesname, const QString& filestype, double filessize,
                                 const QString& filesmemo) {
  return Guard(QStringLiteral("修改重要文件备案时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("files"), intID,
                     {{QStringLiteral("filesclass"), filesclass},
                      {QStringLiteral("filesfrom"), filesfrom},
                      {QStringLiteral("filesname"), filesname},
                      {QStringLiteral("filestype"), filestype},
                      {QStringLiteral("filessize"), filessize},
                      {QStringLiteral("filescontent"), ReadWholeFile(filesfrom)},
                      {QStringLiteral("filesmemo"), filesmemo}});
  });
}

bool clsDate::Files_ModifyColor(qint64 id, const QString& strColor) { return MarkOne(objConn, kFiles, id, strColor); }

bool clsDate::Files_ModifyClass(const QString& newClass, const QString& oldClass) {
  return RenameClass(objConn, kFiles, newClass, oldClass);
}

RowSetPtr clsDate::Files_GetModify(qint64 intID) { return GetOne(objConn, kFiles, intID); }

bool clsDate::Files_Delete(qint64 intID) { return DeleteOne(objConn, kFiles, intID); }

bool clsDate::Files_DeleteClass(const QString& strClass) { return DeleteClass(objConn, kFiles, strClass); }

// --- bookmarks -----------------------------------------------------------------------------

RowSetPtr clsDate::Url_GetClass() {
  return Guard(QStringLiteral("获得网址收藏管理时发生错误，"), RowSetPtr(),
               [&] { return Categories(objConn, QStringLiteral("url"), QStringLiteral("urlclass")); });
}

RowSetPtr clsDate::Url_GetRecordSet(const QString& strClass) {
  return Guard(QStringLiteral("获得网址收藏管理时发生错误，"), RowSetPtr(), [&] {
    return ByCategory(objConn, QStringLiteral("select * from url"), QStringLiteral("urlclass"), strClass,
                      TitleOrder(QStringLiteral("urltext")));
  });
}

RowSetPtr clsDate::Url_ExpRecordSet(const QString& strID) {
  return Guard(QStringLiteral("获得导出网址列表时发生错误，"), RowSetPtr(),
               [&] { return ByIds(objConn, QStringLiteral("url"), strID, TitleOrder(QStringLiteral("urltext"))); });
}

bool clsDate::Url_CheckUrlText(const QString& strTitle, qint64 exceptId) {
  return Guard(QStringLiteral("检查收藏标题是否重复时发生错误，"), true, [&] {
    return IsDuplicate(objConn, QStringLiteral("url"), NoCase(QStringLiteral("urltext")), vb::TextKey(strTitle), exceptId,
                       QStringLiteral("收藏标题 %1 已经存在，请您重新输入。").arg(strTitle), QStringLiteral("收藏标题重复"));
  });
}

qint64 clsDate::Url_Add(const QString& strTitle, const QString& strAddress, const QString& strContent,
                        const QString& strClass, const QString& strColor) {
  return Guard(QStringLiteral("增加收藏网址资料时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("url"),
                     {{QStringLiteral("urlclass"), strClass},
                      {QStringLiteral("urltext"), strTitle},
                      {QStringLiteral("urladdress"), strAddress},
                      {QStringLiteral("urlmemo"), strContent},
                      {QStringLiteral("urlstring1"), ColorValue(strColor)}});
  });
}

qint64 clsDate::Url_Modify(qint64 intID, const QString& strTitle, const QString& strAddress,
                           const QString& strContent, const QString& strClass) {
  return Guard(QStringLiteral("修改收藏网址资料时发生错误，"), qint64(0), [&] {
    return UpdateRow(objConn, QStringLiteral("url"), intID,
                     {{QStringLiteral("urlclass"), strClass},
                      {QStringLiteral("urltext"), strTitle},
                      {QStringLiteral("urladdress"), strAddress},
                      {QStringLiteral("urlmemo"), strContent}});
  });
}

bool clsDate::Url_ModifyColor(qint64 id, const QString& strColor) { return MarkOne(objConn, kUrl, id, strColor); }

bool clsDate::Url_ModifyClass(const QString& newClass, const QString& oldClass) {
  return RenameClass(objConn, kUrl, newClass, oldClass);
}

RowSetPtr clsDate::Url_GetModify(qint64 intID) { return GetOne(objConn, kUrl, intID); }

bool clsDate::Url_Delete(qint64 intID) { return DeleteOne(objConn, kUrl, intID); }

bool clsDate::Url_DeleteClass(const QString& strClass) { return DeleteClass(objConn, kUrl, strClass); }

// --- contacts and work diary ---------------------------------------------------------------

RowSetPtr clsDate::Card_GetClass() {
  return Guard(QStringLiteral("获得名片记录分类时发生错误，"), RowSetPtr(),
               [&] { return Categories(objConn, QStringLiteral("card"), QStringLiteral("cardclass")); });
}

RowSetPtr clsDate::Card_GetRecordSet(const QString& strClass) {
  return Guard(QStringLiteral("获得名片记录列表时发生错误，"), RowSetPtr(), [&] {
    return ByCategory(objConn, QStringLiteral("select * from card"), QStringLiteral("cardclass"), strClass,
                      TitleOrder(QStringLiteral("cardname")));
  });
}

RowSetPtr clsDate::Card_ExpRecordSet(const QString& strID) {
  return Guard(QStringLiteral("获得导出名片列表时发生错误，"), RowSetPtr(),
               [&] { return ByIds(objConn, QStringLiteral("card"), strID, TitleOrder(QStringLiteral("cardname"))); });
}

qint64 clsDate::Card_Add(const QString& cardclass, const QString& cardname, const QString& cardcompany,
                         const QString& cardjob, const QString& cardaddress, const QString& cardtel,
                         const QString& cardfax, const QString& cardhandset, const QString& cardemail,
                         const QString& cardurl, const QString& cardmemo, const QString& cardstring2,
                         const QString& cardstring3, const QString& strColor) {
  return Guard(QStringLiteral("增加客户好友名片时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("card"),
                     {{QStringLiteral("cardclass"), cardclass},
                      {QStringLiteral("cardname"), cardname},
                      {QStringLiteral("cardcompany"), cardcompany},
                      {QStringLiteral("cardjob"), cardjob},
                      {QStringLiteral("cardaddress"), cardaddress},
                      {QStringLiteral("cardtel"), cardtel},
                      {QStringLiteral("cardfax"), cardfax},
                      {QStringLiteral("cardhandset"), cardhandset},
                      {QStringLiteral("cardemail"), cardemail},
                      {QStringLiteral("cardurl"), cardurl},
                      {QStringLiteral("cardmemo"), cardmemo},
                      {QStringLiteral("cardstring2"), cardstring2},
                      {QStringLiteral("cardstring3"), cardstring3},
                      {QStringLiteral("cardstring1"), ColorValue(strColor)}});
  });
}

bool clsDate::Card_CheckCard(const QString& strTitle) {
  return Guard(QStringLiteral("检查名片的姓名是否重复时发生错误，"), false, [&] {
    const RowSetPtr rs = objConn.OpenRowSet(QStringLiteral("select * from card where lower(cardname)=?"), {vb::TextKey(strTitle)});
    if (rs->Eof()) return false;
    const QString rule = QStringLiteral("=====================================");
    const QStringList lines = {
        QStringLiteral("姓名“%1”在客户好友名片中已经存在。").arg(strTitle),
        QString(),
        rule,
        QStringLiteral("位置：[%1] %2")
            .arg(TextOf(rs->Fields(QStringLiteral("cardclass"))), TextOf(rs->Fields(QStringLiteral("cardname")))),
        QStringLiteral("公司：") + TextOf(rs->Fields(QStringLiteral("cardcompany"))),
        rule,
        QString(),
        QStringLiteral("是否允许重复而继续保存？")};
    rs->Close();
    return MsgBox(lines.join(u'\n'), MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("名片的姓名重复")) !=
           platform::MsgResult::Yes;
  });
}

RowSetPtr clsDate::Diary_GetClass() {
  return Guard(QStringLiteral("获得日记月份分类时发生错误，"), RowSetPtr(), [&] {
    return DateGroups(objConn, QStringLiteral("diary"), QStringLiteral("diarydate"), kMonthPattern,
                      QStringLiteral("diarymonth"));
  });
}

RowSetPtr clsDate::Diary_GetRecordSet(const QString& strMonth) {
  return Guard(QStringLiteral("获得工作日记列表时发生错误，"), RowSetPtr(), [&] {
    return ByGroup(objConn, QStringLiteral("select * from diary"), FormatExpr(QStringLiteral("diarydate"), kMonthPattern),
                   strMonth, QStringLiteral("diarydate"));
  });
}

RowSetPtr clsDate::Diary_ExpRecordSet(const QString& strID) {
  return Guard(QStringLiteral("获得导出日记列表时发生错误，"), RowSetPtr(),
               [&] { return ByIds(objConn, QStringLiteral("diary"), strID, QStringLiteral("diarydate")); });
}

qint64 clsDate::Diary_Add(const QString& diarydate, const QString& diarytitle, const QString& diarycontent,
                          const QString& strColor) {
  return Guard(QStringLiteral("增加工作日记时发生错误，"), qint64(0), [&] {
    return InsertRow(objConn, QStringLiteral("diary"),
                     {{QStringLiteral("diarydate"), DateValue(diarydate)},
                      {QStringLiteral("diarytitle"), diarytitle},
                      {QStringLiteral("diarycontent"), diarycontent},
                      {QStringLiteral("diarytime"), Timestamp(platform::Now())},
                      {QStringLiteral("diarystring1"), ColorValue(strColor)}});
  });
}

bool clsDate::Diary_CheckDate(const QString& strDate) {
  return Guard(QStringLiteral("检查日记日期是否重复时发生错误，"), true, [&] {
    return IsDuplicate(objConn, QStringLiteral("diary"), FormatExpr(QStringLiteral("diarydate"), QStringLiteral("yyyy-mm-dd")),
                       strDate, 0,
                       QStringLiteral("日记日期 %1 已经存在，请您重新输入。").arg(strDate), QStringLiteral("日记日期重复"));
  });
}

// --- scratch pad ---------------------------------------------------------------------------

QString clsDate::GetUserNote() {
  return Guard(QStringLiteral("获得临时记事便条时发生错误，"), QString(), [&] {
    const RowSetPtr rs = objConn.OpenRowSet(QStringLiteral("select usernote from configs order by configsid"));
    return rs->Eof() ? QString() : TextOf(rs->Fields(QStringLiteral("usernote")));
  });
}

bool clsDate::UserNote_Modify(const QString& strContent) {
  return Guard(QStringLiteral("修改临时记事便条时发生错误，"), false, [&] {
    const qint64 changed = objConn.Execute(
        QStringLiteral("update configs set usernote=? where configsid=(select min(configsid) from configs)"),
        {strContent});
    if (changed == 0) throw DbError("数据账套中没有配置记录");
    return true;
  });
}

} // namespace datastore
