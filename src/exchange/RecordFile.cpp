#include "exchange/RecordFile.h"

#include "platform/textfile.h"
#include "platform/vb.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringTokenizer>
#include <algorithm>

namespace exchange {

namespace {

using datastore::clsDate;
using F = FieldForm;

const QString kCrLf = QStringLiteral("\r\n");
const QString kBr = QStringLiteral("{br}");

QString Text(const AddArguments& a, int i) { return a[size_t(i)].toString(); }
double Number(const AddArguments& a, int i) { return a[size_t(i)].toDouble(); }

std::vector<Family> MakeFamilies() {
  return {
      {QStringLiteral("frmDiary"), QStringLiteral("导出日记"), QStringLiteral("导入日记"),
       QStringLiteral("请确定您所选择的是日记导出文件！"), QStringLiteral("导入到日记模块中发生错误，"),
       {{"diarydate", F::Day, 0},
        {"diarytitle", F::Text, 1},
        {"diarycontent", F::LongText, 2},
        {"diarystring1", F::Mark, 3},
        {"diarytime", F::Stamp, -1}},
       "diaryid", &clsDate::Diary_GetClass, "diarymonth", &clsDate::Diary_GetRecordSet, &clsDate::Diary_ExpRecordSet,
       {"diarydate", F::Day, -1}, {"diarytitle", F::Text, -1},
       [](clsDate& db, const AddArguments& a) { return db.Diary_Add(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3)); }},
      {QStringLiteral("frmUrl"), QStringLiteral("导出网址"), QStringLiteral("导入网址"),
       QStringLiteral("请确定您所选择的是网址导出文件！"), QStringLiteral("导入到网址模块中发生错误，"),
       {{"urlclass", F::Text, 3},
        {"urltext", F::Text, 0},
        {"urladdress", F::Text, 1},
        {"urlstring1", F::Mark, 4},
        {"urlmemo", F::LongText, 2}},
       "urlid", &clsDate::Url_GetClass, "urlclass", &clsDate::Url_GetRecordSet, &clsDate::Url_ExpRecordSet,
       {"urltext", F::Text, -1}, {"urladdress", F::Text, -1},
       [](clsDate& db, const AddArguments& a) {
         return db.Url_Add(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3), Text(a, 4));
       }},
      {QStringLiteral("frmNotes"), QStringLiteral("导出资料"), QStringLiteral("导入资料"),
       QStringLiteral("请确定您所选择的是资料导出文件！"), QStringLiteral("导入到资料模块中发生错误，"),
       {{"notesclass", F::Text, 2},
        {"notestitle", F::Text, 0},
        {"notesstring1", F::Mark, 3},
        {"notescontent", F::LongText, 1},
        {"notesdate", F::Stamp, -1}},
       "notesid", &clsDate::Notes_GetClass, "notesclass", &clsDate::Notes_GetRecordSet, &clsDate::Notes_ExpRecordSet,
       {"notestitle", F::Text, -1}, {"notesdate", F::Day, -1},
       [](clsDate& db, const AddArguments& a) { return db.Notes_Add(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3)); }},
      {QStringLiteral("frmCard"), QStringLiteral("导出名片"), QStringLiteral("导入名片"),
       QStringLiteral("请确定您所选择的是名片导出文件！"), QStringLiteral("导入到名片模块中发生错误，"),
       {{"cardclass", F::Text, 0},
        {"cardname", F::Text, 1},
        {"cardcompany", F::Text, 2},
        {"cardjob", F::Text, 3},
        {"cardaddress", F::LongText, 4},
        {"cardtel", F::Text, 5},
        {"cardfax", F::Text, 6},
        {"cardhandset", F::Text, 7},
        {"cardemail", F::Text, 8},
        {"cardurl", F::Text, 9},
        {"cardmemo", F::LongText, 10},
        {"cardstring1", F::Mark, 13},
        {"cardstring2", F::Text, 11},
        {"cardstring3", F::Text, 12}},
       "cardid", &clsDate::Card_GetClass, "cardclass", &clsDate::Card_GetRecordSet, &clsDate::Card_ExpRecordSet,
       {"cardname", F::Text, -1}, {"cardcompany", F::Text, -1},
       [](clsDate& db, const AddArguments& a) {
         return db.Card_Add(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3), Text(a, 4), Text(a, 5), Text(a, 6),
                            Text(a, 7), Text(a, 8), Text(a, 9), Text(a, 10), Text(a, 11), Text(a, 12), Text(a, 13));
       }},
      {QStringLiteral("frmMoneys"), QStringLiteral("导出收支"), QStringLiteral("导入收支"),
       QStringLiteral("请确定您所选择的是收支导出文件！"), QStringLiteral("导入到收支模块中发生错误，"),
       {{"moneysdate", F::DefaultDate, 0},
        {"moneystype", F::Text, 1},
        {"moneystitle", F::Text, 2},
        {"moneyscontent", F::LongText, 3},
        {"moneysshow", F::Number, 4},
        {"moneysunit", F::Text, 5},
        {"moneyssprice", F::Number, 6},
        {"moneysstring1", F::Mark, 8},
        {"moneyssum", F::Number, 7}},
       "moneysid", &clsDate::Moneys_GetClass, "moneysgroup", &clsDate::Moneys_GetRecordSet,
       &clsDate::Moneys_ExpRecordSet, {"moneystype", F::Text, -1}, {"moneystitle", F::Text, -1},
       [](clsDate& db, const AddArguments& a) {
         return db.Moneys_Add(Text(a, 0), Text(a, 1), Text(a, 2), Text(a, 3), Number(a, 4), Text(a, 5), Number(a, 6),
                              Number(a, 7), Text(a, 8));
       }},
  };
}

QString TextOf(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

// The default number text, unless it loses digits: then the shortest text that reads back as the
// same double, so an export and import keep every amount exactly.
QString NumberText(double value) {
  const QString text = vb::CStr(value);
  const auto back = vb::CDbl(text);
  if (back && *back == value) return text;
  return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString DefaultDateText(const QVariant& v) {
  const QString text = TextOf(v);
  const auto date = vb::CDate(text);
  return date ? vb::CStr(*date) : text;
}

// A lone CR or LF would end the record's line early, so every kind of break becomes "{br}".
// Returns whether the text holds a lone CR or LF, which comes back as CR LF.
bool AppendLongText(QString& out, QStringView text) {
  bool lone = false;
  qsizetype from = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    out += text.sliced(from, i - from);
    out += kBr;
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    else
      lone = true;
    from = i + 1;
  }
  out += text.sliced(from);
  return lone;
}

// Decodes a field's UTF-8 into a buffer reused from field to field, so a long export allocates no
// string per field.
class FieldText {
public:
  QStringView Decode(QByteArrayView utf8) {
    if (buffer_.size() < utf8.size()) buffer_.resize(utf8.size());  // never more characters than bytes
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QChar* end = decoder.appendToBuffer(buffer_.data(), utf8);
    return QStringView(buffer_.constData(), end - buffer_.constData());
  }

private:
  QString buffer_;
};

// The data set stores dates as "yyyy-mm-dd hh:mm:ss"; such a text needs no date conversion.
bool IsStoredStamp(QByteArrayView t) {
  if (t.size() != 19) return false;
  for (qsizetype i = 0; i < 19; ++i) {
    const char c = t[i];
    const char separator = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 0;
    if (separator ? c != separator : (c < '0' || c > '9')) return false;
  }
  return true;
}

QString DateText(QByteArrayView stored, FieldForm form) {
  const bool day = form == F::Day;
  if (IsStoredStamp(stored)) return QString::fromLatin1(stored.first(day ? 10 : 19));
  return vb::Format(QVariant(QString::fromUtf8(stored)),
                    day ? QStringLiteral("yyyy-mm-dd") : QStringLiteral("yyyy-mm-dd hh:mm:ss"));
}

// How a record's field reads back.
enum class Loss { None, Changed, Refused };

// Appends the field's text and says how it reads back: a "|" adds fields, and a "{br}" typed in
// a long text or a lone CR or LF in it comes back as CR LF.
Loss AppendField(QString& out, const RecordField& field, int column, datastore::RowSet& rs, FieldText& decoded) {
  const qsizetype from = out.size();
  Loss loss = Loss::None;
  switch (field.form) {
  case F::Text:
  case F::Mark:
    out += decoded.Decode(rs.Utf8(column));
    break;
  case F::LongText: {
    const QStringView text = decoded.Decode(rs.Utf8(column));
    if (AppendLongText(out, text) || text.contains(kBr)) loss = Loss::Changed;
    break;
  }
  case F::Day:
  case F::Stamp:
    out += DateText(rs.Utf8(column), field.form);
    break;
  case F::DefaultDate:
    out += DefaultDateText(rs.Field(column));
    break;
  case F::Number: {
    const QVariant v = rs.Field(column);
    if (!v.isNull()) out += NumberText(v.toDouble());
    break;
  }
  }
  return QStringView(out).sliced(from).contains(u'|') ? Loss::Refused : loss;
}

// The row set's column of a field; a missing one fails as reading it would.
int ColumnOf(const RecordField& field, const datastore::RowSet& rs) {
  const int column = rs.Column(field.column);
  if (column < 0)
    throw datastore::DbError(QStringLiteral("记录集中没有字段 %1").arg(QLatin1StringView(field.column)).toStdString());
  return column;
}

} // namespace

const Family* FindFamily(const QString& formName) {
  static const std::vector<Family> families = MakeFamilies();
  for (const Family& f : families)
    if (f.formName == formName) return &f;
  return nullptr;
}

QString ExportText(const Family& family, datastore::RowSet& rs, ExportLosses* losses) {
  std::vector<int> columns;
  for (const RecordField& field : family.fields) columns.push_back(ColumnOf(field, rs));
  FieldText decoded;
  QString text;
  ExportLosses counted;
  for (; !rs.Eof(); rs.MoveNext()) {
    Loss worst = Loss::None;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) text += u'|';
      worst = std::max(worst, AppendField(text, family.fields[i], columns[i], rs, decoded));
    }
    text += kCrLf;
    if (worst == Loss::Refused) ++counted.refused;
    if (worst == Loss::Changed) ++counted.changed;
  }
  if (losses) *losses = counted;
  return text;
}

QString ItemText(const Family& family, datastore::RowSet& rs) {
  FieldText decoded;
  QString text;
  AppendField(text, family.itemFirst, ColumnOf(family.itemFirst, rs), rs, decoded);
  text += QStringLiteral("：");
  AppendField(text, family.itemSecond, ColumnOf(family.itemSecond, rs), rs, decoded);
  return text;
}

void ForEachLine(QStringView text, const std::function<void(qint64 index, qsizetype start, qsizetype length)>& f) {
  const QStringView lineBreak = text.contains(kCrLf) ? QStringView(u"\r\n") : QStringView(u"\n");
  qint64 index = 0;
  for (qsizetype from = 0;;) {
    const qsizetype at = text.indexOf(lineBreak, from);
    if (at < 0) {
      f(index, from, text.size() - from);
      return;
    }
    f(index++, from, at - from);
    from = at + lineBreak.size();
  }
}

int FieldCount(QStringView line) { return int(line.count(u'|')) + 1; }

LineError::LineError(const QString& description) : std::runtime_error(description.toStdString()) {}

AddArguments ParseLine(const Family& family, QStringView line, qint64 lineNumber) {
  if (platform::HoldsBrokenBytes(line))
    throw LineError(QStringLiteral("第 %1 行含有无法识别的字符。").arg(lineNumber));
  const int count = FieldCount(line);
  if (count != family.FieldCount())
    throw LineError(QStringLiteral("第 %1 行有 %2 个字段，应有 %3 个。").arg(lineNumber).arg(count).arg(family.FieldCount()));
  int argCount = 0;
  for (const RecordField& field : family.fields) argCount = std::max(argCount, field.arg + 1);
  AddArguments args(static_cast<size_t>(argCount));
  int i = 0;
  for (const QStringView value : QStringTokenizer(line, u'|')) {
    const RecordField& field = family.fields[size_t(i++)];
    if (field.arg < 0) continue;
    // One substitution pass: a "%1" in the value stays as typed.
    auto fail = [&](const char* what) {
      return LineError(QStringLiteral("第 %1 行的第 %2 个字段“%3”%4。")
                           .arg(QString::number(lineNumber), QString::number(i), value.toString(),
                                QString::fromUtf8(what)));
    };
    QVariant& arg = args[size_t(field.arg)];
    switch (field.form) {
    case F::Number: {
      const auto number = vb::CDbl(value.toString());
      if (!number) throw fail("不是数值");
      arg = *number;
      break;
    }
    case F::Day:
    case F::DefaultDate: {
      // The data store would refuse a text that is not a date; the line is refused first.
      // Stored as read: a date without a year takes the current one, so a second reading could
      // differ (a run across midnight on 31 December).
      const auto date = vb::CDate(value.toString());
      if (!date) throw fail("不是有效的日期");
      arg = datastore::Timestamp(*date);
      break;
    }
    case F::LongText:
      arg = value.toString().replace(kBr, kCrLf);
      break;
    default:
      arg = value.toString();
    }
  }
  return args;
}

} // namespace exchange
