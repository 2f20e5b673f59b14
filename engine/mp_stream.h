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
};

// A file opened read-only. Pipes and other unseekable files can be read forward only.
class TMPFileStream : public TMPStream {
 public:
  // Raises EMP3Error "Cannot open file "NAME". <reason>" when the file cannot be opened.
  explicit TMPFileStream(const std::string& fileName);
  ~TMPFileStream() override;
  TMPFileStream(const TMPFileStream&) = delete;
  TMPFileStream& operator=(const TMPFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TMPSeekOrigin origin) override;
  bool CanSeek() const { return canSeek_; }

 private:
  int fd_ = -1;
  bool canSeek_ = false;
  std::string fileName_;
};
