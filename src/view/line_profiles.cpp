#include "view/line_profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace scenario {

namespace {

// The class whose curvature `k` is, within a tenth of it (neighbouring
// classes differ by half or more); 0 for a straight metre.
int class_of(double k) {
  const double size = std::fabs(k);
  for (int c = 0; c < 6; ++c) {
    if (std::fabs(size - kCurveClasses[c]) <= 0.1 * kCurveClasses[c]) return c + 1;
  }
  return 0;
}

}  // namespace

std::vector<KilometreSection> kilometre_sections(const ScenarioView& view) {
  return kilometre_sections(view.references, view.length);
}

std::vector<CurveView> curves_of(const std::vector<PlanPoint>& plan) {
  std::vector<CurveView> curves;
  // Metre m of a curve is the one before it, the step before, and the step
  // turned by k: d' = d + k (d.y, -d.x), so k = -(d x d') / |d|^2.
  for (std::size_t m = 2; m < plan.size(); ++m) {
    const double dx = plan[m - 1].x - plan[m - 2].x, dy = plan[m - 1].y - plan[m - 2].y;
    const double ex = plan[m].x - plan[m - 1].x, ey = plan[m].y - plan[m - 1].y;
    const double squared = dx * dx + dy * dy;
    if (squared == 0) continue;
    const double k = -(dx * ey - dy * ex) / squared;
    const int klass = class_of(k);
    if (klass == 0) continue;
    const bool left = k < 0;
    const auto metre = static_cast<int32_t>(m);
    CurveView* last = curves.empty() ? nullptr : &curves.back();
    if (last != nullptr && last->start + last->length + 1 == metre && last->klass == klass && last->left == left) {
      ++last->length;
    } else {
      curves.push_back({metre - 1, 1, klass, left});
    }
  }
  return curves;
}

std::size_t profile_cells(const ScenarioView& view) { return view.cells.size() >= 3 ? view.cells.size() - 3 : 0; }

std::vector<int32_t> effective_speed(const ScenarioView& view) {
  std::vector<int32_t> limit(view.speed.begin(), view.speed.begin() + static_cast<std::ptrdiff_t>(profile_cells(view)));
  for (const SlowdownView& slowdown : view.slowdowns) {
    const int32_t first = std::max(0, slowdown.start / kCellMetres);
    // Wide: a slowdown may start near the largest progressive.
    const int64_t end = std::max<int64_t>(slowdown.end, int64_t{slowdown.start} + kCellMetres);
    for (int32_t c = first; c < static_cast<int32_t>(limit.size()) && int64_t{c} * kCellMetres < end; ++c) {
      limit[static_cast<std::size_t>(c)] = std::min<int32_t>(limit[static_cast<std::size_t>(c)], slowdown.speed);
    }
  }
  return limit;
}

std::vector<double> heights(const ScenarioView& view) {
  const std::size_t cells = profile_cells(view);
  std::vector<double> height(cells + 1, 0.0);
  for (std::size_t c = 0; c < cells; ++c) height[c + 1] = height[c] + view.gradient[c] * kCellMetres / 1000.0;
  return height;
}

}  // namespace scenario
