#include "mp_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine_error.h"

namespace {

[[noreturn]] void RaiseSystemError(const std::string& what, int error) {
  throw EMP3Error(what + " " + std::strerror(error));
}

}  // namespace

int64_t TMPStream::Size() {
  const int64_t here = Seek(0, TMPSeekOrigin::soCurrent);
  const int64_t size = Seek(0, TMPSeekOrigin::soEnd);
  Seek(here, TMPSeekOrigin::soBeginning);
  return size;
}

TMPFileStream::TMPFileStream(const std::string& fileName) : fileName_(fileName) {
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) RaiseSystemError("Cannot open file \"" + fileName + "\".", errno);
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    RaiseSystemError("Cannot open file \"" + fileName + "\".", EISDIR);
  }
  canSeek_ = S_ISREG(st.st_mode) && ::lseek(fd_, 0, SEEK_CUR) >= 0;
}

TMPFileStream::~TMPFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int32_t TMPFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno != EINTR) RaiseSystemError("Read error on \"" + fileName_ + "\".", errno);
  }
}

int64_t TMPFileStream::Seek(int64_t offset, TMPSeekOrigin origin) {
  const int whence = origin == TMPSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TMPSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
  const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (result < 0) RaiseSystemError("Seek error on \"" + fileName_ + "\".", errno);
  return result;
}
