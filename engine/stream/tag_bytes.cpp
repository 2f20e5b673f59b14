#include "stream/tag_bytes.h"

#include <algorithm>
#include <cstring>

#include "stream/legacy_text.h"
#include "stream/mp_stream_reader.h"

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint32_t ReadBigEndian24(const uint8_t* p) { return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]; }

uint32_t ReadLittleEndian32(const uint8_t* p) {
  return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

uint32_t ReadSyncSafe32(const uint8_t* p) {
  return uint32_t{p[0] & 0x7Fu} << 21 | uint32_t{p[1] & 0x7Fu} << 14 | uint32_t{p[2] & 0x7Fu} << 7 |
         (p[3] & 0x7Fu);
}

std::string_view FixedFieldBytes(const uint8_t* p, size_t width) {
  const auto* text = reinterpret_cast<const char*>(p);
  size_t n = 0;
  while (n < width && text[n] != '\0') ++n;
  while (n > 0 && static_cast<uint8_t>(text[n - 1]) <= 32) --n;
  return std::string_view(text, n);
}

std::string FixedFieldText(const uint8_t* p, size_t width) {
  return LegacyTextToUtf8(FixedFieldBytes(p, width));
}

int64_t FixedFieldNumber(const uint8_t* p, size_t width) {
  std::string_view digits = FixedFieldBytes(p, width);
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 12) return 0;
  int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool SameBytes(const uint8_t* p, const char* text) { return std::memcmp(p, text, std::strlen(text)) == 0; }

bool ReadReaderBytes(TMPStreamReader& reader, int64_t n, std::vector<uint8_t>& out) {
  out.clear();
  while (n > 0) {
    const auto piece = static_cast<int32_t>(std::min<int64_t>(n, reader.Capacity()));
    if (!reader.Ensure(piece)) return false;
    out.insert(out.end(), reader.Data(), reader.Data() + piece);
    reader.Skip(piece);
    n -= piece;
  }
  return true;
}
