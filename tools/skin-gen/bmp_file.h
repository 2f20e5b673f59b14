#pragma once
#include "byte_sink.h"

class QImage;

namespace skingen {

// A 24-bit bottom-up Windows bitmap with a plain 40-byte info header: the
// form every BMP reader accepts. Alpha is dropped; the image must be opaque.
Bytes encodeBmp24(const QImage& image);

}  // namespace skingen
