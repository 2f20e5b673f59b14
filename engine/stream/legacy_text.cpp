#include "stream/legacy_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "stream/unicode_text.h"

namespace {

bool IsCp932Lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// User-defined characters (lead bytes 0xF0-0xF9) mean the bytes are most likely not CP932.
bool HasUserDefinedCp932(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if (!IsCp932Lead(b)) continue;
    if (b >= 0xF0 && b <= 0xF9) return true;
    ++i;  // the trail byte
  }
  return false;
}

// CP932 to UTF-8; false when iconv refuses any byte.
bool Cp932ToUtf8(std::string_view bytes, std::string& out) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input(bytes);
  std::string output(bytes.size() * 3 + 4, '\0');
  char* in = input.data();
  size_t inLeft = input.size();
  char* outPtr = output.data();
  size_t outLeft = output.size();
  const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  const bool ok = result != static_cast<size_t>(-1) && inLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  output.resize(output.size() - outLeft);
  out = std::move(output);
  return true;
}

}  // namespace

std::string LegacyTextToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return std::string(bytes);
  }
  std::string converted;
  if (!HasUserDefinedCp932(bytes) && Cp932ToUtf8(bytes, converted)) return converted;
  return Latin1ToUtf8(bytes);
}
