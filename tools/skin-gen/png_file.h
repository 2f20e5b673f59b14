#pragma once
#include "byte_sink.h"

class QImage;

namespace skingen {

// An 8-bit RGBA PNG (non-premultiplied), compressed by our own deflate so
// the bytes do not depend on the system's zlib.
Bytes encodePng(const QImage& image);

}  // namespace skingen
