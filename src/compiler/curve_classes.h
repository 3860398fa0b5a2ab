#pragma once

#include <array>
#include <cstdint>

namespace scenario {

// Change of heading per metre of the curve classes 1 to 6 (radius 10000,
// 5000, 2500, 1000, 500 and about 333 m). A left curve turns by the negative.
inline constexpr std::array<double, 6> kCurvature = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// The plan may not run past this metre inside a curve record.
inline constexpr int32_t kMaxPlanMetre = 1000000;

}  // namespace scenario
