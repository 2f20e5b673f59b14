#include "stream/tag_lyrics.h"

#include <algorithm>

#include "stream/legacy_text.h"
#include "stream/unicode_text.h"

namespace {

constexpr size_t kLanguage = 3;

bool WideEncoding(uint8_t encoding) { return encoding == 1 || encoding == 2; }

// Bytes of one string in its encoding: up to its terminator (one zero byte, or two at an even
// offset for UTF-16), or to the end of the body.
struct TPiece {
  std::string_view Bytes;
  size_t Next = 0;  // where the next field starts
};

TPiece NextString(std::string_view body, size_t at, uint8_t encoding) {
  if (WideEncoding(encoding)) {
    for (size_t i = at; i + 1 < body.size(); i += 2)
      if (body[i] == '\0' && body[i + 1] == '\0') return {body.substr(at, i - at), i + 2};
  } else if (const size_t end = body.find('\0', at); end != std::string_view::npos) {
    return {body.substr(at, end - at), end + 1};
  }
  const size_t end = std::min(body.size(), at);
  return {body.substr(end), body.size()};
}

std::string DecodeText(std::string_view bytes, uint8_t encoding) {
  switch (encoding) {
    case 1:
      return Utf16ToUtf8(bytes, false);  // a byte-order mark decides
    case 2:
      return Utf16ToUtf8(bytes, true);
    case 3:
      return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
    default:
      return LegacyTextToUtf8(bytes);
  }
}

bool StartsLine(const std::string& text) { return !text.empty() && (text[0] == '\n' || text[0] == '\r'); }

void DropLineBreaks(std::string& text) {
  while (StartsLine(text)) text.erase(0, 1);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
}

}  // namespace

std::optional<TSyltLyrics> ParseSyltFrame(std::string_view body) {
  // encoding, language, stamp format, content type, descriptor
  if (body.size() < 1 + kLanguage + 2) return std::nullopt;
  const auto encoding = static_cast<uint8_t>(body[0]);
  const auto format = static_cast<uint8_t>(body[1 + kLanguage]);
  if (format != 1 && format != 2) return std::nullopt;
  TSyltLyrics lyrics;
  lyrics.Format = static_cast<TSyltStampFormat>(format);
  size_t at = NextString(body, 1 + kLanguage + 2, encoding).Next;
  std::vector<TSyltLine> pieces;
  while (at < body.size()) {
    const TPiece text = NextString(body, at, encoding);
    if (text.Next + 4 > body.size()) break;
    const auto* stamp = reinterpret_cast<const uint8_t*>(body.data() + text.Next);
    pieces.push_back(
        {uint32_t{stamp[0]} << 24 | uint32_t{stamp[1]} << 16 | uint32_t{stamp[2]} << 8 | stamp[3],
         DecodeText(text.Bytes, encoding)});
    at = text.Next + 4;
  }
  bool syllables = false;
  for (size_t i = 1; i < pieces.size() && !syllables; ++i) syllables = StartsLine(pieces[i].Text);
  for (TSyltLine& piece : pieces) {
    if (syllables && !lyrics.Lines.empty() && !StartsLine(piece.Text))
      lyrics.Lines.back().Text += piece.Text;
    else
      lyrics.Lines.push_back(std::move(piece));
  }
  for (TSyltLine& line : lyrics.Lines) DropLineBreaks(line.Text);
  return lyrics;
}

std::optional<std::string> ParseUsltFrame(std::string_view body) {
  if (body.size() < 1 + kLanguage) return std::nullopt;
  const auto encoding = static_cast<uint8_t>(body[0]);
  const size_t text = NextString(body, 1 + kLanguage, encoding).Next;
  if (text >= body.size()) return std::string();
  std::string_view rest = body.substr(text);
  if (WideEncoding(encoding) && rest.size() >= 2 && rest[rest.size() - 1] == '\0' &&
      rest[rest.size() - 2] == '\0')
    rest.remove_suffix(2);
  else if (!WideEncoding(encoding) && !rest.empty() && rest.back() == '\0')
    rest.remove_suffix(1);
  return DecodeText(rest, encoding);
}
