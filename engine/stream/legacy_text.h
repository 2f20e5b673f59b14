// Text of unknown encoding from tags and text files, turned into UTF-8.
#pragma once

#include <string>
#include <string_view>

// Valid UTF-8 is kept (a leading byte-order mark dropped). Otherwise the bytes are read as
// CP932 (Shift-JIS) when every byte converts and no user-defined lead byte (0xF0-0xF9)
// occurs, else as ISO-8859-1.
std::string LegacyTextToUtf8(std::string_view bytes);
