// Small helpers for reading tag fields out of raw bytes and out of the stream reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TMPStreamReader;

uint32_t ReadBigEndian32(const uint8_t* p);
uint32_t ReadBigEndian24(const uint8_t* p);
uint32_t ReadLittleEndian32(const uint8_t* p);
// Four 7-bit groups, high group first.
uint32_t ReadSyncSafe32(const uint8_t* p);

// At most width bytes, up to the first zero byte, without trailing bytes of 32 or less.
std::string_view FixedFieldBytes(const uint8_t* p, size_t width);
// The same, decoded as legacy text into UTF-8.
std::string FixedFieldText(const uint8_t* p, size_t width);
// A decimal number in a fixed field; 0 when the field is not a number.
int64_t FixedFieldNumber(const uint8_t* p, size_t width);

bool SameBytes(const uint8_t* p, const char* text);

// Reads n bytes at the reader position in pieces of at most the reader's capacity and
// steps over them; false when the stream ends first.
bool ReadReaderBytes(TMPStreamReader& reader, int64_t n, std::vector<uint8_t>& out);
