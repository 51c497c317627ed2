#pragma once
// Why a file or system operation failed, as the user reads it: the common causes in Chinese,
// followed by the platform's own text in brackets, as in "磁盘已满（No space left on device）".

#include <QString>

class QFileDevice;

namespace platform {

// The Chinese cause of a system error number (errno); empty for one without a text of ours.
QString SystemErrorCause(int error);
// The platform's original text of a system error number, as in the C locale, never translated.
QString SystemErrorOriginal(int error);
// The cause followed by the platform's original text in brackets; for an error without a cause
// of ours, the platform's text alone, in the user's language where it has one.
QString SystemErrorText(int error);
// Why the last operation on file failed; call it right after the failure. A write that stopped
// short (a disk that filled during it) leaves no error of its own on the file: errno tells why.
QString FileErrorText(const QFileDevice& file);

} // namespace platform
