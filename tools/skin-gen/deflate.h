#pragma once
#include "byte_sink.h"

namespace skingen {

// A zlib stream (RFC 1950/1951) made by our own small compressor: greedy
// LZ77 with fixed Huffman codes. The system zlib is not used because its
// output differs between versions and forks, and the files we write must be
// byte-identical everywhere.
Bytes zlibCompress(const Bytes& data);

}  // namespace skingen
