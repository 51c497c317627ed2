#pragma once
// The record export file: one line per record, fields joined by "|", CR LF after every line,
// line breaks of the long texts written as "{br}". Each of the five record families is described
// once below; the writer and the reader follow that description.

#include "datastore/clsDate.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
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
};

// The family of a module window; null for a window whose records are not exchanged.
const Family* FindFamily(const QString& formName);

// The records of an export that will not import back as they are.
struct ExportLosses {
  qint64 refused = 0;  // a "|" in a value adds fields: the import refuses the line
  qint64 changed = 0;  // a "{br}" typed in a long text, or a lone CR or LF there, comes back as CR LF
};

// The text of every row of rs as record lines, each followed by CR LF. Throws what reading the
// rows throws.
QString ExportText(const Family& family, datastore::RowSet& rs, ExportLosses* losses = nullptr);
// The export list's text of the current row.
QString ItemText(const Family& family, datastore::RowSet& rs);

// Calls f(index, start, length) for each piece of a file's text, one per line, in order: cut at
// CR LF when the text holds any, else at LF (so a stray LF inside a field of a CR LF file stays in
// its record). The piece after the last break is a line too, empty when the text ends with a break.
void ForEachLine(QStringView text, const std::function<void(qint64 index, qsizetype start, qsizetype length)>& f);
int FieldCount(QStringView line);

// A line that cannot be imported; the text says which line and why.
class LineError : public std::runtime_error {
public:
  explicit LineError(const QString& description);
  QString Description() const { return QString::fromUtf8(what()); }
};

// The Add arguments of a record line (lineNumber counted from 1, for the error text), dates as
// the data set stores them. Throws LineError for a line with another field count than the
// family's, a number or date the import reads that is none, or bytes that did not read as text.
AddArguments ParseLine(const Family& family, QStringView line, qint64 lineNumber);

} // namespace exchange
