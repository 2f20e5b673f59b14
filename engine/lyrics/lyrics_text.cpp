#include "lyrics/lyrics_text.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "stream/legacy_text.h"
#include "stream/unicode_text.h"

namespace {

constexpr size_t kMostMinuteDigits = 6;
constexpr size_t kMostOffsetDigits = 9;
constexpr size_t kLongestTime = kMostMinuteDigits + 7;  // "mmmmmm:ss.xxx"

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Leading digits of s from at, at most most of them; their count goes to n.
int64_t Digits(std::string_view s, size_t& at, size_t most, size_t& n) {
  int64_t value = 0;
  n = 0;
  while (at < s.size() && IsDigit(s[at]) && n < most) {
    value = value * 10 + (s[at++] - '0');
    ++n;
  }
  return value;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// "+500", "-250", "300"; 0 when it is not a number.
int64_t SignedNumber(std::string_view s) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  size_t at = 0;
  size_t n = 0;
  const int64_t value = Digits(s, at, kMostOffsetDigits, n);
  if (n == 0 || at != s.size()) return 0;
  return negative ? -value : value;
}

// A header line "[id:value]": the id is letters (a time tag starts with a digit).
bool ReadHeader(std::string_view inside, TLyricsInfo& info) {
  const size_t colon = inside.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const std::string_view id = inside.substr(0, colon);
  if (!std::all_of(id.begin(), id.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
    return false;
  const std::string key = Lower(id);
  const std::string value(Trim(inside.substr(colon + 1)));
  if (key == "ti") info.Title = value;
  if (key == "ar") info.Artist = value;
  if (key == "al") info.Album = value;
  if (key == "by") info.By = value;
  if (key == "length") info.LengthMs = ParseLyricsTime(value);
  if (key == "offset") info.OffsetMs = SignedNumber(value);
  return true;
}

// The text with every well-formed "<mm:ss.xx>" taken out.
std::string WithoutWordTimes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '<') {
      // Only a short stretch can hold a time, so a line of many "<" stays linear.
      const size_t close = text.substr(0, at + 2 + kLongestTime).find('>', at + 1);
      if (close != std::string_view::npos && ParseLyricsTime(text.substr(at + 1, close - at - 1)) >= 0) {
        at = close + 1;
        continue;
      }
    }
    out += text[at++];
  }
  return out;
}

void SortByTime(std::vector<TTimedLyric>& lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const TTimedLyric& a, const TTimedLyric& b) { return a.Ms < b.Ms; });
}

}  // namespace

std::string LyricsBytesToUtf8(std::string_view bytes) {
  if (bytes.size() >= 2) {
    const auto a = static_cast<unsigned char>(bytes[0]);
    const auto b = static_cast<unsigned char>(bytes[1]);
    if ((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF)) return Utf16ToUtf8(bytes, a == 0xFE);
  }
  return LegacyTextToUtf8(bytes);
}

int64_t ParseLyricsTime(std::string_view inside) {
  size_t at = 0;
  size_t n = 0;
  const int64_t minutes = Digits(inside, at, kMostMinuteDigits, n);
  if (n == 0 || at >= inside.size() || inside[at] != ':') return -1;
  ++at;
  const int64_t seconds = Digits(inside, at, 2, n);
  if (n == 0 || seconds >= 60) return -1;
  int64_t ms = (minutes * 60 + seconds) * 1000;
  if (at < inside.size() && (inside[at] == '.' || inside[at] == ':' || inside[at] == ',')) {
    ++at;
    const int64_t fraction = Digits(inside, at, 3, n);
    if (n == 0) return -1;
    ms += fraction * (n == 1 ? 100 : n == 2 ? 10 : 1);
  }
  return at == inside.size() ? ms : -1;
}

TLyricsText ParseLyricsText(std::string_view utf8) {
  if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
  TLyricsText lyrics;
  std::vector<int64_t> times;
  size_t start = 0;
  while (start < utf8.size()) {
    size_t end = utf8.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = utf8.size();
    const std::string_view line = utf8.substr(start, end - start);
    start = end + (end + 1 < utf8.size() && utf8[end] == '\r' && utf8[end + 1] == '\n' ? 2 : 1);
    lyrics.PlainLines.emplace_back(line);

    times.clear();
    size_t at = line.find_first_not_of(" \t");
    bool header = false;
    while (at != std::string_view::npos && at < line.size() && line[at] == '[') {
      const size_t close = line.find(']', at + 1);
      if (close == std::string_view::npos) break;
      const std::string_view inside = line.substr(at + 1, close - at - 1);
      const int64_t ms = ParseLyricsTime(inside);
      if (ms < 0) {
        header = times.empty() && ReadHeader(inside, lyrics.Info);
        break;
      }
      times.push_back(ms);
      at = close + 1;
    }
    if (header || times.empty()) continue;
    const std::string text = WithoutWordTimes(line.substr(std::min(at, line.size())));
    for (const int64_t ms : times) lyrics.TimedLines.push_back({ms, text});
  }
  const int64_t offset = lyrics.Info.OffsetMs;
  for (TTimedLyric& line : lyrics.TimedLines) line.Ms = std::max<int64_t>(0, line.Ms - offset);
  SortByTime(lyrics.TimedLines);
  lyrics.Timed = !lyrics.TimedLines.empty();
  return lyrics;
}

TLyricsText TimedLyricsText(std::vector<TTimedLyric> lines) {
  TLyricsText lyrics;
  SortByTime(lines);
  for (const TTimedLyric& line : lines) lyrics.PlainLines.push_back(line.Text);
  lyrics.TimedLines = std::move(lines);
  lyrics.Timed = !lyrics.TimedLines.empty();
  return lyrics;
}

int CurrentLyricsLine(const std::vector<TTimedLyric>& lines, int64_t ms) {
  const auto due = std::upper_bound(lines.begin(), lines.end(), ms,
                                    [](int64_t t, const TTimedLyric& line) { return t < line.Ms; });
  const auto index = due - lines.begin() - 1;
  return index > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(index);
}
