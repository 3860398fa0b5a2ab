#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace scenario {

// Little-endian encoders that append to one byte buffer, and the readers that
// take the same values back. The compiled files are built field by field with
// these and never by copying in-memory structs, so their layout does not
// depend on the compiler's padding or the host's order.

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

// Readers of little-endian values at `at`, for bytes the caller has checked
// are there.
inline uint8_t byte_at(std::string_view bytes, std::size_t at) { return static_cast<uint8_t>(bytes[at]); }

inline int16_t int16_at(std::string_view bytes, std::size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(byte_at(bytes, at) | (byte_at(bytes, at + 1) << 8)));
}

inline int32_t int32_at(std::string_view bytes, std::size_t at) {
  uint32_t u = 0;
  for (std::size_t i = 4; i-- > 0;) u = (u << 8) | byte_at(bytes, at + i);
  return static_cast<int32_t>(u);
}

inline double double_at(std::string_view bytes, std::size_t at) {
  uint64_t u = 0;
  for (std::size_t i = 8; i-- > 0;) u = (u << 8) | byte_at(bytes, at + i);
  double v = 0;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

}  // namespace scenario
