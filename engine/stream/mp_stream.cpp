#include "stream/mp_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/engine_error.h"

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
  // A pipe's writer may stall for ever: its reads wait in poll, where Interrupt reaches them.
  // The descriptor is this open's own, so making it non-blocking affects nobody else.
  if (!S_ISREG(st.st_mode)) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int flags = ::fcntl(fd_, F_GETFL);
    if (wakeFd_ >= 0 && (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) < 0)) {
      ::close(wakeFd_);
      wakeFd_ = -1;
    }
  }
}

TMPFileStream::~TMPFileStream() {
  if (fd_ >= 0) ::close(fd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

// A failed write can only mean the counter is full, which rings as well.
void TMPFileStream::Interrupt() {
  if (wakeFd_ < 0) return;
  const uint64_t one = 1;
  const ssize_t n = ::write(wakeFd_, &one, sizeof one);
  static_cast<void>(n);
}

// Nothing to read (EAGAIN) means nothing was rung.
void TMPFileStream::ClearInterrupt() {
  if (wakeFd_ < 0) return;
  uint64_t count = 0;
  const ssize_t n = ::read(wakeFd_, &count, sizeof count);
  static_cast<void>(n);
}

int32_t TMPFileStream::Read(void* buffer, int32_t count) {
  if (count <= 0) return 0;
  for (;;) {
    if (wakeFd_ >= 0) {
      pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        RaiseSystemError("Read error on \"" + fileName_ + "\".", errno);
      }
      if (fds[1].revents & POLLIN) return 0;
    }
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno != EINTR && errno != EAGAIN) RaiseSystemError("Read error on \"" + fileName_ + "\".", errno);
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
