// The record-file reader of one family (ALMANOR_FAMILY, the module window's name): the bytes of a
// file go through what the import dialog does with them, from decoding to the Add arguments.
#include "check.h"
#include "exchange/RecordFile.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <cmath>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const exchange::Family* family = exchange::FindFamily(QStringLiteral(ALMANOR_FAMILY));
  FUZZ_CHECK(family, QStringLiteral(ALMANOR_FAMILY));
  const QString text = platform::DecodeText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  if (text.isEmpty()) return 0;
  std::vector<QStringView> lines;
  bool recognised = false;
  exchange::ForEachLine(text, [&](qint64, qsizetype start, qsizetype length) {
    lines.push_back(QStringView(text).sliced(start, length));
    recognised = recognised || exchange::FieldCount(lines.back()) == family->FieldCount();
  });
  if (!recognised) return 0;

  // The Add operation reads one argument per field that an import reads.
  size_t arguments = 0;
  for (const exchange::RecordField& field : family->fields) arguments = std::max(arguments, size_t(field.arg + 1));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isEmpty()) continue;
    exchange::AddArguments args;
    try {
      args = exchange::ParseLine(*family, lines[i], qint64(i) + 1);
    } catch (const exchange::LineError& e) {
      FUZZ_CHECK(!e.Description().isEmpty(), lines[i].toString());
      continue;
    }
    const QString line = lines[i].toString();
    FUZZ_CHECK(args.size() == arguments, line);
    for (const exchange::RecordField& field : family->fields) {
      if (field.arg < 0) continue;
      const QVariant& value = args[size_t(field.arg)];
      if (field.form == exchange::FieldForm::Number) {
        // An amount is a finite double: the ledger cannot store or show anything else.
        FUZZ_CHECK(value.metaType().id() == QMetaType::Double && std::isfinite(value.toDouble()), line);
        continue;
      }
      const QString fieldText = value.toString();
      if (field.form == exchange::FieldForm::Day || field.form == exchange::FieldForm::DefaultDate) {
        // Read once, in the form the data set stores, which reads back as itself.
        const auto date = vb::CDate(fieldText);
        const QDateTime stamp = QDateTime::fromString(fieldText, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        FUZZ_CHECK(date && stamp.isValid() && date->date() == stamp.date() && date->time() == stamp.time(), line);
        continue;
      }
      FUZZ_CHECK(!fieldText.contains(u'|') && !platform::HoldsBrokenBytes(fieldText), line);
      if (field.form == exchange::FieldForm::LongText)
        FUZZ_CHECK(!fieldText.contains(QStringLiteral("{br}")), line);
      else
        FUZZ_CHECK(!fieldText.contains(QStringLiteral("\r\n")) || !text.contains(QStringLiteral("\r\n")), line);
    }
  }
  return 0;
}
