#pragma once

#include <cstdint>

#include "base/nearest.h"

namespace scenario {

// The stop cell of a station whose area ends at `fine`: the cell of an object
// 100 m before the end. Cells 0 and 1 cannot hold one.
inline double stop_cell_position(int32_t fine) { return fine / 50.0 - 1; }
inline int32_t stop_cell_of(int32_t fine) { return nearest(stop_cell_position(fine)); }

}  // namespace scenario
