#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "running/train_dynamics.h"
#include "view/scenario_view.h"

namespace scenario::running {

// The fastest run of a scenario's train over its line: the most restrictive
// speed limit (the route's speed profile lowered by the slowdowns, the
// train's own maximum, a lower limit kept until the train's tail has left
// it), braking curves back from every drop and every stop, full effort
// forward from every rise and every start, integrated along the line in
// steps of `step` metres; then each leg of the timetable against its
// scheduled time, and each slowdown's warning board against the braking
// distance it asks for.

// The line as a run reads it, one value per 50 m cell from progressive 0:
// the speed limit in km/h (slowdowns included), the gradient in per mille
// and the adhesion value; and the curvature (1 / radius) per metre, empty
// for a straight line.
struct LineProfile {
  std::vector<int32_t> speed;
  std::vector<int32_t> gradient;
  std::vector<int32_t> adhesion;
  std::vector<double> curvature;

  double length() const { return static_cast<double>(speed.size()) * 50; }
  int32_t speed_at(double position) const;
  int32_t gradient_at(double position) const;
  int32_t adhesion_at(double position) const;
  double curvature_at(double position) const;
};

LineProfile line_profile_of(const ScenarioView& view);

// What holds the train back at a point of the run.
enum class RunPart { traction, speed_limit, braking, stop };
const char* part_name(RunPart part);  // "traction", "speed-limit", "braking", "stop"

struct RunPoint {
  double position = 0;  // m, progressive
  double speed = 0;     // km/h
  double time = 0;      // s from the first departure
  double limit = 0;     // km/h, the limit in force for the whole train
  RunPart part = RunPart::traction;
};

// One run from a standstill at `from` to a standstill at `to`, a point every
// `step` metres (the last one at `to`). `stalled_at` is where the train comes
// to a stand before `to` (a limit of 0 km/h, or a gradient it cannot climb);
// the run ends there.
struct LegRun {
  std::vector<RunPoint> points;
  double time = 0;  // s
  std::optional<double> stalled_at;
};
LegRun run_leg(const LineProfile& line, const Train& train, double from, double to, double step, double start_time = 0);

struct RunOptions {
  double step = 1;       // m
  double dwell = 30;     // s at every intermediate stop
  double allowance = 5;  // per cent: a margin under it is thin
};

// A leg between two timetable points. Times are those of the train file:
// the departure from the first station and from every intermediate one, the
// arrival at the last. So a leg's scheduled time holds the dwell at its
// arriving station, unless that is the last.
struct Leg {
  int from_entry = 0;  // stations' entries in the scenario table
  int to_entry = 0;
  std::string from_name, to_name;
  double from = 0, to = 0;  // stop positions, m
  int32_t departure = 0;    // s from midnight, at `from`
  int32_t next_time = 0;    // s from midnight, at `to`
  double scheduled = 0;     // s
  double running = 0;       // s, the fastest run
  double dwell = 0;         // s counted at `to`
  double technical = 0;     // running + dwell
  double margin = 0;        // per cent of the technical time
  bool runnable = true;
  std::optional<double> stalled_at;
  double top_speed = 0;  // km/h
};

// A slowdown's warning board against the distance the train needs to brake
// from the speed it may have at the board down to the slowdown's speed.
struct BoardCheck {
  int32_t start_cell = 0;
  double board = 0;           // progressive of the warning board
  double start = 0;           // progressive of the slowdown's start
  double board_speed = 0;     // km/h the train may have at the board
  double slowdown_speed = 0;  // km/h
  double needed = 0;          // m, braking distance on the line's gradients
  double available = 0;       // m, from the board to the start
  bool enough = true;
};

// A finding of the run, for an author: its code, what it is about (a leg by
// the entry of its arriving station, a slowdown by its start cell, or the
// train as a whole) and what to say.
struct RunFinding {
  enum class Subject { leg, slowdown, train };
  int32_t code = 0;
  Subject subject = Subject::train;
  int32_t key = 0;  // the arriving station's entry, or the slowdown's start cell
  std::string message;
  std::string hint;
};

struct RunResult {
  Train train;
  RunOptions options;
  std::vector<Leg> legs;
  std::vector<BoardCheck> boards;
  std::vector<RunPoint> points;  // the whole run, a point a cell and one wherever the part changes
  std::vector<RunFinding> findings;
  double total_time = 0;  // s, first departure to last arrival
};

RunResult run_scenario(const ScenarioView& view, const Train& train, const RunOptions& options = {});

// The train of a scenario: its cars and braked-mass percentage from entry
// 84, the stock given, or the default one for those figures.
Train train_of(const ScenarioView& view, const RollingStock* stock);

}  // namespace scenario::running
