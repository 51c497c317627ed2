#include "platform/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {
// GB18030 comes from ICU through Qt's converters (QStringConverter has no enum value for it).
constexpr const char* kGb18030 = "GB18030";
} // namespace

QByteArray EncodeText(const QString& text) {
  QStringEncoder encoder(kGb18030);
  return encoder.isValid() ? encoder.encode(text) : QByteArray();
}

QString DecodeText(const QByteArray& bytes) {
  static const QByteArray bom("\xEF\xBB\xBF");
  if (bytes.startsWith(bom))
    return QString::fromUtf8(bytes.constData() + bom.size(), bytes.size() - bom.size());
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8.decode(bytes);
  QStringDecoder gb(kGb18030);
  if (!utf8.hasError() || !gb.isValid())
    return text;
  return gb.decode(bytes);
}

TextFileResult ReadTextFile(const QString& path) {
  TextFileResult result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = file.errorString();
    return result;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    result.error = file.errorString();
    return result;
  }
  result.text = DecodeText(bytes);
  result.ok = true;
  return result;
}

QString WriteTextFile(const QString& path, const QString& text) {
  if (!QStringEncoder(kGb18030).isValid())
    return QStringLiteral("The GB18030 text encoding is not available.");
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return file.errorString();
  const QByteArray bytes = EncodeText(text);
  if (file.write(bytes) != bytes.size()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return reason;
  }
  if (!file.commit())
    return file.errorString();
  return QString();
}

} // namespace platform
