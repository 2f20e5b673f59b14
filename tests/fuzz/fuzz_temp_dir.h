// The one temporary folder of a fuzzing process, where the app targets put the files they
// load: made once at the first use, emptied and removed when the process ends normally.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#endif
#endif

#include "fuzz_input.h"

inline const QString& FuzzTempDir() {
  // Never destroyed: the clean-up registered below runs at exit, after a static's destructor.
  static const QString& dir = *new QString([] {
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/varo-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) FuzzFailure("cannot make the temporary folder");
    // Removed on every way out: a normal end, a failed check, a sanitizer's report.
    FuzzCleanup = [] { QDir(FuzzTempDir()).removeRecursively(); };
    std::atexit(FuzzCleanup);
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    __sanitizer_set_death_callback(FuzzCleanup);
#endif
#endif
    return QString::fromLocal8Bit(pattern);
  }());
  return dir;
}

// Writes bytes as the file name in the temporary folder (replacing it) and returns its path.
inline QString WriteFuzzFile(const QString& name, const QByteArray& bytes) {
  const QString path = FuzzTempDir() + u'/' + name;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    FuzzFailure("cannot write into the temporary folder");
  return path;
}

inline QByteArray ReadFuzzFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) FuzzFailure("cannot read back from the temporary folder");
  return file.readAll();
}
