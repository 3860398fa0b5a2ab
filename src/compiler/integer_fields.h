#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// A run-time failure that one field of the record being compiled brought
// about (a value whose packing leaves its bits): the compile reports it at
// that field rather than at the last one read.
class FieldFailure : public RunTimeFailure {
 public:
  FieldFailure(std::string_view field, const std::string& what) : RunTimeFailure(what), field_(field) {}
  const std::string& field() const { return field_; }

 private:
  std::string field_;
};

// a * m + b in 32 bits, packed as the builders pack decimal digits; a result
// that leaves 32 bits fails at the field that took it there: `a_field` when
// the product does, else the larger of the two terms.
inline int32_t packed32(int32_t a, int32_t m, std::string_view a_field, int32_t b, std::string_view b_field) {
  const int64_t product = int64_t{a} * m;
  if (product < INT32_MIN || product > INT32_MAX) {
    throw FieldFailure(a_field, "overflow: product " + std::to_string(product) + " does not fit a 32-bit integer");
  }
  const int64_t sum = product + b;
  if (sum < INT32_MIN || sum > INT32_MAX) {
    const bool product_larger = (product < 0 ? -product : product) >= (b < 0 ? -int64_t{b} : int64_t{b});
    throw FieldFailure(product_larger ? a_field : b_field,
                       "overflow: sum " + std::to_string(sum) + " does not fit a 32-bit integer");
  }
  return static_cast<int32_t>(sum);
}

inline int16_t low16(int32_t v) { return static_cast<int16_t>(v); }
inline uint8_t low8(int32_t v) { return static_cast<uint8_t>(v); }

}  // namespace scenario
