#include "recovery/curve_recovery.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "compiler/cell_rules.h"
#include "compiler/curve_classes.h"

namespace scenario {

namespace {

// The turns a metre can take: 0 straight on, then classes 1 to 6 to the right
// (positive) and to the left (negative), in that order of preference.
struct Turn {
  double k = 0;
  int klass = 0;  // 0 for straight on
  bool left = false;
};

std::vector<Turn> turns() {
  std::vector<Turn> all = {{0.0, 0, false}};
  for (std::size_t c = 0; c < kCurvature.size(); ++c) {
    all.push_back({kCurvature[c], static_cast<int>(c) + 1, false});
    all.push_back({-kCurvature[c], static_cast<int>(c) + 1, true});
  }
  return all;
}

bool same_bits(double a, double b) {
  uint64_t x = 0;
  uint64_t y = 0;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

// A metre's point from the two before it, as Tracciato computes it.
void step(double x1, double y1, double x2, double y2, const Turn& turn, double& x, double& y) {
  const double dx = x1 - x2;
  const double dy = y1 - y2;
  if (turn.klass == 0) {
    x = x1 + dx;
    y = y1 + dy;
  } else {
    x = x1 + dx + turn.k * dy;
    y = y1 + dy - turn.k * dx;
  }
}

std::string point_text(double x, double y) {
  char text[96];
  std::snprintf(text, sizeof text, "(%.17g, %.17g)", x, y);
  return text;
}

}  // namespace

void integrate_curves(Tracciato& plan, int32_t metri, std::span<const CurveRun> curves) {
  plan.allocate(metri);
  plan.set(0, 0, PlanValue::integer(0));
  plan.set(0, 1, PlanValue::integer(0));
  plan.set(1, 0, PlanValue::integer(0));
  plan.set(1, 1, PlanValue::integer(1));
  int32_t m = 2;
  for (const CurveRun& c : curves) {
    if (m <= c.start) {
      plan.run_straight(m, c.start);
      m = c.start + 1;
    }
    const int32_t end = c.start + c.length;
    if (m <= end) {
      const double k = kCurvature[static_cast<std::size_t>(c.klass - 1)];
      plan.run_curve(m, end, c.left ? -k : k);
      m = end + 1;
    }
  }
  plan.run_straight(m, metri - 2);
}

RecoveredPlan recover_curves(std::span<const PlanValue> values, int32_t metri, int32_t last_cell) {
  RecoveredPlan out;
  const std::size_t per_column = static_cast<std::size_t>(metri) + 1;
  if (metri < 3 || values.size() != 2 * per_column) {
    out.findings.push_back({"plan file", "holds " + std::to_string(values.size() / 2) + " metres; the line has " +
                                             std::to_string(per_column)});
    return out;
  }
  const auto x = [&](int32_t m) { return values[static_cast<std::size_t>(m)]; };
  const auto y = [&](int32_t m) { return values[per_column + static_cast<std::size_t>(m)]; };

  // The plan starts at the origin heading along y.
  if (!(x(0) == PlanValue::integer(0) && y(0) == PlanValue::integer(0) && x(1) == PlanValue::integer(0) &&
        y(1) == PlanValue::integer(1))) {
    out.findings.push_back({metre_place(0),
                            "the plan does not start with the points (0, 0) and (0, 1) that every "
                            "plan starts with"});
  }
  // Every metre from 2 on is computed up to the last one a curve or the
  // straight run to the end reached; the rest stay empty.
  int32_t last = metri;
  while (last >= 2 && x(last).kind == PlanValue::Kind::Empty && y(last).kind == PlanValue::Kind::Empty) --last;
  if (last < metri - 2) {
    out.findings.push_back(
        {metre_place(last + 1), "is empty; every plan is computed up to metre " + std::to_string(metri - 2)});
  }
  for (int32_t m = 2; m <= last; ++m) {
    if (x(m).kind != PlanValue::Kind::Double || y(m).kind != PlanValue::Kind::Double) {
      out.findings.push_back({metre_place(m), "is not a computed (double) point"});
      break;
    }
  }

  // The turn of every metre, and the runs of equal turns as records.
  const std::vector<Turn> all = turns();
  const double max_start = furthest_in_line(last_cell);  // a record's start must pass the range check
  int unmatched = 0;
  int32_t first_unmatched = 0;
  std::size_t run_turn = 0;  // turn of the run being built; 0 straight
  int32_t run_from = 0;
  const auto close_run = [&](int32_t end_metre) {
    if (run_turn == 0) return;
    const Turn& t = all[run_turn];
    int32_t start = run_from - 1;
    const bool after_curve = !out.curves.empty() && out.curves.back().start + out.curves.back().length == start;
    if (start > max_start) {
      if (!after_curve) {
        out.findings.push_back({metre_place(run_from), "a curve starts here after a straight run, beyond metre " +
                                                           std::to_string(static_cast<int64_t>(max_start)) +
                                                           ", the last a curve record of this line can start at"});
      }
      start = static_cast<int32_t>(max_start);
    }
    int32_t end = end_metre;
    if (end >= kMaxPlanMetre) {
      out.findings.push_back({metre_place(kMaxPlanMetre), "a curve reaches this metre; curve records may not"});
      end = kMaxPlanMetre - 1;
    }
    if (end > start) out.curves.push_back({start, end - start, t.left, t.klass});
  };
  for (int32_t m = 2; m <= last; ++m) {
    const double x1 = x(m - 1).value;
    const double y1 = y(m - 1).value;
    const double x2 = x(m - 2).value;
    const double y2 = y(m - 2).value;
    std::size_t found = all.size();
    std::size_t closest = 0;
    double closest_error = INFINITY;
    for (std::size_t i = 0; i < all.size(); ++i) {
      double px = 0;
      double py = 0;
      step(x1, y1, x2, y2, all[i], px, py);
      if (same_bits(px, x(m).value) && same_bits(py, y(m).value)) {
        found = i;
        break;
      }
      const double error = std::fabs(px - x(m).value) + std::fabs(py - y(m).value);
      if (error < closest_error) {
        closest_error = error;
        closest = i;
      }
    }
    if (found == all.size()) {
      if (unmatched++ == 0) first_unmatched = m;
      found = closest;
    }
    if (found != run_turn) {
      close_run(m - 1);
      run_turn = found;
      run_from = m;
    }
  }
  close_run(last);
  if (unmatched > 0) {
    out.findings.push_back(
        {metre_place(first_unmatched),
         "the point " + point_text(x(first_unmatched).value, y(first_unmatched).value) +
             " follows from the two before it by no straight step and no curve of class 1 to 6" +
             (unmatched > 1 ? " (nor do " + std::to_string(unmatched - 1) + " later metres)" : std::string())});
  }

  // The records, integrated again as the compiler does, must give every bit.
  if (out.findings.empty()) {
    Tracciato again;
    integrate_curves(again, metri, out.curves);
    for (int32_t m = 0; m <= metri; ++m) {
      for (int c = 0; c < 2; ++c) {
        const PlanValue a = again.at(m, c);
        const PlanValue b = c == 0 ? x(m) : y(m);
        if (a.kind != b.kind || !same_bits(a.value, b.value)) {
          out.findings.push_back({metre_place(m), std::string("the recovered curves give another ") +
                                                      (c == 0 ? "x" : "y") + " here when integrated again"});
          return out;
        }
      }
    }
  }
  return out;
}

}  // namespace scenario
