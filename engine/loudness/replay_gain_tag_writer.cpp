#include "loudness/replay_gain_tag_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/engine_error.h"
#include "stream/mp3_info.h"
#include "stream/mp3_info_id3v2_frame.h"
#include "stream/tag_bytes.h"

namespace {

constexpr size_t kTagHeader = 10;
constexpr uint32_t kLargestTag = (1u << 28) - 1;  // what a sync-safe size holds

[[noreturn]] void Refuse(const std::string& why) { throw EMP3Error(why); }

void PutSize(uint8_t* p, uint32_t size, bool syncSafe) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(syncSafe ? size >> (21 - 7 * i) & 0x7F : size >> (24 - 8 * i));
}

std::string Number(double value, int decimals) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
  return std::string(text, end);
}

void AddTxxx(std::vector<uint8_t>& out, int32_t version, const char* field, const std::string& value) {
  std::vector<uint8_t> payload{0};  // ISO-8859-1, which these texts are
  payload.insert(payload.end(), field, field + std::strlen(field));
  payload.push_back(0);
  payload.insert(payload.end(), value.begin(), value.end());
  const size_t at = out.size();
  if (version == 2) {
    out.insert(out.end(), {'T', 'X', 'X', 0, 0, 0});
    for (int i = 0; i < 3; ++i) out[at + 3 + i] = static_cast<uint8_t>(payload.size() >> (16 - 8 * i));
  } else {
    out.insert(out.end(), {'T', 'X', 'X', 'X', 0, 0, 0, 0, 0, 0});
    PutSize(out.data() + at + 4, static_cast<uint32_t>(payload.size()), version == 4);
  }
  out.insert(out.end(), payload.begin(), payload.end());
}

void AddGainFrames(std::vector<uint8_t>& out, int32_t version, const TMP3ReplayGain& gains) {
  if (gains.Track.Known())
    AddTxxx(out, version, "REPLAYGAIN_TRACK_GAIN", Number(gains.Track.Gain, 2) + " dB");
  if (gains.Track.HasPeak()) AddTxxx(out, version, "REPLAYGAIN_TRACK_PEAK", Number(gains.Track.Peak, 6));
  if (gains.Album.Known())
    AddTxxx(out, version, "REPLAYGAIN_ALBUM_GAIN", Number(gains.Album.Gain, 2) + " dB");
  if (gains.Album.HasPeak()) AddTxxx(out, version, "REPLAYGAIN_ALBUM_PEAK", Number(gains.Album.Peak, 6));
}

// The length of the extended header at the front of the body; refuses one with a CRC of the
// frames, which would no longer hold.
size_t ExtendedHeaderLength(const std::vector<uint8_t>& body, int32_t version) {
  if (body.size() < 6) Refuse("the ID3v2 tag's extended header is damaged");
  int64_t length;
  bool crc;
  if (version == 3) {
    length = int64_t{ReadBigEndian32(body.data())} + 4;
    crc = (body[4] & 0x80) != 0;
  } else {
    length = ReadSyncSafe32(body.data());
    crc = (body[5] & 0x20) != 0;
  }
  if (length < 6 || length > static_cast<int64_t>(body.size()))
    Refuse("the ID3v2 tag's extended header is damaged");
  if (crc) Refuse("the ID3v2 tag carries a CRC of its frames");
  return static_cast<size_t>(length);
}

TReplayGainTag EditTag(const std::vector<uint8_t>& front, const TMP3ReplayGain& gains) {
  const uint8_t* h = front.data();
  const int32_t version = h[3];
  uint8_t flags = h[5];
  if (((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0) Refuse("the ID3v2 tag's size is damaged");
  if (version < 2 || version > 4) Refuse("an ID3v2." + std::to_string(version) + " tag cannot be written");
  if (version == 2 && (flags & 0x40)) Refuse("the ID3v2.2 tag is compressed");
  const size_t size = ReadSyncSafe32(h + 6);
  const bool footer = version == 4 && (flags & 0x10);
  TReplayGainTag result;
  result.OldTagBytes = static_cast<int64_t>(kTagHeader + size + (footer ? kTagHeader : 0));
  if (front.size() < static_cast<size_t>(result.OldTagBytes)) Refuse("the ID3v2 tag is cut off");

  std::vector<uint8_t> body(h + kTagHeader, h + kTagHeader + size);
  const bool unsynchronised = (flags & 0x80) != 0;
  // A 2.2 or 2.3 tag unsynchronised as a whole is written without: its frames stay as they read.
  if (unsynchronised && version < 4) {
    body = RemoveUnsynchronisation(body.data(), body.size());
    flags &= 0x7F;
  }
  std::vector<uint8_t> out;
  size_t at = 0;
  if (version > 2 && (flags & 0x40)) {
    at = ExtendedHeaderLength(body, version);
    out.assign(body.begin(), body.begin() + static_cast<ptrdiff_t>(at));
  }
  const int32_t header = Id3v2FrameHeaderSize(version);
  std::vector<uint8_t> payload;
  while (at + header <= body.size() && body[at] != 0) {
    const int64_t f = Id3v2FrameSize(body.data() + at, version);
    if (f <= 0) break;  // the rest is taken for padding, as the reader takes it
    if (at + header + static_cast<size_t>(f) > body.size()) Refuse("an ID3v2 frame runs past the tag's end");
    const bool txxx = std::memcmp(body.data() + at, version == 2 ? "TXX" : "TXXX", version == 2 ? 3 : 4) == 0;
    const bool replaced = txxx &&
                          Id3v2FramePayload(body.data() + at, body.data() + at + header, f, version,
                                            unsynchronised && version == 4, payload) &&
                          IsReplayGainTxxx(payload.data(), payload.size());
    if (!replaced)
      out.insert(out.end(), body.begin() + static_cast<ptrdiff_t>(at),
                 body.begin() + static_cast<ptrdiff_t>(at + header + f));
    at += header + static_cast<size_t>(f);
  }
  AddGainFrames(out, version, gains);
  out.insert(out.end(), body.begin() + static_cast<ptrdiff_t>(at), body.end());  // the padding
  if (out.size() > kLargestTag) Refuse("the ID3v2 tag would grow too large");

  result.Tag.assign(h, h + kTagHeader);
  result.Tag[5] = flags;
  PutSize(result.Tag.data() + 6, static_cast<uint32_t>(out.size()), true);
  result.Tag.insert(result.Tag.end(), out.begin(), out.end());
  if (footer) {
    result.Tag.insert(result.Tag.end(), {'3', 'D', 'I'});
    result.Tag.insert(result.Tag.end(), result.Tag.begin() + 3, result.Tag.begin() + kTagHeader);
  }
  return result;
}

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

std::string SystemError() { return std::strerror(errno); }

bool ReadAt(int fd, uint8_t* p, size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = pread(fd, p, n, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got, n -= static_cast<size_t>(got), at += got;
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t put = write(fd, p, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put, n -= static_cast<size_t>(put);
  }
  return true;
}

int64_t ModifiedNs(const struct stat& st) {
  return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

// The bytes the new tag's reading must find: what was written, as the reader reads it back.
bool ReadsBack(const TMP3ReplayGain& written, const TMP3ReplayGain& read) {
  auto same = [](const TMP3Gain& w, const TMP3Gain& r) {
    return w.Known() == (r.Source == mgsTXXX) && (!w.Known() || std::fabs(w.Gain - r.Gain) <= 0.005) &&
           w.HasPeak() == r.HasPeak() && (!w.HasPeak() || std::fabs(w.Peak - r.Peak) <= 0.0000005);
  };
  return same(written.Track, read.Track) && same(written.Album, read.Album);
}

}  // namespace

TReplayGainTag BuildReplayGainTag(const std::vector<uint8_t>& front, const TMP3ReplayGain& gains) {
  if (front.size() >= kTagHeader && SameBytes(front.data(), "ID3")) return EditTag(front, gains);
  TReplayGainTag result;
  std::vector<uint8_t> frames;
  AddGainFrames(frames, 4, gains);
  result.Tag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0};
  PutSize(result.Tag.data() + 6, static_cast<uint32_t>(frames.size()), true);
  result.Tag.insert(result.Tag.end(), frames.begin(), frames.end());
  return result;
}

void WriteReplayGainTag(const std::string& path, const TMP3ReplayGain& gains, int64_t expectedSize,
                        int64_t expectedModified) {
  const std::string prefix = "Cannot write tags to \"" + path + "\". ";
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) Refuse(prefix + SystemError());
  const std::string target = resolved.get();
  TMP3Info before;
  before.ReadFromFile(target);
  if (before.Found().Contains(mitRiff) || before.Found().Contains(mitMacBin))
    Refuse(prefix + "Its audio is wrapped (RIFF or MacBinary).");

  TFileDescriptor in(open(target.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (in.Get() < 0 || fstat(in.Get(), &st) != 0) Refuse(prefix + SystemError());
  if (!S_ISREG(st.st_mode)) Refuse(prefix + "It is not a regular file.");
  if ((expectedSize >= 0 && st.st_size != expectedSize) ||
      (expectedModified >= 0 && ModifiedNs(st) != expectedModified))
    Refuse(prefix + "It changed after it was measured.");
  std::vector<uint8_t> front(std::min<size_t>(kTagHeader, static_cast<size_t>(st.st_size)));
  if (!ReadAt(in.Get(), front.data(), front.size(), 0)) Refuse(prefix + SystemError());
  if (front.size() == kTagHeader && SameBytes(front.data(), "ID3") &&
      ((front[6] | front[7] | front[8] | front[9]) & 0x80) == 0) {
    const size_t whole =
        kTagHeader + ReadSyncSafe32(front.data() + 6) + (front[3] == 4 && (front[5] & 0x10) ? kTagHeader : 0);
    front.resize(std::min<size_t>(whole, static_cast<size_t>(st.st_size)));
    if (!ReadAt(in.Get(), front.data(), front.size(), 0)) Refuse(prefix + SystemError());
  }
  TReplayGainTag tag;
  try {
    tag = BuildReplayGainTag(front, gains);
  } catch (const EMP3Error& error) {
    Refuse(prefix + error.what());
  }

  const std::filesystem::path targetPath(target);
  std::string temporary =
      (targetPath.parent_path() / ("." + targetPath.filename().string() + ".varo-XXXXXX")).string();
  TFileDescriptor out(mkostemp(temporary.data(), O_CLOEXEC));
  if (out.Get() < 0) Refuse(prefix + SystemError());
  try {
    bool ok = WriteAll(out.Get(), tag.Tag.data(), tag.Tag.size());
    std::vector<uint8_t> buffer(1 << 20);
    for (off_t at = tag.OldTagBytes; ok && at < st.st_size;) {
      const size_t n =
          static_cast<size_t>(std::min<off_t>(static_cast<off_t>(buffer.size()), st.st_size - at));
      ok = ReadAt(in.Get(), buffer.data(), n, at) && WriteAll(out.Get(), buffer.data(), n);
      at += static_cast<off_t>(n);
    }
    if (fchown(out.Get(), st.st_uid, st.st_gid) != 0) {
      // Another owner's file: it becomes the writer's, as any editor leaves it.
    }
    ok = ok && fchmod(out.Get(), st.st_mode & 07777) == 0 && fsync(out.Get()) == 0;
    if (!out.Close() || !ok) Refuse(prefix + SystemError());
    TMP3Info after;
    after.ReadFromFile(temporary);
    if (after.DataStart() - static_cast<int64_t>(tag.Tag.size()) != before.DataStart() - tag.OldTagBytes ||
        !ReadsBack(gains, after.ReplayGainFrom(mgsTXXX)))
      Refuse(prefix + "The new tag did not read back.");
    struct stat now {};
    if (stat(target.c_str(), &now) != 0 || now.st_size != st.st_size || ModifiedNs(now) != ModifiedNs(st))
      Refuse(prefix + "It changed while its tag was written.");
    if (rename(temporary.c_str(), target.c_str()) != 0) Refuse(prefix + SystemError());
  } catch (...) {
    unlink(temporary.c_str());
    throw;
  }
  TFileDescriptor folder(open(targetPath.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() >= 0) fsync(folder.Get());
}
