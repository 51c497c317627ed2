#include "datastore/connection.h"

#include "platform/errortext.h"
#include "platform/vb.h"

#include <QFileInfo>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <limits>
#include <sqlite3.h>
#include <unistd.h>

namespace datastore {

namespace {

const char* const kTables[] = {"configs", "card", "diary", "notes", "moneys", "files", "reminds", "url"};

// The keys are the rowid, so ids are 64-bit; file bytes come last in `files` so a listing that
// leaves them out never walks their pages.
const char* const kSchema = R"SQL(
create table configs (
  configsid integer primary key autoincrement,
  configsusername text, configspassword text, configsnologin integer,
  configsstartdate text, configsenddate text, configsusecount integer,
  configstitle text, configsurl text, configsemail text, usernote text);
create table card (
  cardid integer primary key autoincrement,
  cardclass text, cardname text, cardcompany text, cardjob text, cardaddress text, cardtel text,
  cardfax text, cardhandset text, cardemail text, cardurl text, cardmemo text,
  cardstring1 text, cardstring2 text, cardstring3 text);
create table diary (
  diaryid integer primary key autoincrement,
  diarydate text, diarytitle text, diarycontent text, diarytime text, diarystring1 text);
create table notes (
  notesid integer primary key autoincrement,
  notestitle text, notescontent text, notesclass text, notesdate text, notesstring1 text);
create table moneys (
  moneysid integer primary key autoincrement,
  moneysdate text, moneystype text, moneystitle text, moneyscontent text, moneysshow real,
  moneysunit text, moneyssprice real, moneyssum real, moneysstring1 text);
create table files (
  filesid integer primary key autoincrement,
  filesclass text, filesfrom text, filesname text, filestype text, filessize real,
  filesmemo text, filesstring1 text, filescontent blob);
create table reminds (
  remindsid integer primary key autoincrement,
  remindstime text, remindstitle text, remindscontent text, remindsfile text,
  remindsstring1 text, remindsstring2 text);
create table url (
  urlid integer primary key autoincrement,
  urlclass text, urltext text, urladdress text, urlmemo text, urlstring1 text);
create index diary_date on diary(diarydate);
create index moneys_date on moneys(moneysdate);
create index reminds_time on reminds(remindstime);
insert into configs (configsusername, configspassword, configsnologin, configsusecount,
  configstitle, configsurl, configsemail, usernote)
  values ('', '', 1, 0, 'Almanor', '', '', null);
)SQL";

// Titles and categories compare, group and sort without regard to ASCII letter case, as Access
// does: the statements compare lower() of them (SQLite's lower() folds ASCII only, and unlike the
// NOCASE collation it does not stop at a NUL), and these indexes serve them. Schema version 1.
const char* const kTextIndexes = R"SQL(
create index card_class on card(lower(cardclass), lower(cardname), cardname, cardclass);
create index card_name on card(lower(cardname), cardname);
create index notes_class on notes(lower(notesclass), lower(notestitle), notestitle, notesclass);
create index notes_title on notes(lower(notestitle), notestitle);
create index files_class on files(lower(filesclass), filesid, filesclass);
create index files_name on files(lower(filesname));
create index url_class on url(lower(urlclass), lower(urltext), urltext, urlclass);
create index url_text on url(lower(urltext), urltext);
pragma user_version=1;
)SQL";
// Data sets of schema version 0 index the same fields as the texts are.
const char* const kDropVersion0Indexes = R"SQL(
drop index if exists card_class; drop index if exists card_name; drop index if exists notes_class;
drop index if exists notes_title; drop index if exists files_class; drop index if exists files_name;
drop index if exists url_class; drop index if exists url_text;
)SQL";

// Users copy and send the .kvt file alone, so it must hold everything committed at every moment:
// a rollback journal (deleted at each commit, no file left beside the data set) with full syncs,
// never a write-ahead log, which keeps recent commits in a second file. Data sets of earlier
// versions are in write-ahead-log mode; setting the mode folds their log in and converts them.
const char* const kJournalMode = "delete";

volatile std::sig_atomic_t g_stopLockWaits = 0;

// Waits up to five seconds for another process to release the data set, in short sleeps, so that
// a signal to end the program ends the wait too (a signal cuts a sleep short).
int WaitForLock(void*, int count) {
  using Clock = std::chrono::steady_clock;
  static thread_local Clock::time_point started;
  if (count == 0) started = Clock::now();
  if (g_stopLockWaits || Clock::now() - started >= std::chrono::seconds(5)) return 0;
  ::usleep(10000);
  return g_stopLockWaits ? 0 : 1;
}

// The system error (errno) of the first file operation that failed in the current operation, 0
// for none. SQLite notes errno only once a statement has ended, often after the calls of its
// rollback have changed it, and a file keeps its last error for the whole session: both can name
// another failure's cause. So the data sets are opened through a thin layer over the platform's
// file layer that notes the error as it happens; each operation starts with none.
thread_local int t_systemError = 0;

void BeginOperation() { t_systemError = 0; }

bool IsSystemFailure(int rc) {
  switch (rc & 0xff) {
  case SQLITE_IOERR: return rc != SQLITE_IOERR_SHORT_READ && rc != SQLITE_IOERR_DELETE_NOENT;
  case SQLITE_CANTOPEN:
  case SQLITE_FULL: return true;
  default: return false;
  }
}

// Called right after a file operation returned rc, with errno cleared before it.
int Noted(int rc, sqlite3_file* real = nullptr) {
  if (t_systemError == 0 && IsSystemFailure(rc)) {
    int error = errno;
    if (error == 0 && real && real->pMethods) real->pMethods->xFileControl(real, SQLITE_FCNTL_LAST_ERRNO, &error);
    t_systemError = error;
  }
  return rc;
}

sqlite3_vfs* g_platformVfs = nullptr;

// A file of the layer: its own header, then the platform's file.
struct NotingFile {
  sqlite3_file base;
  sqlite3_file* real;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<NotingFile*>(f)->real; }

// Runs one method of the platform's file, noting its failure.
template <class F>
int Forward(sqlite3_file* f, F&& call) {
  sqlite3_file* real = Real(f);
  errno = 0;
  return Noted(call(real, real->pMethods), real);
}

const sqlite3_io_methods kNotingMethods = {
    3,
    [](sqlite3_file* f) { return Forward(f, [](sqlite3_file* r, auto m) { return m->xClose(r); }); },
    [](sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xRead(r, buffer, amount, offset); });
    },
    [](sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xWrite(r, buffer, amount, offset); });
    },
    [](sqlite3_file* f, sqlite3_int64 size) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xTruncate(r, size); });
    },
    [](sqlite3_file* f, int flags) { return Forward(f, [&](sqlite3_file* r, auto m) { return m->xSync(r, flags); }); },
    [](sqlite3_file* f, sqlite3_int64* size) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xFileSize(r, size); });
    },
    [](sqlite3_file* f, int lock) { return Forward(f, [&](sqlite3_file* r, auto m) { return m->xLock(r, lock); }); },
    [](sqlite3_file* f, int lock) { return Forward(f, [&](sqlite3_file* r, auto m) { return m->xUnlock(r, lock); }); },
    [](sqlite3_file* f, int* reserved) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xCheckReservedLock(r, reserved); });
    },
    [](sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); },
    [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); },
    [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** memory) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xShmMap(r, page, size, extend, memory); });
    },
    [](sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); },
    [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); },
    [](sqlite3_file* f, int deleteFlag) { return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag); },
    [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** pages) {
      return Forward(f, [&](sqlite3_file* r, auto m) { return m->xFetch(r, offset, amount, pages); });
    },
    [](sqlite3_file* f, sqlite3_int64 offset, void* pages) {
      return Real(f)->pMethods->xUnfetch(Real(f), offset, pages);
    },
};

int NotingOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
  auto* file = reinterpret_cast<NotingFile*>(f);
  file->real = reinterpret_cast<sqlite3_file*>(file + 1);
  errno = 0;
  const int rc = Noted(g_platformVfs->xOpen(g_platformVfs, name, file->real, flags, outFlags));
  // The core closes a file whose methods are set, also after a failed open.
  file->base.pMethods = file->real->pMethods ? &kNotingMethods : nullptr;
  return rc;
}

int NotingDelete(sqlite3_vfs*, const char* name, int syncDir) {
  errno = 0;
  return Noted(g_platformVfs->xDelete(g_platformVfs, name, syncDir));
}

// The layer's name for sqlite3_open_v2. The platform's file layer is version 3 (its files have
// every method above).
const char* NotingVfs() {
  static const char* const name = [] {
    static sqlite3_vfs vfs;
    g_platformVfs = sqlite3_vfs_find(nullptr);
    if (!g_platformVfs) return static_cast<const char*>(nullptr);
    vfs = *g_platformVfs;
    vfs.zName = "almanor-noting";
    vfs.szOsFile = int(sizeof(NotingFile)) + g_platformVfs->szOsFile;
    vfs.xOpen = NotingOpen;
    vfs.xDelete = NotingDelete;
    vfs.pNext = nullptr;
    return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK ? vfs.zName : static_cast<const char*>(nullptr);
  }();
  return name;
}

// The last failure on db as the user reads it: a Chinese text, followed by SQLite's own English
// text in brackets. A failing file operation under SQLite says its cause (a full disk, a file
// size limit, no permission) through the platform's text of the system error.
QString ErrorText(sqlite3* db) {
  if (!db) return QStringLiteral("数据账套没有打开");
  QString english = QString::fromUtf8(sqlite3_errmsg(db));
  const int code = sqlite3_extended_errcode(db);
  const char* chinese = nullptr;
  switch (code & 0xff) {
  case SQLITE_CORRUPT: chinese = "数据账套文件已损坏"; break;
  case SQLITE_NOTADB: chinese = "不是有效的数据账套文件"; break;
  case SQLITE_READONLY:
    chinese = code == SQLITE_READONLY_DIRECTORY ? "数据账套所在的文件夹是只读的，无法保存修改"
                                                : "数据账套文件是只读的，无法保存修改";
    break;
  case SQLITE_FULL: chinese = "磁盘已满，无法保存修改"; break;
  case SQLITE_BUSY:
  case SQLITE_LOCKED: chinese = "数据账套正被另一个程序使用（已锁定），请稍后再试"; break;
  case SQLITE_CANTOPEN: chinese = "无法打开数据账套文件"; break;
  case SQLITE_PERM:
  case SQLITE_AUTH: chinese = "没有访问数据账套文件的权限"; break;
  case SQLITE_IOERR: chinese = "读写数据账套文件时出错"; break;
  case SQLITE_NOMEM: chinese = "内存不足"; break;
  case SQLITE_CONSTRAINT: chinese = "数据不符合数据账套中的约束条件"; break;
  case SQLITE_TOOBIG: chinese = "数据太大，超出了数据账套的限制"; break;
  default: chinese = "数据账套的操作失败"; break;
  }
  QString text = QString::fromUtf8(chinese);
  const int system = t_systemError;
  if (((code & 0xff) == SQLITE_IOERR || (code & 0xff) == SQLITE_CANTOPEN) && system != 0) {
    const QString cause = platform::SystemErrorCause(system);
    if (!cause.isEmpty()) text += QStringLiteral("：") + cause;
    english += QStringLiteral(": ") + platform::SystemErrorOriginal(system);
  }
  return text + QStringLiteral("（") + english + QStringLiteral("）");
}

[[noreturn]] void Fail(sqlite3* db) { throw DbError(ErrorText(db).toStdString()); }

// Binds the values in order. Texts are copied by SQLite, unless `texts` is given: they are then
// kept there, which must outlive the statement's run.
void Bind(sqlite3* db, sqlite3_stmt* stmt, const QVector<QVariant>& binds, std::vector<QByteArray>* texts = nullptr) {
  for (int i = 0; i < binds.size(); ++i) {
    const QVariant& v = binds[i];
    int rc = SQLITE_OK;
    const int n = i + 1;
    if (v.isNull()) {
      rc = sqlite3_bind_null(stmt, n);
    } else {
      switch (v.typeId()) {
      case QMetaType::Bool:
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::LongLong:
      case QMetaType::ULongLong:
        rc = sqlite3_bind_int64(stmt, n, v.toLongLong());
        break;
      case QMetaType::Double:
      case QMetaType::Float:
        rc = sqlite3_bind_double(stmt, n, v.toDouble());
        break;
      case QMetaType::QByteArray: {
        // The bytes are shared with the bound value, which outlives the statement (Execute holds
        // it to the end, a row set keeps a copy): a file of many MiB is not copied once more.
        const QByteArray bytes = v.toByteArray();
        rc = sqlite3_bind_blob64(stmt, n, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC);
        break;
      }
      default: {
        QByteArray text = v.typeId() == QMetaType::QString ? static_cast<const QString*>(v.constData())->toUtf8()
                                                           : v.toString().toUtf8();
        const char* data = text.constData();
        const auto size = sqlite3_uint64(text.size());
        if (texts) texts->push_back(std::move(text));
        rc = sqlite3_bind_text64(stmt, n, data, size, texts ? SQLITE_STATIC : SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      }
      }
    }
    if (rc != SQLITE_OK) Fail(db);
  }
}

sqlite3_stmt* Compile(sqlite3* db, const QString& sql) {
  if (!db) Fail(db);
  BeginOperation();
  const QByteArray text = sql.toUtf8();
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK) Fail(db);
  if (!stmt) throw DbError("语句为空");
  // One statement only: a second one spliced behind the first is refused, never run.
  if (tail && QByteArray(tail).trimmed().size() > 0) {
    sqlite3_finalize(stmt);
    throw DbError("语句中含有多条命令");
  }
  return stmt;
}

sqlite3_stmt* Prepare(sqlite3* db, const QString& sql, const QVector<QVariant>& binds) {
  sqlite3_stmt* stmt = Compile(db, sql);
  if (sqlite3_bind_parameter_count(stmt) != binds.size()) {
    sqlite3_finalize(stmt);
    throw DbError("语句的参数个数不符");
  }
  try {
    Bind(db, stmt, binds);
  } catch (...) {
    sqlite3_finalize(stmt);
    throw;
  }
  return stmt;
}

// Dates are stored as "yyyy-MM-dd hh:mm:ss"; read that form directly, everything else through
// the run time's own date rules.
std::optional<QDateTime> IsoDateTime(const QString& s) {
  if (s.size() != 19 || s[4] != u'-' || s[7] != u'-' || s[10] != u' ' || s[13] != u':' || s[16] != u':')
    return std::nullopt;
  auto num = [&](int from, int len) {
    int v = 0;
    for (int i = from; i < from + len; ++i) {
      const QChar c = s[i];
      if (c < u'0' || c > u'9') return -1;
      v = v * 10 + (c.unicode() - u'0');
    }
    return v;
  };
  const QDate date(num(0, 4), num(5, 2), num(8, 2));
  const QTime time(num(11, 2), num(14, 2), num(17, 2));
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  return vb::MakeDateTime(date, time);
}

// A text field as a row set reads it: UTF-8, with a leading U+FEFF kept as a character (fromUtf8
// would drop it, taking it for a byte-order mark).
QString TextOfUtf8(QByteArrayView bytes) {
  if (!bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return utf8(bytes);
}

QByteArrayView BytesOf(sqlite3_value* value) {
  const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  return QByteArrayView(text, text ? sqlite3_value_bytes(value) : 0);
}

// An argument of one of our SQL functions as a row set reads the same value.
QVariant ValueOf(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
  case SQLITE_NULL: return QVariant();
  case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_value_int64(value)));
  case SQLITE_FLOAT: return QVariant(sqlite3_value_double(value));
  case SQLITE_BLOB: {
    const void* data = sqlite3_value_blob(value);
    return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_value_bytes(value)));
  }
  default: return QVariant(TextOfUtf8(BytesOf(value)));
  }
}

void ResultText(sqlite3_context* ctx, const QString& text) {
  const QByteArray out = text.toUtf8();
  sqlite3_result_text64(ctx, out.constData(), sqlite3_uint64(out.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// SQL format(value, pattern) with the run time's Format; SQLite's printf format keeps its other arities.
void SqlFormat(sqlite3_context* ctx, int, sqlite3_value** argv) {
  static const QByteArray dayPattern = QByteArrayLiteral("yyyy年mm月dd日");
  const int type = sqlite3_value_type(argv[0]);
  // The day-grouped listings run this for every row: a stored date's day straight from its bytes.
  if ((type == SQLITE_TEXT || type == SQLITE_BLOB) && BytesOf(argv[1]) == dayPattern) {
    const QByteArrayView day = StampDay(BytesOf(argv[0]));
    if (!day.isEmpty()) {
      char text[17];  // no allocation: this runs for every row
      char* out = text;
      auto put = [&out](QByteArrayView bytes) { out = std::copy(bytes.begin(), bytes.end(), out); };
      put(day.first(4));
      put("年");
      put(day.sliced(5, 2));
      put("月");
      put(day.sliced(8, 2));
      put("日");
      sqlite3_result_text64(ctx, text, sqlite3_uint64(out - text), SQLITE_TRANSIENT, SQLITE_UTF8);
      return;
    }
  }
  if (type == SQLITE_NULL)
    sqlite3_result_null(ctx);
  else
    ResultText(ctx, FormatField(ValueOf(argv[0]), TextOfUtf8(BytesOf(argv[1]))));
}

// SQL textkey(value): vb::TextKey of the value as a row set reads it, for stored bytes that are not
// UTF-8 (lower() folds those bytes, the tree folds the text they read as).
void SqlTextKey(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const QVariant value = ValueOf(argv[0]);
  if (value.isNull())
    sqlite3_result_null(ctx);
  else
    ResultText(ctx, vb::TextKey(value.toString()));
}

bool IsAscii(const QByteArray& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// An ASCII name against a Latin-1 one, ignoring case: no Latin-1 letter beyond ASCII folds into
// ASCII, so lower-casing ASCII letters gives the same answer as full case folding.
bool EqualsLower(const QByteArray& lower, QLatin1StringView name) {
  if (lower.size() != name.size()) return false;
  for (qsizetype k = 0; k < name.size(); ++k) {
    const char c = name.data()[k];
    if (lower[k] != (c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c)) return false;
  }
  return true;
}

void ExecRaw(sqlite3* db, const char* sql) {
  BeginOperation();
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db);
}

// Whether a read of the schema finds a row (name, when given, bound to the one placeholder). A
// file that cannot be read this far is not a data set.
bool SchemaHas(sqlite3* db, const char* sql, const char* name = nullptr) {
  sqlite3_stmt* stmt = nullptr;
  int step = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (step == SQLITE_OK) {
    BeginOperation();
    if (name) sqlite3_bind_text(stmt, 1, name, -1, SQLITE_STATIC);
    step = sqlite3_step(stmt);
  }
  sqlite3_finalize(stmt);
  if (step == SQLITE_ROW || step == SQLITE_DONE) return step == SQLITE_ROW;
  Fail(db);
}

// The names of a table's columns in their order, lower-cased; none when there is no such table.
QByteArrayList TableColumns(sqlite3* db, const char* table) {
  QByteArrayList names;
  sqlite3_stmt* stmt = nullptr;
  int step = sqlite3_prepare_v2(db, "select lower(name) from pragma_table_info(?)", -1, &stmt, nullptr);
  if (step == SQLITE_OK) {
    sqlite3_bind_text(stmt, 1, table, -1, SQLITE_STATIC);
    BeginOperation();
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW)
      names.append(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  if (step != SQLITE_DONE) Fail(db);
  return names;
}

// The columns of every table as a data set of ours has them, taken once from the schema itself.
const std::vector<QByteArrayList>& SchemaColumns() {
  static const std::vector<QByteArrayList> columns = [] {
    sqlite3* memory = nullptr;
    std::vector<QByteArrayList> tables;
    if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(memory, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK)
      for (const char* table : kTables) tables.push_back(TableColumns(memory, table));
    sqlite3_close(memory);
    return tables;
  }();
  return columns;
}

// The one-row, one-column answer of a pragma.
QByteArray PragmaText(sqlite3* db, const QByteArray& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK) Fail(db);
  BeginOperation();
  const int step = sqlite3_step(stmt);
  const QByteArray text =
      step == SQLITE_ROW ? QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) : QByteArray();
  sqlite3_finalize(stmt);
  if (step != SQLITE_ROW && step != SQLITE_DONE) Fail(db);
  return text;
}

} // namespace

QByteArrayView StampDay(QByteArrayView t) {
  if (t.size() != 19) return {};
  int n[6] = {};
  int field = 0;
  for (qsizetype i = 0; i < 19; ++i) {
    const char c = t[i];
    const char separator = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 0;
    if (separator) {
      if (c != separator) return {};
      ++field;
    } else if (c < '0' || c > '9') {
      return {};
    } else {
      n[field] = n[field] * 10 + (c - '0');
    }
  }
  if (!QDate::isValid(n[0], n[1], n[2]) || !QTime::isValid(n[3], n[4], n[5])) return {};
  return t.first(10);
}

QString FormatField(const QVariant& value, const QString& pattern) {
  switch (value.typeId()) {
  case QMetaType::UnknownType: return QString();
  case QMetaType::LongLong:
  case QMetaType::Double: return vb::Format(value.toDouble(), pattern);
  default: break;
  }
  const QString text = value.typeId() == QMetaType::QByteArray ? TextOfUtf8(value.toByteArray()) : value.toString();
  if (const auto iso = IsoDateTime(text)) return vb::Format(*iso, pattern);
  return vb::Format(QVariant(text), pattern);
}

void StopLockWaits() { g_stopLockWaits = 1; }
bool LockWaitsStopped() { return g_stopLockWaits != 0; }

// --- RowSet ----------------------------------------------------------------------------------

RowSet::RowSet(std::shared_ptr<ConnectionLink> link, sqlite3_stmt* stmt, QString sql, QVector<QVariant> binds)
    : link_(std::move(link)), db_(link_->db), stmt_(stmt), sql_(std::move(sql)), binds_(std::move(binds)) {
  link_->open.push_back(this);
  const int n = sqlite3_column_count(stmt_);
  names_.reserve(n);
  asciiNames_.reserve(n);
  for (int i = 0; i < n; ++i) {
    const QByteArray name(sqlite3_column_name(stmt_, i));
    names_ << QString::fromUtf8(name);
    asciiNames_ << (IsAscii(name) ? name.toLower() : QByteArray());
  }
  eof_ = false;
  Step();
}

RowSet::~RowSet() { Close(); }

void RowSet::Step() {
  BeginOperation();
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) {
    if (!ranks_.empty() || !placeById_.empty()) FindRank();
    return;
  }
  eof_ = true;
  if (rc != SQLITE_DONE) {
    const QString error = ErrorText(db_);
    Close();
    throw DbError(error.toStdString());
  }
}

qint64 RowSet::RecordCount() {
  if (count_ < 0) {
    // The handle is gone once the connection has closed; the row set may have outlived it.
    if (!link_->db) throw DbError("数据账套已经关闭");
    if (!stmt_) throw DbError("记录集已经关闭");
    sqlite3_stmt* stmt = Prepare(db_, QStringLiteral("select count(*) from (%1)").arg(sql_), binds_);
    BeginOperation();
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
      const QString error = ErrorText(db_);
      sqlite3_finalize(stmt);
      throw DbError(error.toStdString());
    }
    count_ = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
  }
  return count_;
}

void RowSet::MoveNext() {
  if (!stmt_) throw DbError("记录集已经关闭");
  if (eof_) throw DbError("已经到达记录集的末尾");
  Step();
}

void RowSet::FindRank() {
  const qint64 id = sqlite3_column_int64(stmt_, 0);
  rank_ = -1;
  if (!placeById_.empty()) {
    const quint64 offset = quint64(id) - quint64(firstId_);
    if (id >= firstId_ && offset < placeById_.size()) rank_ = placeById_[size_t(offset)];
  } else {
    while (rankAt_ < ranks_.size() && ranks_[rankAt_].first < id) ++rankAt_;
    if (rankAt_ < ranks_.size() && ranks_[rankAt_].first == id) rank_ = ranks_[rankAt_].second;
  }
  if (rank_ < 0) rank_ = ranked_ + unranked_++;
}

int RowSet::ColumnIndex(const QString& name) const {
  // Case folding keeps the length, so most names are passed over on their size alone.
  for (int i = 0; i < names_.size(); ++i)
    if (names_[i].size() == name.size() && names_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

int RowSet::ColumnIndex(QLatin1StringView name) const {
  for (int i = 0; i < names_.size(); ++i) {
    const QByteArray& lower = asciiNames_[i];
    const bool equal = lower.isNull() ? names_[i].compare(name, Qt::CaseInsensitive) == 0 : EqualsLower(lower, name);
    if (equal) return i;
  }
  return -1;
}

bool RowSet::HasField(const QString& name) const { return ColumnIndex(name) >= 0; }

QVariant RowSet::Fields(const QString& name) const { return Value(ColumnIndex(name), name); }

QVariant RowSet::Fields(QLatin1StringView name) const {
  const int i = ColumnIndex(name);
  return Value(i, i < 0 ? QString(name) : QString());
}

QByteArrayView RowSet::Utf8(QLatin1StringView name) const {
  const int i = ColumnIndex(name);
  CheckField(i, i < 0 ? QString(name) : QString());
  return Utf8(i);
}

QVariant RowSet::Field(int column) const {
  CheckColumn(column);
  return ValueAt(column);
}

qint64 RowSet::Integer(int column, bool* ok) const {
  CheckColumn(column);
  if (sqlite3_column_type(stmt_, column) != SQLITE_INTEGER) return ValueAt(column).toLongLong(ok);
  *ok = true;
  return sqlite3_column_int64(stmt_, column);
}

QByteArrayView RowSet::Utf8(int column) const {
  CheckColumn(column);
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return QByteArrayView(text, text ? sqlite3_column_bytes(stmt_, column) : 0);
}

void RowSet::CheckField(int i, const QString& name) const {
  if (i < 0) throw DbError(QStringLiteral("记录集中没有字段 %1").arg(name).toStdString());
  if (!stmt_ || eof_) throw DbError("当前没有记录");
}

void RowSet::CheckColumn(int i) const {
  if (i < 0 || i >= names_.size()) throw DbError(QStringLiteral("记录集中没有第 %1 列").arg(i).toStdString());
  if (!stmt_ || eof_) throw DbError("当前没有记录");
}

QVariant RowSet::Value(int i, const QString& name) const {
  CheckField(i, name);
  return ValueAt(i);
}

QVariant RowSet::ValueAt(int i) const {
  switch (sqlite3_column_type(stmt_, i)) {
  case SQLITE_NULL:
    return QVariant();
  case SQLITE_INTEGER:
    return QVariant(qlonglong(sqlite3_column_int64(stmt_, i)));
  case SQLITE_FLOAT:
    return QVariant(sqlite3_column_double(stmt_, i));
  case SQLITE_BLOB: {
    const void* data = sqlite3_column_blob(stmt_, i);
    return QVariant(QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(stmt_, i)));
  }
  default: {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return QVariant(TextOfUtf8(QByteArrayView(text, sqlite3_column_bytes(stmt_, i))));
  }
  }
}

void RowSet::Close() {
  if (stmt_) {
    sqlite3_finalize(stmt_);
    std::erase(link_->open, this);
  }
  stmt_ = nullptr;
  eof_ = true;
}

// --- Statement -------------------------------------------------------------------------------

Statement::Statement(std::shared_ptr<ConnectionLink> link, sqlite3_stmt* stmt) : link_(std::move(link)), stmt_(stmt) {
  link_->statements.push_back(this);
}

Statement::~Statement() { Close(); }

qint64 Statement::Execute(const QVector<QVariant>& binds) {
  if (!stmt_) Fail(nullptr);
  if (sqlite3_bind_parameter_count(stmt_) != binds.size()) throw DbError("语句的参数个数不符");
  std::vector<QByteArray> texts;
  texts.reserve(size_t(binds.size()));
  Bind(link_->db, stmt_, binds, &texts);
  BeginOperation();
  int rc;
  while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
  }
  const QString error = rc == SQLITE_DONE ? QString() : ErrorText(link_->db);
  // Reset at once, so that it holds no lock and no pointer into `texts`.
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  if (rc != SQLITE_DONE) throw DbError(error.toStdString());
  return sqlite3_changes64(link_->db);
}

void Statement::Close() {
  if (stmt_) {
    sqlite3_finalize(stmt_);
    std::erase(link_->statements, this);
  }
  stmt_ = nullptr;
}

// --- Connection ------------------------------------------------------------------------------

Connection::~Connection() { Close(); }

void Connection::Open(const QString& path) {
  Close();
  const QFileInfo info(path);
  if (!info.isFile()) throw DbError(QStringLiteral("数据账套文件不存在：%1").arg(path).toStdString());
  // Refused before SQLite touches the file, which may otherwise leave files beside it: a data set
  // is written at every open, and its journal is made in its folder.
  if (!info.isWritable()) throw DbError("数据账套文件是只读的，请去掉它的只读属性后再打开");
  if (!QFileInfo(info.absolutePath()).isWritable()) throw DbError("数据账套所在的文件夹是只读的，无法在其中保存修改");
  {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw DbError(platform::FileErrorText(file).toStdString());
    if (!file.read(16).startsWith(QByteArrayView("SQLite format 3\0", 16))) throw DbError("不是有效的数据账套文件");
  }
  sqlite3* db = nullptr;
  // Never creates a file: opening is for existing data sets only. A connection and its row sets
  // are used by one thread at a time, so SQLite need not lock around every column read.
  BeginOperation();
  const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 NotingVfs());
  try {
    if (rc != SQLITE_OK) Fail(db);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, WaitForLock, nullptr);
    // A data set is a file users receive: nothing stored in it may run code of ours. The schema
    // may call no function of ours (trusted schema off, format() direct only), and no statement
    // of ours may rewrite the schema by hand.
    if (sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr) != SQLITE_OK ||
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr) != SQLITE_OK)
      Fail(db);
    // A text file or any other non-database fails on its first read.
    for (const char* table : kTables)
      if (!SchemaHas(db, "select 1 from sqlite_master where type='table' and name=?", table))
        throw DbError(QStringLiteral("不是有效的数据账套，缺少数据表 %1").arg(QLatin1String(table)).toStdString());
    // Checked before the first write: a missing column would otherwise fail only in some window,
    // after the open had already stamped the file.
    const std::vector<QByteArrayList>& expected = SchemaColumns();
    for (size_t t = 0; t < expected.size(); ++t) {
      const QByteArrayList present = TableColumns(db, kTables[t]);
      for (const QByteArray& column : expected[t])
        if (!present.contains(column))
          throw DbError(QStringLiteral("不是有效的数据账套，数据表 %1 缺少字段 %2")
                            .arg(QLatin1String(kTables[t]), QLatin1String(column))
                            .toStdString());
    }
    // A data set we made has no triggers and no views: one that has them was made or changed by
    // someone else, and a trigger would run on our own updates (the stamp at every open).
    if (SchemaHas(db, "select 1 from sqlite_master where type in ('trigger','view')"))
      throw DbError("数据账套中含有本程序不会创建的触发器或视图，可能被他人改动过，为安全起见不予打开");
    if (!SchemaHas(db, "select 1 from configs")) throw DbError("数据账套中没有配置记录");
    // Only now that the file is known good may its journal mode change (which rewrites its header).
    if (PragmaText(db, QByteArray("pragma journal_mode=") + kJournalMode) != kJournalMode)
      throw DbError("无法把数据账套转换为单一文件，可能另一个程序正在使用它");
    ExecRaw(db, "pragma synchronous=full");
    if (PragmaText(db, "pragma user_version").toInt() < 1) {
      ExecRaw(db, "begin immediate;");
      try {
        ExecRaw(db, kDropVersion0Indexes);
        ExecRaw(db, kTextIndexes);
        ExecRaw(db, "commit;");
      } catch (...) {
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
        throw;
      }
    }
    if (sqlite3_create_function_v2(db, "format", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                   SqlFormat, nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "textkey", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                   SqlTextKey, nullptr, nullptr, nullptr) != SQLITE_OK)
      Fail(db);
  } catch (...) {
    sqlite3_close_v2(db);
    throw;
  }
  db_ = db;
  link_ = std::make_shared<ConnectionLink>();
  link_->db = db;
  path_ = path;
}

void Connection::Close() {
  if (!db_) return;
  // An unfinalized statement would keep the handle and its lock on the file past this call
  // (close_v2 defers) until the caller's row set closes, if it ever does.
  while (!link_->open.empty()) link_->open.back()->Close();
  while (!link_->statements.empty()) link_->statements.back()->Close();
  // A write that failed (a full disk) may leave its journal beside the data set, to be rolled
  // back at the next read. That read happens here, so the file alone is whole again when the
  // program ends; a transaction still open is given up first.
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "rollback", nullptr, nullptr, nullptr);
  sqlite3_exec(db_, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db_);
  link_->db = nullptr;
  link_.reset();
  db_ = nullptr;
}

qint64 Connection::Execute(const QString& sql, const QVector<QVariant>& binds) {
  return PrepareStatement(sql)->Execute(binds);
}

RowSetPtr Connection::OpenRowSet(const QString& sql, const QVector<QVariant>& binds) {
  sqlite3_stmt* stmt = Prepare(db_, sql, binds);
  // A failing first step finalizes the statement before it throws.
  return RowSetPtr(new RowSet(link_, stmt, sql, binds));
}

StatementPtr Connection::PrepareStatement(const QString& sql) {
  return StatementPtr(new Statement(link_, Compile(db_, sql)));
}

RowSetPtr Connection::OpenRowSetInStorageOrder(const QString& sql, const QString& orderSql) {
  // The rows' statement runs first: while it is on a row, the data set cannot change under the
  // order's statement.
  RowSetPtr rows = OpenRowSet(sql);
  if (rows->Eof()) return rows;
  // The ids in the order wanted: each one's place is its index.
  std::vector<qint64> ids;
  sqlite3_stmt* order = Prepare(db_, orderSql, {});
  BeginOperation();
  int rc;
  while ((rc = sqlite3_step(order)) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(order, 0));
  if (rc != SQLITE_DONE) {
    const QString error = ErrorText(db_);
    sqlite3_finalize(order);
    throw DbError(error.toStdString());
  }
  sqlite3_finalize(order);
  rows->ranked_ = qint64(ids.size());
  if (ids.empty()) return rows;
  const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
  // Ids are mostly dense (deleted rows leave gaps): a place per id takes half the room of the ids,
  // which count beside a large window. The span is unsigned: ids may lie anywhere in the 64 bits,
  // a negative one beside one near 2^63.
  const quint64 span = quint64(*high) - quint64(*low);
  if (span < 2 * quint64(ids.size()) && ids.size() < size_t(std::numeric_limits<qint32>::max())) {
    rows->firstId_ = *low;
    rows->placeById_.assign(size_t(span + 1), -1);
    for (size_t place = 0; place < ids.size(); ++place)
      rows->placeById_[size_t(quint64(ids[place]) - quint64(rows->firstId_))] = qint32(place);
  } else {
    std::vector<std::pair<qint64, qint64>> ranks;
    ranks.reserve(ids.size());
    for (size_t place = 0; place < ids.size(); ++place) ranks.emplace_back(ids[place], qint64(place));
    ids = {};
    std::sort(ranks.begin(), ranks.end());
    rows->ranks_ = std::move(ranks);
  }
  rows->FindRank();
  return rows;
}

qint64 Connection::LastInsertId() const {
  if (!db_) Fail(db_);
  return sqlite3_last_insert_rowid(db_);
}

void Connection::Begin() { Execute(QStringLiteral("begin immediate")); }
void Connection::Commit() { Execute(QStringLiteral("commit")); }
void Connection::Rollback() {
  if (db_ && !sqlite3_get_autocommit(db_)) Execute(QStringLiteral("rollback"));
}

void Connection::CreateDataSet(const QString& path) {
  if (QFileInfo::exists(path)) throw DbError(QStringLiteral("文件已经存在：%1").arg(path).toStdString());
  sqlite3* db = nullptr;
  BeginOperation();
  const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, NotingVfs());
  try {
    if (rc != SQLITE_OK) Fail(db);
    ExecRaw(db, "begin;");
    ExecRaw(db, kSchema);
    ExecRaw(db, kTextIndexes);
    ExecRaw(db, "commit;");
  } catch (...) {
    sqlite3_close_v2(db);
    QFile::remove(path);
    throw;
  }
  if (sqlite3_close(db) != SQLITE_OK) {
    QFile::remove(path);
    throw DbError("无法关闭新建的数据账套");
  }
}

} // namespace datastore
