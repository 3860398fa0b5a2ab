#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace scenario {

// Little-endian encoders that append to one byte buffer. The compiled files are
// built field by field with these and never by copying in-memory structs, so
// their layout does not depend on the compiler's padding or the host's order.

inline void append_byte(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

// Spells a value out byte by byte, least significant first, at `at`, and
// returns the position after it. For a buffer already sized for its content.
template <typename Unsigned>
inline char* put_little_endian(char* at, Unsigned u) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &u, sizeof u);  // the host's order is the file's order
  } else {
    for (std::size_t i = 0; i < sizeof u; ++i) at[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  return at + sizeof u;
}

template <typename Unsigned>
inline void append_little_endian(std::string& out, Unsigned u) {
  char bytes[sizeof u];
  put_little_endian(bytes, u);
  out.append(bytes, sizeof u);
}

inline uint64_t bits_of(double v) {
  uint64_t u = 0;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  return u;
}

inline void append_int16(std::string& out, int16_t v) { append_little_endian(out, static_cast<uint16_t>(v)); }

inline void append_int32(std::string& out, int32_t v) { append_little_endian(out, static_cast<uint32_t>(v)); }

inline void append_double(std::string& out, double v) { append_little_endian(out, bits_of(v)); }

}  // namespace scenario
