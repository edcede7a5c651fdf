// Little-endian 32-bit values, as the tool's data files store them on every platform: the bytes
// are assembled one by one, whatever the byte order of the machine.
#pragma once

#include <cstdint>

inline std::uint32_t LoadLE32(const unsigned char* b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline void StoreLE32(unsigned char* b, std::uint32_t v) {
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
  b[2] = static_cast<unsigned char>(v >> 16);
  b[3] = static_cast<unsigned char>(v >> 24);
}
