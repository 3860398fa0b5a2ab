#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/kilometres.h"
#include "view/scenario_view.h"

namespace scenario {

// What a compiled scenario says about its line beyond the objects in its
// cells: the kilometre posts that the kilometre references put along it, the
// curves that shaped its plan, and the profiles an author reads along it (the
// speed limit the train obeys, the height the gradients climb to). Whatever
// draws or checks a line reads them here, so that every picture of a line
// agrees with every other.

// --- kilometres --------------------------------------------------------------

// The kilometre sections of a scenario's references (compiler/kilometres.h
// reads them).
std::vector<KilometreSection> kilometre_sections(const ScenarioView& view);

// --- curves ------------------------------------------------------------------

// The curvature per metre of each curve class 1 to 6: the change of heading
// per metre, the inverse of the radius.
inline constexpr double kCurveClasses[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// A curve recovered from the plan: the plan runs straight up to metre `start`
// and turns over the `length` metres after it.
struct CurveView {
  int32_t start = 0;
  int32_t length = 0;
  int klass = 0;      // 1 to 6
  bool left = false;  // turns left (an "s" curve); right otherwise
  double curvature() const { return (left ? -1 : 1) * kCurveClasses[klass - 1]; }
};

// Every metre of the plan turns by a curve class's curvature or goes
// straight; runs of metres with the same class and side are one curve.
std::vector<CurveView> curves_of(const std::vector<PlanPoint>& plan);

// --- profiles ----------------------------------------------------------------

// The cells that carry the profiles: all but the last three, which the
// compile leaves without a gradient, a speed or an adhesion.
std::size_t profile_cells(const ScenarioView& view);

// The speed limit the train obeys in each profile cell, in km/h: the speed
// profile, lowered by every slowdown from its start to its end.
std::vector<int32_t> effective_speed(const ScenarioView& view);

// The height in metres at the start of each profile cell and after the last
// one, from 0 at the origin: each cell climbs its gradient over its 50 m.
std::vector<double> heights(const ScenarioView& view);

}  // namespace scenario
