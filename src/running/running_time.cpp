#include "running/running_time.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

#include "compiler/codes.h"
#include "view/line_profiles.h"

namespace scenario::running {

namespace {

constexpr double kCell = 50;

template <typename T>
T cell_value(const std::vector<T>& values, double position, T outside) {
  if (!(position >= 0)) return values.empty() ? outside : values.front();
  const auto cell = static_cast<std::size_t>(position / kCell);
  return cell < values.size() ? values[cell] : outside;
}

double kmh(double v2) { return std::sqrt(std::max(0.0, v2)) * 3.6; }

std::string metres_text(double metres) {
  if (!std::isfinite(metres)) return "no distance";
  return std::to_string(static_cast<long long>(std::llround(metres))) + " m";
}

std::string seconds_text(double seconds) {
  const long long s = std::llround(seconds);
  const long long m = s / 60;
  const long long r = s % 60;
  if (m == 0) return std::to_string(r) + " s";
  return std::to_string(m) + " min " + (r < 10 ? "0" : "") + std::to_string(r) + " s";
}

std::string percent_text(double percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", percent);
  return text;
}

}  // namespace

int32_t LineProfile::speed_at(double position) const { return cell_value<int32_t>(speed, position, 0); }
int32_t LineProfile::gradient_at(double position) const { return cell_value<int32_t>(gradient, position, 0); }
int32_t LineProfile::adhesion_at(double position) const { return cell_value<int32_t>(adhesion, position, 0); }
double LineProfile::curvature_at(double position) const {
  if (curvature.empty() || !(position >= 0)) return 0;
  const auto metre = static_cast<std::size_t>(position);
  return metre < curvature.size() ? curvature[metre] : 0;
}

LineProfile line_profile_of(const ScenarioView& view) {
  LineProfile line;
  const std::size_t cells = profile_cells(view);
  line.speed = effective_speed(view);
  line.gradient.assign(view.gradient.begin(), view.gradient.begin() + static_cast<std::ptrdiff_t>(cells));
  line.adhesion.assign(view.adhesion.begin(), view.adhesion.begin() + static_cast<std::ptrdiff_t>(cells));
  if (view.plan && !view.plan->empty()) {
    line.curvature.assign(std::min(view.plan->size(), cells * static_cast<std::size_t>(kCell)), 0.0);
    for (const CurveView& curve : curves_of(*view.plan)) {
      const double k = std::abs(curve.curvature());
      for (int32_t m = std::max(0, curve.start); m < curve.start + curve.length; ++m) {
        if (static_cast<std::size_t>(m) >= line.curvature.size()) break;
        line.curvature[static_cast<std::size_t>(m)] = k;
      }
    }
  }
  return line;
}

const char* part_name(RunPart part) {
  switch (part) {
    case RunPart::traction:
      return "traction";
    case RunPart::speed_limit:
      return "speed-limit";
    case RunPart::braking:
      return "braking";
    case RunPart::stop:
      return "stop";
  }
  return "traction";
}

LegRun run_leg(const LineProfile& line, const Train& train, double from, double to, double step, double start_time) {
  LegRun run;
  if (!(to > from) || !(step > 0)) return run;
  const auto n = static_cast<std::size_t>(std::max(1.0, std::ceil((to - from) / step - 1e-9)));
  const double h = (to - from) / static_cast<double>(n);

  // The limit for the whole train: the lowest static limit between its head
  // and its tail, the points before `from` included.
  const auto behind = static_cast<std::size_t>(std::ceil(train.length / h - 1e-9));
  std::vector<double> limit(n + 1);
  {
    std::deque<std::pair<std::size_t, double>> window;  // ascending values, a sliding minimum
    for (std::size_t i = 0; i <= n + behind; ++i) {
      const double x = from + (static_cast<double>(i) - static_cast<double>(behind)) * h;
      const double value = std::min<double>(line.speed_at(x), train.max_speed);
      while (!window.empty() && window.back().second >= value) window.pop_back();
      window.emplace_back(i, value);
      while (window.front().first + behind < i) window.pop_front();
      if (i >= behind) limit[i - behind] = window.front().second;
    }
  }
  std::vector<double> limit2(n + 1);
  for (std::size_t k = 0; k <= n; ++k) limit2[k] = std::pow(limit[k] / 3.6, 2);

  // Braking curves back from the stop and from every drop of the limit.
  std::vector<double> brake2(n + 1);
  brake2[n] = 0;
  for (std::size_t k = n; k-- > 0;) {
    const double mid = from + (static_cast<double>(k) + 0.5) * h;
    const double b = train.braking(kmh(brake2[k + 1]), line.gradient_at(mid), line.adhesion_at(mid));
    brake2[k] = std::min(limit2[k], std::max(0.0, brake2[k + 1] + 2 * b * h));
  }

  // Full effort forward from the start, under the braking curves.
  run.points.reserve(n + 1);
  run.points.push_back({from, 0, start_time, limit[0], RunPart::stop});
  double v2 = 0;
  double t = start_time;
  for (std::size_t k = 0; k < n; ++k) {
    const double mid = from + (static_cast<double>(k) + 0.5) * h;
    const double gradient = line.gradient_at(mid);
    const double curve = line.curvature_at(mid);
    const double extra = curve > 0 ? curve_resistance_permille(1 / curve) : 0;
    const double adhesion = line.adhesion_at(mid);
    const double a1 = train.acceleration(kmh(v2), gradient, extra, adhesion);
    const double predicted = std::max(0.0, v2 + 2 * a1 * h);
    const double a2 = train.acceleration(kmh(predicted), gradient, extra, adhesion);
    double next = v2 + (a1 + a2) * h;
    RunPart part = RunPart::traction;
    if (next >= brake2[k + 1]) {
      next = brake2[k + 1];
      part = brake2[k + 1] >= limit2[k + 1] * (1 - 1e-12) ? RunPart::speed_limit : RunPart::braking;
    }
    next = std::max(0.0, next);
    const double x = k + 1 == n ? to : from + static_cast<double>(k + 1) * h;
    if (next <= 1e-12 && k + 1 < n) {
      run.stalled_at = from + static_cast<double>(k) * h;
      run.time = std::numeric_limits<double>::infinity();
      return run;
    }
    t += 2 * h / (std::sqrt(v2) + std::sqrt(next));
    v2 = next;
    run.points.push_back({x, kmh(v2), t, limit[k + 1], k + 1 == n ? RunPart::stop : part});
  }
  run.time = t - start_time;
  return run;
}

Train train_of(const ScenarioView& view, const RollingStock* stock) {
  const int32_t cars = view.table[84].posizione;
  const int32_t percentage = view.table[84].inizio;
  return make_train(stock != nullptr ? *stock : default_rolling_stock(cars, percentage), cars, percentage);
}

namespace {

double stop_position(const StationView& station) {
  return station.stop_cell ? cell_progressive(*station.stop_cell, tipo_cella::fermata) : station.fields.posizione;
}

// The distance the train needs before `start` to brake from `high` down to
// `low` km/h on the line's gradients; infinite when it cannot within 20 km.
double distance_to_brake(const LineProfile& line, const Train& train, double start, double high, double low) {
  if (low >= high) return 0;
  const double target = std::pow(high / 3.6, 2);
  double v2 = std::pow(low / 3.6, 2);
  constexpr double kStep = 1;
  for (double d = 0; d < 20000; d += kStep) {
    const double x = start - d - kStep / 2;
    const double b = train.braking(kmh(v2), line.gradient_at(x), line.adhesion_at(x));
    const double next = v2 + 2 * b * kStep;
    if (next >= target) return d + (b > 0 ? (target - v2) / (2 * b) : kStep);
    v2 = std::max(0.0, next);
  }
  return std::numeric_limits<double>::infinity();
}

void keep_points(std::vector<RunPoint>& kept, const std::vector<RunPoint>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const RunPoint& p = points[i];
    const bool ends = i == 0 || i + 1 == points.size();
    const bool new_cell = !kept.empty() && std::floor(p.position / kCell) != std::floor(kept.back().position / kCell);
    const bool new_part = i > 0 && p.part != points[i - 1].part;
    if (ends || new_cell || new_part) kept.push_back(p);
  }
}

}  // namespace

RunResult run_scenario(const ScenarioView& view, const Train& train, const RunOptions& options) {
  RunResult result;
  result.train = train;
  result.options = options;
  const LineProfile line = line_profile_of(view);

  if (!percentage_in_range(train.braked_mass_percentage)) {
    result.findings.push_back(
        {code::braked_mass_outside_relation, RunFinding::Subject::train, 0,
         "the braked-mass percentage " + std::to_string(static_cast<int>(train.braked_mass_percentage)) +
             " is outside the braking relation's range (" + std::to_string(static_cast<int>(kLowestPercentage)) +
             " to " + std::to_string(static_cast<int>(kHighestPercentage)) + "): it is taken at the nearer end",
         "give \"percentuale massa frenata\" a value the relation covers"});
  }

  double clock = 0;
  const auto& stations = view.stations;
  for (std::size_t i = 0; i + 1 < stations.size(); ++i) {
    const StationView& a = stations[i];
    const StationView& b = stations[i + 1];
    Leg leg;
    leg.from_entry = a.entry;
    leg.to_entry = b.entry;
    leg.from_name = a.fields.testo;
    leg.to_name = b.fields.testo;
    leg.from = stop_position(a);
    leg.to = stop_position(b);
    leg.departure = a.fields.orario;
    leg.next_time = b.fields.orario;
    leg.scheduled = static_cast<double>(b.fields.orario) - a.fields.orario;
    const bool last = i + 2 == stations.size();
    leg.dwell = last ? 0 : options.dwell;
    const std::string names = "\"" + leg.from_name + "\" to \"" + leg.to_name + "\"";
    if (!(leg.to > leg.from)) {
      leg.runnable = false;
      result.findings.push_back({code::leg_cannot_be_run, RunFinding::Subject::leg, b.entry,
                                 "the leg " + names +
                                     " cannot be run: the station stands at or before the previous "
                                     "one (" +
                                     metres_text(leg.to) + " after " + metres_text(leg.from) + ")",
                                 "give the stations in ascending progressive"});
      result.legs.push_back(leg);
      continue;
    }
    const LegRun run = run_leg(line, train, leg.from, leg.to, options.step, clock);
    if (run.stalled_at) {
      leg.runnable = false;
      leg.stalled_at = run.stalled_at;
      leg.running = std::numeric_limits<double>::infinity();
      leg.technical = leg.running;
      leg.margin = -100;
      const double at = *run.stalled_at;
      const bool no_speed = line.speed_at(at) <= 0;
      result.findings.push_back(
          {code::leg_cannot_be_run, RunFinding::Subject::leg, b.entry,
           "the leg " + names + " cannot be run: the train comes to a stand at progressive " + metres_text(at) +
               (no_speed ? " (the speed limit there is 0 km/h)" : " (it cannot climb the gradient there)"),
           no_speed ? "give the speed profile a limit above 0 over the whole leg"
                    : "lower the gradient, or give a rolling stock with more tractive effort (--rolling-stock)"});
      result.legs.push_back(leg);
      continue;
    }
    leg.running = run.time;
    leg.technical = leg.running + leg.dwell;
    leg.margin = (leg.scheduled - leg.technical) / leg.technical * 100;
    for (const RunPoint& p : run.points) leg.top_speed = std::max(leg.top_speed, p.speed);
    keep_points(result.points, run.points);
    clock += run.time;
    if (!last) {
      result.points.push_back({leg.to, 0, clock + leg.dwell, result.points.back().limit, RunPart::stop});
      clock += leg.dwell;
    }

    const std::string timing = "scheduled " + seconds_text(leg.scheduled) + ", fastest " + seconds_text(leg.technical) +
                               (leg.dwell > 0 ? " with " + seconds_text(leg.dwell) + " at the stop" : "");
    if (leg.scheduled < leg.technical) {
      result.findings.push_back(
          {code::timetable_cannot_be_kept, RunFinding::Subject::leg, b.entry,
           "the leg " + names + " cannot be kept: " + timing + " (" + percent_text(leg.margin) + ")",
           "give \"" + leg.to_name + "\" a later time, or raise the speed limits of the leg"});
    } else if (leg.margin < options.allowance) {
      result.findings.push_back({code::thin_margin, RunFinding::Subject::leg, b.entry,
                                 "the leg " + names + " has a margin of " + percent_text(leg.margin) + ", under " +
                                     percent_text(options.allowance) + ": " + timing,
                                 "give \"" + leg.to_name + "\" a later time to leave room for delays"});
    }
    result.legs.push_back(leg);
  }
  result.total_time = clock;

  for (const SlowdownView& slowdown : view.slowdowns) {
    if (!slowdown.warning_cell) continue;
    BoardCheck check;
    check.start_cell = slowdown.start_cell;
    check.board = cell_progressive(*slowdown.warning_cell, tipo_cella::avviso_rallentamento);
    check.start = slowdown.start;
    double speed = std::min<double>(train.max_speed, cell_value<int32_t>(view.speed, check.board, 0));
    for (const SlowdownView& other : view.slowdowns) {
      if (&other != &slowdown && other.start <= check.board && check.board < std::max(other.end, other.start + 50)) {
        speed = std::min<double>(speed, other.speed);
      }
    }
    check.board_speed = speed;
    check.slowdown_speed = slowdown.speed;
    check.available = check.start - check.board;
    check.needed = distance_to_brake(line, train, check.start, check.board_speed, check.slowdown_speed);
    check.enough = check.needed <= check.available;
    if (!check.enough) {
      result.findings.push_back({code::warning_board_too_close, RunFinding::Subject::slowdown, slowdown.start_cell,
                                 "the warning board of the slowdown at " + metres_text(check.start) + " leaves " +
                                     metres_text(check.available) + " to brake from " +
                                     std::to_string(std::lround(check.board_speed)) + " to " +
                                     std::to_string(std::lround(check.slowdown_speed)) + " km/h, which takes " +
                                     metres_text(check.needed),
                                 "lower the line speed before the slowdown, or raise the slowdown's speed"});
    }
    result.boards.push_back(check);
  }
  return result;
}

}  // namespace scenario::running
