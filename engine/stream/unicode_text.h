// UTF-8 checks and conversions from UTF-16 and ISO-8859-1.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

bool IsValidUtf8(std::string_view bytes);
void AppendUtf8(std::string& out, char32_t code);
std::string Latin1ToUtf8(std::string_view bytes);
// UTF-16 code units in the given byte order; a byte-order mark in front overrides the order
// and is dropped. Unpaired surrogates become U+FFFD; an odd last byte is ignored.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
