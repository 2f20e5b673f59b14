// The layout of one ID3v2 frame, shared by the tag reader and the ReplayGain tag writer: its
// header's size, its size, and its payload with unsynchronisation and the frame's flags undone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 0xFF 0x00 back to 0xFF.
std::vector<uint8_t> RemoveUnsynchronisation(const uint8_t* p, size_t n);

// 6 bytes in version 2.2, 10 in 2.3 and 2.4.
inline int32_t Id3v2FrameHeaderSize(int32_t version) { return version == 2 ? 6 : 10; }
// The size the frame header gives (without the header); 2.4 sizes are sync-safe, except from
// writers that put plain sizes there, which a byte with its top bit set tells.
int64_t Id3v2FrameSize(const uint8_t* header, int32_t version);
// The payload of the frame whose header and `size` bytes of data are given: false for a
// compressed or encrypted frame, or one too short for what its flags announce.
bool Id3v2FramePayload(const uint8_t* header, const uint8_t* data, int64_t size, int32_t version,
                       bool tagUnsynchronised, std::vector<uint8_t>& payload);
