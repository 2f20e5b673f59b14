// The bodies of the ID3v2 lyrics frames read as text: SYLT (lines with time stamps) and USLT.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// SYLT time stamps count MPEG frames or milliseconds.
enum class TSyltStampFormat : uint8_t { Frames = 1, Milliseconds = 2 };

struct TSyltLine {
  uint32_t Stamp = 0;
  std::string Text;  // UTF-8
};

struct TSyltLyrics {
  TSyltStampFormat Format = TSyltStampFormat::Milliseconds;
  std::vector<TSyltLine> Lines;
};

// A SYLT body. Writers that time every syllable begin a new line with a line break; such
// pieces are joined into lines, each at the stamp of its first piece. Nothing for a body too
// short for its header or with an unknown stamp format.
std::optional<TSyltLyrics> ParseSyltFrame(std::string_view body);
// A USLT body's text; nothing when the body is too short for its header.
std::optional<std::string> ParseUsltFrame(std::string_view body);
