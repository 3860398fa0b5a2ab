#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/cell_rules.h"
#include "compiler/kilometres.h"
#include "compiler/model_names.h"
#include "compiler/track_model.h"

namespace scenario {

// A compiled scenario read back in an author's terms: its stations, signals,
// boards, signs, slowdowns, abatement points, mountains and profiles, each
// with its cell and progressive, taken from a finished track model or from
// the compiled files. The tool's dump and plot, and anything else that shows
// or rebuilds a scenario, read the scenario through it.

// The roles of the scenario table's entries. Stations fill it from entry 1
// upward, sign texts from entry 80 downward; entries 81 to 86 are fixed.
enum class EntryRole {
  unused,
  station,
  sign_text,
  free,
  kilometre_reference,
  train_and_line,
  line_header,
  train_header
};

std::string_view role_name(EntryRole role);
EntryRole entry_role(const std::array<voce_sim, kVociSim>& table, int entry);

struct PlanPoint {
  double x = 0;
  double y = 0;
};

// The smallest box that holds every point of a plan (all zero for none).
struct PlanBounds {
  double min_x = 0, min_y = 0, max_x = 0, max_y = 0;
};
PlanBounds bounds_of(const std::vector<PlanPoint>& plan);

struct StationView {
  int entry = 0;  // its entry in the scenario table
  voce_sim fields;
  std::optional<int32_t> stop_cell;  // the cell of tipo 10 that points back at the entry
};

// A signal; its values as its source record gave them (cell_rules.h).
struct SignalView {
  int32_t cell = 0;
  int32_t progressive = 0;
  cella fields;
  SignalValues values() const;
};

// A maximum-speed board: each dato is the s speed x 20 plus the d speed / 5.
struct BoardView {
  int32_t cell = 0;
  int32_t progressive = 0;
  cella fields;
  std::array<int32_t, 3> s_speeds() const;  // km/h
  std::array<int32_t, 3> d_speeds() const;  // km/h
  int32_t s_stripes() const { return board_stripes_of(fields.dato4).s; }
  int32_t d_stripes() const { return board_stripes_of(fields.dato4).d; }
};

struct SignView {
  int32_t cell = 0;
  int32_t progressive = 0;
  int entry = 0;
  std::string text;
};

// A slowdown: its start and the first end after it, and its warning board
// 1200 m (24 cells) before the start when there is one.
struct SlowdownView {
  int32_t start_cell = 0;
  std::optional<int32_t> end_cell;
  std::optional<int32_t> warning_cell;
  int32_t start = 0;         // progressive of the start
  int32_t end = 0;           // progressive of the end (of the start when there is none)
  int16_t speed = 0;         // km/h
  int16_t second_speed = 0;  // km/h, 0 for none
  int16_t flag = 0;          // f_tt
};

struct AbatementView {
  int32_t cell = 0;
  int32_t progressive = 0;
  std::optional<int16_t> value;  // none for a point without value (tipo 13)
};

// A run of cells with the same non-zero mountain type.
struct MountainView {
  int32_t first_cell = 0;
  int32_t last_cell = 0;
  uint8_t type = 0;
  int32_t markers = 0;  // cells of tipo 11 in the run
};

struct ScenarioView {
  std::string line_name;
  std::string train_number;
  int32_t length = 0;                              // metres
  std::array<KilometreReference, 3> references{};  // entries 81, 82, 83
  std::array<voce_sim, kVociSim> table{};
  std::vector<cella> cells;

  std::vector<StationView> stations;
  std::vector<SignalView> signals;
  std::vector<BoardView> boards;
  std::vector<SignView> signs;
  std::vector<SlowdownView> slowdowns;
  std::vector<AbatementView> abatements;
  std::vector<MountainView> mountains;

  // One value per cell: km/h, per mille and the adhesion value.
  std::vector<int32_t> speed;
  std::vector<int32_t> gradient;
  std::vector<int32_t> adhesion;

  // One point per metre, up to the last one computed; none without a plan.
  std::optional<std::vector<PlanPoint>> plan;
};

// From the compiled model's arrays, or the decoded files (the plan when there
// is one).
ScenarioView view_of(const std::array<voce_sim, kVociSim>& table, const std::vector<cella>& cells,
                     std::optional<std::vector<PlanPoint>> plan);
ScenarioView view_of(const TrackModel& model);

// The points of a plan's values (every x, then every y), up to the first empty
// one.
std::vector<PlanPoint> plan_points(std::span<const PlanValue> values);

// A compiled scenario from its files: the scenario file `sim_file`, the route
// file of the same name with ".dat", and the plan file of the line the
// scenario file names, when it is there. A file that is missing or does not
// fit its layout is a run-time failure naming it and the misfit.
ScenarioView read_compiled_view(const std::filesystem::path& sim_file);

}  // namespace scenario
