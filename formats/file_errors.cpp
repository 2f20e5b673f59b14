#include "formats/file_errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Message(const char* what, const QString& fileName, int error) {
  return QStringLiteral("%1 \"%2\". %3")
      .arg(QString::fromLatin1(what), fileName, QString::fromLocal8Bit(std::strerror(error)))
      .toStdString();
}

}  // namespace

void ThrowOpenError(const QString& fileName, int error) {
  throw EFileError(Message("Cannot open file", fileName, error));
}

void ThrowCreateError(const QString& fileName, int error) {
  throw EFileError(Message("Cannot create file", fileName, error));
}

void ThrowReadBeyondEnd(const QString& fileName) {
  throw EFileError(QStringLiteral("Read beyond end of file \"%1\"").arg(fileName).toStdString());
}

QByteArray ReadWholeFile(const QString& fileName) {
  const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) ThrowOpenError(fileName, errno);
  QByteArray data;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      ThrowOpenError(fileName, err);
    }
    if (n == 0) break;
    data.append(buffer, n);
  }
  ::close(fd);
  return data;
}
