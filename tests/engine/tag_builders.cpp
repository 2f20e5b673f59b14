#include "tag_builders.h"

#include <algorithm>
#include <cstdio>

#include "test_support.h"

Bytes BaseAudio() { return ReadFileBytes(CorpusPath("tags/tag_none_base.mp3")); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

void PutBigEndian(Bytes& b, size_t at, uint32_t v, bool syncSafe) {
  for (int i = 0; i < 4; ++i) {
    const int shift = (3 - i) * (syncSafe ? 7 : 8);
    b[at + i] = static_cast<uint8_t>((v >> shift) & (syncSafe ? 0x7F : 0xFF));
  }
}

Bytes Id3v2Frame(const std::string& id, const Bytes& payload, int version, uint8_t formatFlags) {
  Bytes frame(version == 2 ? 6 : 10);
  std::copy(id.begin(), id.end(), frame.begin());
  if (version == 2) {
    for (int i = 0; i < 3; ++i) frame[3 + i] = static_cast<uint8_t>(payload.size() >> (16 - 8 * i));
  } else {
    PutBigEndian(frame, 4, static_cast<uint32_t>(payload.size()), version == 4);
    frame[9] = formatFlags;
  }
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

Bytes Id3v2Tag(int version, uint8_t flags, const Bytes& body) {
  Bytes tag = {'I', 'D', '3', static_cast<uint8_t>(version), 0, flags, 0, 0, 0, 0};
  PutBigEndian(tag, 6, static_cast<uint32_t>(body.size()), true);
  tag.insert(tag.end(), body.begin(), body.end());
  return tag;
}

Bytes Unsynchronised(const Bytes& bytes) {
  Bytes out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] == 0 || bytes[i + 1] >= 0xE0))
      out.push_back(0);
  }
  return out;
}

Bytes Lyrics3v2Block(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string block = "LYRICSBEGIN";
  char number[16];
  for (const auto& [id, value] : fields) {
    std::snprintf(number, sizeof number, "%05zu", value.size());
    block += id + number + value;
  }
  std::snprintf(number, sizeof number, "%06zu", block.size());
  return Text(block + number + "LYRICS200");
}

Bytes ApeTag(const std::vector<std::pair<std::string, std::string>>& items) {
  auto little = [](Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  Bytes body;
  for (const auto& [key, value] : items) {
    little(body, static_cast<uint32_t>(value.size()));
    little(body, 0);  // a text item
    body.insert(body.end(), key.begin(), key.end());
    body.push_back(0);
    body.insert(body.end(), value.begin(), value.end());
  }
  auto block = [&](uint32_t flags) {
    Bytes b = Text("APETAGEX");
    little(b, 2000);
    little(b, static_cast<uint32_t>(body.size() + 32));
    little(b, static_cast<uint32_t>(items.size()));
    little(b, flags);
    b.resize(b.size() + 8, 0);
    return b;
  };
  return Concat({block(0xA0000000u), body, block(0x80000000u)});
}
