#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "compiler/track_model.h"
#include "output/compiled_input.h"

namespace scenario {

// A curve record: the plan runs straight up to `start`, then turns over the
// metres after it up to start + length, by the curvature of `klass` (1 to 6),
// to the left or the right.
struct CurveRun {
  int32_t start = 0;
  int32_t length = 0;
  bool left = false;
  int klass = 1;

  bool operator==(const CurveRun&) const = default;
};

struct RecoveredPlan {
  std::vector<CurveRun> curves;
  std::vector<Finding> findings;  // metres that no curve record gives
};

// The curve records of a plan (every x value, then every y value; metres 0 to
// `metri`): each metre's turn is read from the two points before it, a run of
// metres with the same turn is one record, and the records are integrated
// again, as the compiler does, to check that they give the plan bit for bit.
// A record may start only where the line's last cell `last_cell` allows.
// Metres that no straight step or curve class gives are named; the records
// are then the closest ones.
RecoveredPlan recover_curves(std::span<const PlanValue> values, int32_t metri, int32_t last_cell);

// The plan the compiler makes of these curve records on a line of `metri`
// metres.
void integrate_curves(Tracciato& plan, int32_t metri, std::span<const CurveRun> curves);

}  // namespace scenario
