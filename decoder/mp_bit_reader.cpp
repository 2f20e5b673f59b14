// The two process-wide bit readers.
#include "mp_bit_reader.h"

TMPBitReader FrameBits{};
TMPBitReader MainDataBits{};
