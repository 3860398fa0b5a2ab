#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace scenario {

// Little-endian encoders that append to one byte buffer. The compiled files are
// built field by field with these and never by copying in-memory structs, so
// their layout does not depend on the compiler's padding or the host's order.

inline void append_byte(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

inline void append_int16(std::string& out, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  out.push_back(static_cast<char>(u & 0xFF));
  out.push_back(static_cast<char>(u >> 8));
}

inline void append_int32(std::string& out, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

inline void append_double(std::string& out, double v) {
  uint64_t u = 0;
  static_assert(sizeof u == sizeof v);
  std::memcpy(&u, &v, sizeof u);
  for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

}  // namespace scenario
