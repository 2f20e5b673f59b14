#include "formats/atomic_file.h"

#include <QSaveFile>

#include <cerrno>

#include "formats/file_errors.h"

void WriteFileAtomically(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) ThrowCreateError(path, errno ? errno : EACCES);
  if (file.write(bytes) != bytes.size() || !file.commit()) ThrowCreateError(path, errno ? errno : EIO);
}
