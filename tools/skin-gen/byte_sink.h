#pragma once
// Little helpers for building binary files in memory, so every writer
// produces exactly the same bytes on every machine.
#include <cstdint>
#include <string>
#include <vector>

namespace skingen {

using Bytes = std::vector<std::uint8_t>;

inline void putLe16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putLe32(Bytes& out, std::uint32_t v) {
  putLe16(out, v & 0xFFFFu);
  putLe16(out, v >> 16);
}

inline void putBe32(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

inline void putText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

}  // namespace skingen
