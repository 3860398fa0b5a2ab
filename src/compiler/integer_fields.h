#pragma once

#include <cstdint>
#include <string>

#include "base/run_time_failure.h"

namespace scenario {

// Integer arithmetic of the compiler. Source values are signed 32-bit; a sum,
// difference or product that leaves 32 bits is a run-time failure rather than
// a wrapped value. Storing into a narrower field of a cell or a station keeps
// the low bits of the 32-bit value.

inline int32_t checked_32(int64_t v, const char* what) {
  if (v < INT32_MIN || v > INT32_MAX) {
    throw RunTimeFailure(std::string("overflow: ") + what + " " + std::to_string(v) + " does not fit a 32-bit integer");
  }
  return static_cast<int32_t>(v);
}

inline int32_t add32(int32_t a, int32_t b) { return checked_32(int64_t{a} + b, "sum"); }
inline int32_t sub32(int32_t a, int32_t b) { return checked_32(int64_t{a} - b, "difference"); }
inline int32_t mul32(int32_t a, int32_t b) { return checked_32(int64_t{a} * b, "product"); }

inline int16_t low16(int32_t v) { return static_cast<int16_t>(v); }
inline uint8_t low8(int32_t v) { return static_cast<uint8_t>(v); }

}  // namespace scenario
