#pragma once
// What the fault tests share: whole-folder snapshots, a file or folder that cannot be written
// even by root, and a disk that fills up.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <optional>
#include <unistd.h>

#include "filebytes.h"

namespace faults {

// Every file of a folder with its bytes: what a failed operation must leave exactly as it was.
inline QMap<QString, QByteArray> Snapshot(const QString& folder) {
  QMap<QString, QByteArray> files;
  for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
    files.insert(name, ReadBytes(folder + QLatin1Char('/') + name));
  return files;
}

// Mounts made here live in this process's own mount namespace: no other process sees them, and
// they go with the process even when a test stops half way. Only the calling thread (the test's
// main thread) and the programs it starts enter it.
inline bool PrivateMounts() {
  static const bool ok = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return ok;
}

// Makes a file or folder unwritable for this process and the programs it starts, and writable
// again when it goes. Root ignores permission bits, so for root: a read-only bind mount (a file
// named in `keep` stays writable on a bind mount of its own), else the immutable attribute.
// `how` names the way taken; empty when none works here.
class ReadOnly {
public:
  explicit ReadOnly(const QString& path, const QString& keep = QString()) : path_(QFile::encodeName(path)) {
    if (::geteuid() != 0) {
      struct stat st {};
      if (::stat(path_.constData(), &st) == 0 && ::chmod(path_.constData(), st.st_mode & ~0222) == 0) {
        mode_ = st.st_mode;
        how = QStringLiteral("permission bits");
      }
    } else if (PrivateMounts() && Bind(path_)) {
      mounts_ << path_;
      if (!keep.isEmpty()) {
        const QByteArray kept = QFile::encodeName(keep);
        if (Bind(kept)) mounts_.prepend(kept);
      }
      if (::mount(nullptr, path_.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0)
        how = QStringLiteral("read-only bind mount");
    } else if (SetImmutable(path_, true)) {
      immutable_ = true;
      how = QStringLiteral("immutable attribute");
    }
    if (!how.isEmpty() && ::access(path_.constData(), W_OK) == 0) how.clear();  // it did not take
  }
  ~ReadOnly() {
    for (const QByteArray& mount : mounts_) ::umount2(mount.constData(), MNT_DETACH);
    if (immutable_) SetImmutable(path_, false);
    if (mode_) ::chmod(path_.constData(), *mode_);
  }
  ReadOnly(const ReadOnly&) = delete;
  ReadOnly& operator=(const ReadOnly&) = delete;

  QString how;

private:
  static bool Bind(const QByteArray& path) {
    return ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0;
  }
  static bool SetImmutable(const QByteArray& path, bool on) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
  }

  QByteArray path_;
  QList<QByteArray> mounts_;
  bool immutable_ = false;
  std::optional<mode_t> mode_;
};

// A folder on a disk that Fill() makes full and Free() empties again: a small file system of its
// own (tmpfs) mounted on the folder when mounting works, else this process's file size limit, so
// that every write fails part way as on a full disk.
class FullDisk {
public:
  explicit FullDisk(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder);
    if (PrivateMounts() &&
        ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=4m,mode=0700") == 0) {
      mounted_ = true;
      how = QStringLiteral("small tmpfs");
    } else {
      how = QStringLiteral("file size limit");
    }
  }
  ~FullDisk() {
    Free();
    if (mounted_) ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // Leaves about `room` bytes: that much free space on the small file system, or files that may
  // grow to that size under the limit.
  void Fill(qint64 room = 0) {
    if (!mounted_) {
      ::getrlimit(RLIMIT_FSIZE, &saved_);
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit = saved_;
      limit.rlim_cur = rlim_t(std::max<qint64>(room, 1));
      ::setrlimit(RLIMIT_FSIZE, &limit);
      limited_ = true;
      return;
    }
    QFile filler(folder_ + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    if (room > 0) filler.resize(std::max<qint64>(filler.size() - room, 0));
  }
  void Free() {
    if (limited_) {
      ::setrlimit(RLIMIT_FSIZE, &saved_);
      std::signal(SIGXFSZ, SIG_DFL);
      limited_ = false;
    }
    if (mounted_) QFile::remove(folder_ + QStringLiteral("/.filler"));
  }

  QString how;

private:
  QString folder_;
  bool mounted_ = false;
  bool limited_ = false;
  rlimit saved_{};
};

} // namespace faults
