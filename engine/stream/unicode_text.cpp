#include "stream/unicode_text.h"

#include <cstdint>

namespace {

uint8_t Byte(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const uint8_t b = Byte(bytes, i);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    char32_t code;
    char32_t minimum;
    if ((b & 0xE0) == 0xC0) {
      extra = 1, code = b & 0x1F, minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, code = b & 0x0F, minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, code = b & 0x07, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= bytes.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const uint8_t c = Byte(bytes, i + k);
      if ((c & 0xC0) != 0x80) return false;
      code = (code << 6) | (c & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, static_cast<uint8_t>(c));
  return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  size_t i = 0;
  if (bytes.size() >= 2) {
    const uint8_t b0 = Byte(bytes, 0), b1 = Byte(bytes, 1);
    if (b0 == 0xFF && b1 == 0xFE) {
      bigEndian = false, i = 2;
    } else if (b0 == 0xFE && b1 == 0xFF) {
      bigEndian = true, i = 2;
    }
  }
  auto unitAt = [&](size_t k) -> char32_t {
    const uint8_t a = Byte(bytes, k), b = Byte(bytes, k + 1);
    return bigEndian ? (char32_t{a} << 8 | b) : (char32_t{b} << 8 | a);
  };
  std::string out;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
    AppendUtf8(out, unit);
  }
  return out;
}
