// The decoder's process-wide tables (requantisation, stereo, filterbank, synthesis): built
// once, before the first stream of a layer opens, and only read after that by every state.
#pragma once

#include <cstdint>

// Builds what a stream of the header's layer (3 Layer I, 2 Layer II, 1 Layer III) needs on the
// first call for that layer; later calls, from any thread, return at once.
void BuildDecoderTables(int32_t headerLayer);
