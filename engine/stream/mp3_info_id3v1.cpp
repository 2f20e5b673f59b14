// The ID3v1 tag in the last 128 bytes (of the MacBinary data fork when there is one), with
// the track byte of version 1.1 and the genre names.
#include <string>

#include "stream/mp3_info.h"
#include "stream/mp_stream_reader.h"
#include "stream/tag_bytes.h"

namespace {

constexpr int32_t kTagSize = 128;

// Genre names by the genre byte; 148 to 247 have none.
// clang-format off
const char* const kGenres[148] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical",
    "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance",
    "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap",
    "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro",
    "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde",
    "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire",
    "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhysmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance-Hall",
    "Goa", "Drum & Bass", "Hardcore", "Club-House", "Terror", "Indie", "BritPop", "Negerpunk",
    "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Blank Metal", "Crossover",
    "Contemporrary Christian", "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime",
    "JPop", "Synthpop",
};
// clang-format on
const char* const kJapaneseGenres[8] = {
    "Heavy Rock(J)",    "Doom Rock(J)", "J-POP(J)",     "Seiyu(J)",
    "Tecno Ambient(J)", "Moemoe(J)",    "Tokusatsu(J)", "Anime(J)",
};

std::string GenreName(uint8_t genre) {
  if (genre < 148) return kGenres[genre];
  if (genre >= 248) return kJapaneseGenres[genre - 248];
  return {};
}

}  // namespace

bool TMP3Info::ReadID3v1() {
  const int64_t offset = TrailingEnd() - kTagSize;
  if (offset < 0) return false;
  reader_->Seek(offset, TMPSeekOrigin::soBeginning);
  if (!reader_->Ensure(kTagSize)) return false;
  const uint8_t* t = reader_->Data();
  if (!SameBytes(t, "TAG")) return false;
  id3v1Values_.AddPair("TITLE", FixedFieldText(t + 3, 30));
  id3v1Values_.AddPair("ARTIST", FixedFieldText(t + 33, 30));
  id3v1Values_.AddPair("ALBUM", FixedFieldText(t + 63, 30));
  id3v1Values_.AddPair("YEAR", FixedFieldText(t + 93, 4));
  id3v1Values_.AddPair("COMMENT", FixedFieldText(t + 97, 30));
  id3v1Values_.AddPair("GENRE", GenreName(t[127]));
  id3v1Values_.AddPair("GENREIDX", std::to_string(t[127]));
  if (t[125] == 0) id3v1Values_.AddPair("TRACK", std::to_string(t[126]));
  id3v1Position_ = reader_->Position();
  return reader_->Skip(kTagSize);
}
