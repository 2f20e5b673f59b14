// Tag bytes built in tests around a corpus frame: ID3v2 frames and tags of every version,
// Lyrics3 v2 blocks and APEv2 tags.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A short Layer III stream without tags (MPEG-1, 44.1 kHz).
Bytes BaseAudio();
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes Text(const std::string& s);
std::string AsString(const Bytes& b);
void PutBigEndian(Bytes& b, size_t at, uint32_t v, bool syncSafe);
// Version 2 takes 3-character ids and a 6-byte header.
Bytes Id3v2Frame(const std::string& id, const Bytes& payload, int version, uint8_t formatFlags = 0);
Bytes Id3v2Tag(int version, uint8_t flags, const Bytes& body);
// 0xFF followed by 0x00 or a byte of 0xE0 and more gets a 0x00 after it.
Bytes Unsynchronised(const Bytes& bytes);
// A Lyrics3 v2 block holding the fields given (id, value).
Bytes Lyrics3v2Block(const std::vector<std::pair<std::string, std::string>>& fields);
// An APEv2 tag (header and footer) holding the text items given (key, value).
Bytes ApeTag(const std::vector<std::pair<std::string, std::string>>& items);
