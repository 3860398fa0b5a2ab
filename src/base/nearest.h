#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "base/run_time_failure.h"

namespace scenario {

// Every conversion of a fractional value to an integer in the system: to the
// nearest integer, halves to the even neighbour (24.5 -> 24, 25.5 -> 26).
// std::nearbyint does exactly this under the default rounding mode, which the
// program never changes. A value that does not fit 32 bits is a run-time
// failure, never a silent wrap.
inline int32_t nearest(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
    throw RunTimeFailure("overflow: " + std::to_string(v) + " does not fit a 32-bit integer");
  }
  return static_cast<int32_t>(r);
}

}  // namespace scenario
