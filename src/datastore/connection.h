#pragma once
// The one connection to a data set (an SQLite file) and the row sets read over it.
// This folder is the only code that holds SQL text or talks to SQLite.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace datastore {

// A failed statement; what() is the readable description shown after "…时发生错误，".
class DbError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
  QString Description() const { return QString::fromUtf8(what()); }
};

// What a connection shares with its row sets and kept statements: the handle while open (null
// once closed) and those still open on it, which closing the connection closes first.
class RowSet;
class Statement;
struct ConnectionLink {
  sqlite3* db = nullptr;
  std::vector<RowSet*> open;
  std::vector<Statement*> statements;
};

// A forward row set over one statement, open on its first row. Fields are read by name; an
// empty field reads as a null QVariant. Rows are stepped one at a time, so reading a large table
// never holds more than the current row.
class RowSet {
public:
  ~RowSet();
  RowSet(const RowSet&) = delete;
  RowSet& operator=(const RowSet&) = delete;

  int State() const { return stmt_ ? 1 : 0; }  // 1 open, 0 closed
  bool Eof() const { return eof_; }
  // The number of rows of the whole statement (counted once, on first use). Throws DbError when
  // it has not been counted and the row set or its connection is closed.
  qint64 RecordCount();
  void MoveNext();
  // The current row's field (names match case-insensitively); a null QVariant for Null. Texts
  // read as QString (dates are stored as "yyyy-MM-dd hh:mm:ss" text), integers as qlonglong,
  // REAL as double, blobs as QByteArray. Throws DbError for an unknown name or past the end.
  QVariant Fields(const QString& name) const;
  // The same for a name written in the code ("notestitle"): the look-up builds no text, as it runs
  // for every field of every row.
  QVariant Fields(QLatin1StringView name) const;
  QVariant Fields(const char* name) const { return Fields(QLatin1StringView(name)); }
  // The current row's field as the UTF-8 text SQLite holds (Null: empty), valid until the row set
  // moves: for the loops over every row of a large table that need no QString of the whole field.
  QByteArrayView Utf8(QLatin1StringView name) const;
  QByteArrayView Utf8(const char* name) const { return Utf8(QLatin1StringView(name)); }
  bool HasField(const QString& name) const;
  // The column of a field name (matched as Fields matches it), -1 when there is none: a loop over
  // many rows resolves its names once and reads the columns by index.
  int Column(QLatin1StringView name) const { return ColumnIndex(name); }
  int Column(const char* name) const { return ColumnIndex(QLatin1StringView(name)); }
  int Column(const QString& name) const { return ColumnIndex(name); }
  // Fields and Utf8 by column; they throw DbError for a column that is not there or past the end.
  QVariant Field(int column) const;
  // Field(column).toLongLong(ok) without the QVariant where the value is an integer, as an id is.
  qint64 Integer(int column, bool* ok) const;
  // For a row set read in storage order (Connection::OpenRowSetInStorageOrder): the current row's
  // place, from 0, in the order the rows were asked for; -1 for any other row set.
  qint64 Rank() const { return rank_; }
  QByteArrayView Utf8(int column) const;
  void Close();

private:
  friend class Connection;
  RowSet(std::shared_ptr<ConnectionLink> link, sqlite3_stmt* stmt, QString sql, QVector<QVariant> binds);
  void Step();
  void FindRank();
  int ColumnIndex(const QString& name) const;
  int ColumnIndex(QLatin1StringView name) const;
  void CheckField(int column, const QString& name) const;
  void CheckColumn(int column) const;
  QVariant Value(int column, const QString& name) const;
  QVariant ValueAt(int column) const;

  std::shared_ptr<ConnectionLink> link_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  QString sql_;
  QVector<QVariant> binds_;
  QStringList names_;
  QByteArrayList asciiNames_;  // names_ lower-cased where plain ASCII, else null
  bool eof_ = true;
  qint64 count_ = -1;
  // The places of a row set read in storage order, by id: for ids close together one place per
  // id from the first (-1 where none), else (id, place) sorted by id, and how far the rows, which
  // come by ascending id, have got in it.
  std::vector<qint32> placeById_;
  qint64 firstId_ = 0;
  std::vector<std::pair<qint64, qint64>> ranks_;
  size_t rankAt_ = 0;
  qint64 ranked_ = 0;  // rows with a place
  qint64 unranked_ = 0;
  qint64 rank_ = -1;
};

using RowSetPtr = std::unique_ptr<RowSet>;

// A statement without rows compiled once and run many times, each time with its own bound values:
// the many inserts of one import run.
class Statement {
public:
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Runs it once with these values (? placeholders); returns the rows changed. Throws DbError.
  qint64 Execute(const QVector<QVariant>& binds);
  void Close();

private:
  friend class Connection;
  Statement(std::shared_ptr<ConnectionLink> link, sqlite3_stmt* stmt);

  std::shared_ptr<ConnectionLink> link_;
  sqlite3_stmt* stmt_ = nullptr;
};

using StatementPtr = std::unique_ptr<Statement>;

// For a signal handler when the program is to end: every wait for a data set that another process
// holds locked, now and from then on, ends at once and fails its operation, as a wait that runs
// out does. Async-signal-safe.
void StopLockWaits();
// Whether StopLockWaits has been called: a failure after it is the program ending, not the data set's.
bool LockWaitsStopped();

// What format(value, pattern) gives in a statement, for a field value as a row set reads it (Null
// gives a null text). A window that groups records by a formatted field takes each record's group
// from here, so that it always names a group the statement listed.
QString FormatField(const QVariant& value, const QString& pattern);
// The day "yyyy-mm-dd" of a date stored as the data set writes it ("yyyy-mm-dd hh:nn:ss", a real day
// and time); empty for anything else. Such a date's day alone decides its formatted day.
QByteArrayView StampDay(QByteArrayView utf8);

class Connection {
public:
  Connection() = default;
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens an existing data set (never creates one); throws DbError when the file is missing, read
  // only or not a data set, leaving its bytes as they were. The file alone holds everything
  // committed (no side file outlives an operation); a data set of an earlier version, kept in
  // write-ahead-log mode, is converted once it has opened fine. Registers format(value, pattern)
  // with the run time's Format on the connection.
  void Open(const QString& path);
  // Closes the row sets still open on it, then the data set, rolling back first what a failed
  // write left in a journal beside it.
  void Close();
  int State() const { return db_ ? 1 : 0; }  // 1 open, 0 closed
  QString Path() const { return path_; }

  // One statement without rows, with optional bound values (? placeholders). Returns the rows
  // changed. A second statement behind the first is refused.
  qint64 Execute(const QString& sql, const QVector<QVariant>& binds = {});
  // A row set over a statement, open on its first row. Throws DbError on failure.
  RowSetPtr OpenRowSet(const QString& sql, const QVector<QVariant>& binds = {});
  // One statement without rows, compiled to be run many times. Throws DbError on failure.
  StatementPtr PrepareStatement(const QString& sql);
  // The rows of `sql` (ids in its first column, by ascending id: the table's storage order, read
  // without a look-up per row) with each row's place (RowSet::Rank) among the ids of `orderSql`,
  // which lists them in the order wanted. Both are read in one snapshot of the data set; a row
  // that the order does not list comes after all the others.
  RowSetPtr OpenRowSetInStorageOrder(const QString& sql, const QString& orderSql);
  qint64 LastInsertId() const;

  void Begin();
  void Commit();
  void Rollback();

  // Creates a new, empty data set at path: every table and one configuration row. Replaces
  // nothing: throws DbError when the file exists or cannot be written.
  static void CreateDataSet(const QString& path);

private:
  sqlite3* db_ = nullptr;
  std::shared_ptr<ConnectionLink> link_;
  QString path_;
};

} // namespace datastore
