// Byte streams the engine reads from: an abstract stream and the file stream.
#pragma once

#include <cstdint>
#include <string>

enum class TMPSeekOrigin { soBeginning, soCurrent, soEnd };

class TMPStream {
 public:
  virtual ~TMPStream() = default;
  // Reads up to count bytes; returns the number read, 0 at the end. Raises on errors.
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  // Moves the position and returns the new one. Raises when the stream cannot seek.
  virtual int64_t Seek(int64_t offset, TMPSeekOrigin origin) = 0;
  // Total size; by default found by seeking to the end and back.
  virtual int64_t Size();
  // From any thread: a Read waiting for input returns 0 at once, and so does every Read
  // until ClearInterrupt. For streams whose reads never wait, nothing.
  virtual void Interrupt() {}
  virtual void ClearInterrupt() {}
};

// A file opened read-only. Pipes and other unseekable files can be read forward only; a
// read from them waits for input together with a wake-up that Interrupt rings.
class TMPFileStream : public TMPStream {
 public:
  // Raises EMP3Error "Cannot open file "NAME". <reason>" when the file cannot be opened.
  explicit TMPFileStream(const std::string& fileName);
  ~TMPFileStream() override;
  TMPFileStream(const TMPFileStream&) = delete;
  TMPFileStream& operator=(const TMPFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TMPSeekOrigin origin) override;
  void Interrupt() override;
  void ClearInterrupt() override;
  bool CanSeek() const { return canSeek_; }

 private:
  int fd_ = -1;
  int wakeFd_ = -1;  // an eventfd, for files whose reads may wait
  bool canSeek_ = false;
  std::string fileName_;
};
