// The ReplayGain tag writer: the tag's other frames and everything behind the tag stay as they
// were in every ID3v2 version; a tag it cannot keep whole is refused and the file left alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/engine_error.h"
#include "loudness/replay_gain_tag_writer.h"
#include "stream/mp3_info.h"
#include "tag_builders.h"
#include "test_support.h"

namespace {

Bytes Txxx(const std::string& description, const std::string& value, int version) {
  return Id3v2Frame(version == 2 ? "TXX" : "TXXX", Text(std::string(1, '\0') + description + '\0' + value),
                    version);
}

Bytes TagOf(const Bytes& file) {
  if (file.size() < 10 || AsString(Bytes(file.begin(), file.begin() + 3)) != "ID3") return {};
  const size_t size = size_t{file[6]} << 21 | size_t{file[7]} << 14 | size_t{file[8]} << 7 | file[9];
  const bool footer = file[3] == 4 && (file[5] & 0x10);
  return Bytes(file.begin(), file.begin() + static_cast<ptrdiff_t>(10 + size + (footer ? 10 : 0)));
}

// The lines of the tag but the ReplayGain ones.
std::vector<std::string> OtherLines(const TMP3Info& info) {
  std::vector<std::string> lines;
  for (const std::string& line : info.ID3v2Values()) {
    std::string upper = line;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!upper.starts_with("TXXX=REPLAYGAIN_")) lines.push_back(line);
  }
  return lines;
}

TMP3ReplayGain Written() {
  TMP3ReplayGain gains;
  gains.Track = {mgsTXXX, -6.33, 0.768372};
  gains.Album = {mgsTXXX, -6.97, 0.95108};
  return gains;
}

struct TWriteCase {
  const char* Name;
  Bytes File;
  std::vector<Bytes> KeptFrames;  // to be found in the new tag byte for byte, in this order
  int Version;                    // of the new tag
};

}  // namespace

TEST(ReplayGainTag, OtherFramesAndAudioStayByteForByte) {
  const Bytes tit2 = Id3v2Frame("TIT2", Text(std::string("\0Title", 6)), 3);
  const Bytes other = Txxx("MusicBrainz Album Id", "1234", 3);
  const Bytes comm = Id3v2Frame("COMM", Text(std::string("\0eng\0comment", 12)), 3);
  // 2.4 frames with a data length indicator and their own unsynchronisation (FF 00 FE).
  const Bytes flagged = Id3v2Frame("TPE1", Bytes{0, 0, 0, 7, 1, 0xFF, 0x00, 0xFE, 'A', 0, 'B', 0}, 4, 0x03);
  const Bytes oldGain =
      Id3v2Frame("TXXX", Bytes{0,   0,   0,   16,  0,   'R', 'E', 'P', 'L', 'A', 'Y', 'G', 'A', 'I',
                               'N', '_', 'T', 'R', 'A', 'C', 'K', '_', 'G', 'A', 'I', 'N', 0,   '9'},
                 4, 0x01);
  Bytes v24 = Id3v2Tag(4, 0x40 | 0x10, Concat({Bytes{0, 0, 0, 6, 1, 0}, flagged, oldGain}));
  Bytes footer(v24.begin(), v24.begin() + 10);
  footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
  const Bytes behind = Concat({BaseAudio(), ApeTag({{"Title", "kept"}})});
  const TWriteCase cases[] = {
      {"no tag: a new 2.4 tag", behind, {}, 4},
      {"2.3 with padding and an old gain in lower case",
       Concat({Id3v2Tag(3, 0,
                        Concat({tit2, Txxx("replaygain_album_gain", "+9 dB", 3), other, comm, Bytes(64, 0)})),
               behind}),
       {tit2, other, comm},
       3},
      {"2.4 with an extended header, a footer and flagged frames",
       Concat({v24, footer, behind}),
       {flagged},
       4},
      {"2.3 unsynchronised as a whole", ReadFileBytes(CorpusPath("tags/tag_id3v23_unsync.mp3")), {}, 3},
      {"2.2", ReadFileBytes(CorpusPath("tags/tag_id3v22.mp3")), {}, 2},
  };
  TTempDir dir;
  for (const TWriteCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.File("track.mp3");
    WriteFileBytes(path, c.File);
    TMP3Info before;
    before.ReadFromFile(path);
    WriteReplayGainTag(path, Written());
    const Bytes written = ReadFileBytes(path);
    const Bytes oldTag = TagOf(c.File), newTag = TagOf(written);
    ASSERT_FALSE(newTag.empty());
    EXPECT_EQ(newTag[3], c.Version);
    EXPECT_TRUE(std::equal(c.File.begin() + static_cast<ptrdiff_t>(oldTag.size()), c.File.end(),
                           written.begin() + static_cast<ptrdiff_t>(newTag.size()), written.end()));
    size_t at = 0;
    for (const Bytes& frame : c.KeptFrames) {
      at = AsString(newTag).find(AsString(frame), at);
      ASSERT_NE(at, std::string::npos);
    }
    TMP3Info after;
    after.ReadFromFile(path);
    EXPECT_EQ(OtherLines(after), OtherLines(before));
    const TMP3ReplayGain read = after.ReplayGain();
    EXPECT_EQ(read.Track.Source, mgsTXXX);
    EXPECT_EQ(read.Track.Gain, -6.33);
    EXPECT_EQ(read.Track.Peak, 0.768372);
    EXPECT_EQ(read.Album.Gain, -6.97);
    EXPECT_EQ(read.Album.Peak, 0.95108);
  }
}

// A tag it cannot keep whole, a wrapped file and a file changed since its measurement are
// refused; the file stays as it was and no temporary file is left behind. A file reached
// through a link is written where it lies, with its permissions.
TEST(ReplayGainTag, RefusesWhatItCannotKeepAndKeepsLinksAndPermissions) {
  TTempDir dir;
  struct TRefusal {
    const char* File;
    int64_t ExpectedSize;
    const char* Reason;
  };
  for (const TRefusal& r : {TRefusal{"tags/tag_id3v23_exthdr_crc.mp3", -1, "CRC"},
                            TRefusal{"tags/wrap_riff_wave_list_info.mp3", -1, "wrapped"},
                            TRefusal{"tags/tag_id3v23_latin1.mp3", 5, "changed after it was measured"}}) {
    SCOPED_TRACE(r.File);
    const std::string path = dir.File("refused.mp3");
    const Bytes original = ReadFileBytes(CorpusPath(r.File));
    WriteFileBytes(path, original);
    try {
      WriteReplayGainTag(path, Written(), r.ExpectedSize);
      FAIL() << "written";
    } catch (const EMP3Error& error) {
      EXPECT_NE(std::string(error.what()).find(r.Reason), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), 1);
  }
  const std::string target = dir.File("refused.mp3"), link = dir.File("link.mp3");
  chmod(target.c_str(), 0640);
  std::filesystem::create_symlink(target, link);
  WriteReplayGainTag(link, Written());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  struct stat st {};
  stat(target.c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  TMP3Info info;
  info.ReadFromFile(target);
  EXPECT_EQ(info.ReplayGain().Track.Gain, -6.33);
}
