#pragma once
// Plain-text files as the program exchanges them: written in GB18030 (the lossless superset of the
// Chinese Windows code page) without a byte-order mark; read back exactly as written, and read as
// UTF-8 when they carry its byte-order mark or clearly hold UTF-8 Chinese text of other programs
// (the rule is at DecodeText). Line breaks are kept as they are (CR LF stays CR LF).

#include <QString>

namespace platform {

struct TextFileResult {
  bool ok = false;
  QString text;   // the file's text on success
  QString error;  // a readable reason on failure
};

TextFileResult ReadTextFile(const QString& path);
// Replaces the file whole or leaves it untouched (QSaveFile). Returns "" on success, else the reason.
QString WriteTextFile(const QString& path, const QString& text);
QString WriteFileBytes(const QString& path, const QByteArray& bytes);

// The codec itself, for record files and tests.
QByteArray EncodeText(const QString& text);
// A byte that is text in neither encoding reads as a lone surrogate (U+DC00 + the byte).
QString DecodeText(const QByteArray& bytes);
// Whether decoded text holds such a byte; a U+FFFD that the file holds is text.
bool HoldsBrokenBytes(QStringView text);
// The same text with each such byte shown as U+FFFD, for text that goes into an editor.
QString ShowBrokenBytes(QString text);

} // namespace platform
