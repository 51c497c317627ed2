#include "platform/errortext.h"

#include <QFileDevice>
#include <cerrno>
#include <clocale>
#include <cstring>

namespace platform {

namespace {

struct Cause {
  int error;
  const char* chinese;
};

const Cause kCauses[] = {
    {ENOSPC, "磁盘已满"},
    {EDQUOT, "磁盘空间已超出限额"},
    {EACCES, "没有访问权限"},
    {EPERM, "没有访问权限"},
    {ENOENT, "文件或文件夹不存在"},
    {ENOTDIR, "路径中的文件夹不存在"},
    {EISDIR, "这是一个文件夹，不是文件"},
    {EROFS, "文件系统是只读的"},
    {EFBIG, "文件太大"},
    {EIO, "磁盘读写出错"},
    {EBUSY, "文件正被占用"},
    {ETXTBSY, "文件正被占用"},
    {ENAMETOOLONG, "文件名太长"},
    {EMFILE, "打开的文件太多"},
    {ENFILE, "打开的文件太多"},
};

} // namespace

QString SystemErrorOriginal(int error) {
  // Qt's text may be its translation, and strerror follows the user's locale.
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
  return c ? QString::fromUtf8(strerror_l(error, c)) : qt_error_string(error);
}

QString SystemErrorCause(int error) {
  for (const Cause& cause : kCauses)
    if (cause.error == error) return QString::fromUtf8(cause.chinese);
  return QString();
}

QString SystemErrorText(int error) {
  const QString cause = SystemErrorCause(error);
  if (cause.isEmpty()) return qt_error_string(error);
  return cause + QStringLiteral("（") + SystemErrorOriginal(error) + QStringLiteral("）");
}

QString FileErrorText(const QFileDevice& file) {
  const int error = errno;
  const QString text = file.errorString();
  // Qt's texts of system errors are the platform's texts of their numbers.
  for (const Cause& cause : kCauses)
    if (text == qt_error_string(cause.error)) return SystemErrorText(cause.error);
  if (text == QIODevice::tr("Unknown error") && !SystemErrorCause(error).isEmpty()) return SystemErrorText(error);
  return text;
}

} // namespace platform
