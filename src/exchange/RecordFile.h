#pragma once
// The record export file: one line per record, fields joined by "|", CR LF after every line,
// line breaks of the long texts written as "{br}". Each of the five record families is described
// once below; the writer and the reader follow that description.

#include "datastore/clsDate.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace exchange {

// How a field is written.
enum class FieldForm {
  Text,         // as stored, Null as ""
  LongText,     // line breaks as "{br}"
  Mark,         // the decimal colour text, "" for no mark
  Day,          // "yyyy-mm-dd"
  Stamp,        // "yyyy-mm-dd hh:mm:ss"
  DefaultDate,  // the run time's default date text, read back by the data store
  Number,       // the run time's default number text, read back as a double
};

struct RecordField {
  const char* column;
  FieldForm form;
  int arg;  // the Add argument it becomes on import (from 0), -1 when an import ignores it
};

using AddArguments = std::vector<QVariant>;  // texts, and doubles for the Number fields

struct Family {
  QString formName;      // the module window it serves, "frmNotes"
  QString expCaption;    // "导出资料"
  QString impCaption;    // "导入资料"
  QString mismatch;      // the first line has another field count
  QString importError;   // prefix of an import failure
  std::vector<RecordField> fields;
  const char* idColumn;
  datastore::RowSetPtr (datastore::clsDate::*GetClass)();
  const char* classColumn;
  datastore::RowSetPtr (datastore::clsDate::*GetRecordSet)(const QString& strClass);
  datastore::RowSetPtr (datastore::clsDate::*ExpRecordSet)(const QString& strID);
  // The export list shows first & "：" & second.
  RecordField itemFirst;
  RecordField itemSecond;
  qint64 (*Add)(datastore::clsDate& db, const AddArguments& args);

  int FieldCount() const { return int(fields.size()); }
  // The fields a line needs to be imported: up to the last one an import reads.
  int NeededFields() const;
};

// The family of a module window; null for a window whose records are not exchanged.
const Family* FindFamily(const QString& formName);

// The text of every row of rs as record lines, each followed by CR LF. `changing` receives the
// number of records that will not import back as they were (a "|" in a value, a "{br}" typed in a
// long text). Throws what reading the rows throws.
QString ExportText(const Family& family, datastore::RowSet& rs, qint64* changing = nullptr);
// The export list's text of the current row.
QString ItemText(const Family& family, datastore::RowSet& rs);

// The pieces of a file's text, one per line: cut at CR LF when the text holds any, else at LF
// (so a stray LF inside a field of a CR LF file stays in its record). The piece after the last
// break is a line too, empty when the text ends with a break.
QStringList SplitLines(const QString& text);
int FieldCount(const QString& line);

// A line that cannot be imported; the text says which line and why.
class LineError : public std::runtime_error {
public:
  explicit LineError(const QString& description);
  QString Description() const { return QString::fromUtf8(what()); }
};

// The Add arguments of a record line (lineNumber counted from 1, for the error text). Throws
// LineError for too few fields, a number field that is not a number, or bytes that did not read
// as text.
AddArguments ParseLine(const Family& family, const QString& line, qint64 lineNumber);

} // namespace exchange
