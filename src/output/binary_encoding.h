#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace scenario {

// Little-endian encoders that append to one byte buffer. The compiled files are
// built field by field with these and never by copying in-memory structs, so
// their layout does not depend on the compiler's padding or the host's order.

inline void append_byte(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

// Each value is spelled out byte by byte, least significant first, then
// appended in one piece.
template <typename Unsigned>
inline void append_little_endian(std::string& out, Unsigned u) {
  char bytes[sizeof u];
  for (std::size_t i = 0; i < sizeof u; ++i) bytes[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  out.append(bytes, sizeof u);
}

inline void append_int16(std::string& out, int16_t v) { append_little_endian(out, static_cast<uint16_t>(v)); }

inline void append_int32(std::string& out, int32_t v) { append_little_endian(out, static_cast<uint32_t>(v)); }

inline void append_double(std::string& out, double v) {
  uint64_t u = 0;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  append_little_endian(out, u);
}

}  // namespace scenario
