#include "view/line_profiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace scenario {

namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

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
  std::vector<KilometreReference> given;
  for (const KilometreReference& r : view.references) {
    if (r.start != 0 || r.kilometre != 0 || r.direction != 0) given.push_back(r);
  }
  std::stable_sort(given.begin(), given.end(),
                   [](const KilometreReference& a, const KilometreReference& b) { return a.start < b.start; });
  std::vector<KilometreSection> sections;
  const int32_t end = std::max(view.length, 0);
  if (given.empty()) return {{0, end, 0, false}};
  for (std::size_t i = 0; i < given.size(); ++i) {
    const int32_t to = i + 1 < given.size() ? given[i + 1].start : std::max(end, given[i].start);
    // Of two references with one start, the later one holds.
    if (i + 1 < given.size() && to == given[i].start) continue;
    sections.push_back({given[i].start, to, given[i].kilometre, given[i].direction == 1});
  }
  return sections;
}

int64_t kilometre_at(const std::vector<KilometreSection>& sections, int32_t progressive) {
  if (sections.empty()) return progressive;
  const KilometreSection* holding = &sections.front();
  for (const KilometreSection& s : sections) {
    if (s.from <= progressive) holding = &s;
  }
  const int64_t run = int64_t{progressive} - holding->from;
  return holding->kilometre + (holding->descending ? -run : run);
}

std::string kilometre_text(int64_t metres) {
  const int64_t size = std::llabs(metres);
  const std::string m = std::to_string(size % 1000);
  return (metres < 0 ? "-" : "") + std::to_string(size / 1000) + "+" + std::string(3 - m.size(), '0') + m;
}

std::vector<KilometrePost> kilometre_posts(const std::vector<KilometreSection>& sections, int32_t length) {
  std::vector<KilometrePost> posts;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const KilometreSection& s = sections[i];
    const int64_t from = i == 0 ? 0 : std::max(s.from, 0);
    const int64_t to = std::min<int64_t>(i + 1 == sections.size() ? length + 1 : s.to, length + 1);
    if (from >= to) continue;
    const int64_t at_from = kilometre_at(sections, static_cast<int32_t>(from));
    // The first whole kilometre at or after `from`, in the section's direction.
    const int64_t first_km = s.descending ? floor_div(at_from, 1000) * 1000 : -floor_div(-at_from, 1000) * 1000;
    for (int64_t p = from + std::llabs(first_km - at_from), km = first_km; p < to;
         p += 1000, km += s.descending ? -1000 : 1000) {
      posts.push_back({static_cast<int32_t>(p), km});
    }
  }
  return posts;
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
    const int32_t end = std::max(slowdown.end, slowdown.start + kCellMetres);
    for (int32_t c = first; c < static_cast<int32_t>(limit.size()) && c * kCellMetres < end; ++c) {
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
