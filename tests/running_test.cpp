// The fastest run of a train over a line: the braking relation, the exact
// answers of constant forces, the limits the run keeps, the step, and the
// built-in scenario's run against its kept answer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "running/running_time.h"
#include "support/temp_folder.h"
#include "tool/run_analysis.h"
#include "tool/run_page_data.h"
#include "view/scenario_view.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using namespace running;

const fs::path kGolden = fs::path(SCENARIO_SOURCE_DIR) / "tests" / "golden";
const fs::path kGoldenRun = fs::path(SCENARIO_SOURCE_DIR) / "tests" / "running" / "Corvalle_Brinta_24817_run.json";

// A train with constant forces: 100 kN of tractive effort on 100 t at every
// speed (1 m/s^2), no resistance, no rotating masses, and the braking of
// `percentage`.
Train constant_train(int32_t percentage = 80, double length = 0) {
  RollingStock stock;
  stock.id = "test";
  stock.locomotive_mass = 100;
  stock.locomotive_length = length;
  stock.max_speed = 300;
  stock.max_tractive_effort = 100;
  stock.power = 1e9;
  return make_train(stock, 0, percentage);
}

// A straight line of `cells` cells with one speed limit, one gradient and dry rail.
LineProfile flat_line(int32_t cells, int32_t speed, int32_t gradient = 0) {
  LineProfile line;
  line.speed.assign(static_cast<std::size_t>(cells), speed);
  line.gradient.assign(static_cast<std::size_t>(cells), gradient);
  line.adhesion.assign(static_cast<std::size_t>(cells), 100);
  return line;
}

TEST(RunningTime, BrakingRelationReproducesItsPublishedDefinition) {
  // 80 % brakes from 120 km/h to a stop in 1000 m, a mean deceleration of
  // about 0.56 m/s^2; 160 % stands for about 1.12 m/s^2 (both given to two
  // decimals, the second doubled from the first).
  EXPECT_NEAR(braking_deceleration(80), 0.56, 0.005);
  EXPECT_NEAR(braking_deceleration(160), 1.12, 0.01);
  EXPECT_NEAR(braking_distance(120, 0, braking_deceleration(80)), 1000, 1e-9);
  // Outside its range the relation is taken at the nearer end.
  EXPECT_DOUBLE_EQ(braking_deceleration(10), braking_deceleration(kLowestPercentage));
  EXPECT_DOUBLE_EQ(braking_deceleration(400), braking_deceleration(kHighestPercentage));
  EXPECT_FALSE(percentage_in_range(0));
  EXPECT_TRUE(percentage_in_range(120));
}

TEST(RunningTime, BrakingBeforeAStopTakesVSquaredOverTwoAOnTheGradient) {
  // The run cruises at 100 km/h and brakes for the stop at 20000 m at the
  // braking deceleration plus the gradient's share of g (a rising gradient
  // helps the brakes, a falling one works against them).
  const Train train = constant_train();
  for (const int32_t gradient : {0, 10, -3, 25}) {
    const LegRun run = run_leg(flat_line(500, 100, gradient), train, 0, 20000, 1);
    ASSERT_FALSE(run.stalled_at) << gradient;
    double braking_from = 0;
    for (const RunPoint& p : run.points) {
      if (p.part == RunPart::speed_limit) braking_from = p.position;
    }
    const double deceleration = train.deceleration + gradient / 1000.0 * kGravity;
    const double exact = braking_distance(100, 0, deceleration);
    EXPECT_NEAR(20000 - braking_from, exact, 1.0) << "gradient " << gradient;
  }
}

TEST(RunningTime, StartAtFullEffortMatchesTheClosedForm) {
  // At a constant 1 m/s^2 the train covers s metres in sqrt(2 s) seconds and
  // has v = sqrt(2 s) m/s there, until the limit; a rising gradient of 20
  // per mille takes 0.196 m/s^2 of it.
  for (const int32_t gradient : {0, 20}) {
    const double a = 1 - gradient / 1000.0 * kGravity;
    const LegRun run = run_leg(flat_line(400, 200, gradient), constant_train(), 0, 20000, 1);
    for (const RunPoint& p : run.points) {
      if (p.position == 0 || p.part != RunPart::traction) continue;
      ASSERT_NEAR(p.time, std::sqrt(2 * p.position / a), 1e-6) << p.position;
      ASSERT_NEAR(p.speed / 3.6, std::sqrt(2 * a * p.position), 1e-6) << p.position;
    }
    // It reaches 200 km/h where v^2 / 2a says.
    double first_at_limit = 0;
    for (const RunPoint& p : run.points) {
      if (p.part == RunPart::speed_limit) {
        first_at_limit = p.position;
        break;
      }
    }
    EXPECT_NEAR(first_at_limit, std::pow(200 / 3.6, 2) / (2 * a), 1.0) << gradient;
  }
}

TEST(RunningTime, LowerLimitHoldsUntilTheTailHasLeftIt) {
  // 40 km/h over cells 100 to 119 (5000 to 6000 m) for a train of 200 m: the
  // head may not pass 5000 m faster than 40, and speeds up only at 6200 m.
  LineProfile line = flat_line(400, 120);
  for (int c = 100; c < 120; ++c) line.speed[static_cast<std::size_t>(c)] = 40;
  const LegRun run = run_leg(line, constant_train(80, 200), 0, 15000, 1);
  for (const RunPoint& p : run.points) {
    if (p.position >= 5000 && p.position < 6200) {
      ASSERT_EQ(p.limit, 40) << p.position;
      ASSERT_LE(p.speed, 40 + 1e-9) << p.position;
    }
    if (p.position > 6201 && p.position < 7000) {
      ASSERT_EQ(p.limit, 120) << p.position;
    }
  }
}

TEST(RunningTime, StallsWhereTheTrainCannotGoOn) {
  const struct {
    const char* what;
    int32_t speed;
    int32_t gradient;
    int32_t cell;  // where the obstacle begins
  } cases[] = {
      {"a limit of 0 km/h", 0, 0, 40},
      {"a gradient steeper than the tractive effort climbs", 120, 150, 40},
  };
  for (const auto& k : cases) {
    LineProfile line = flat_line(200, 120);
    for (std::size_t c = static_cast<std::size_t>(k.cell); c < static_cast<std::size_t>(k.cell) + 80; ++c) {
      line.speed[c] = k.speed;
      line.gradient[c] = k.gradient;
    }
    const LegRun run = run_leg(line, constant_train(), 0, 8000, 1);
    ASSERT_TRUE(run.stalled_at) << k.what;
    EXPECT_GE(*run.stalled_at, k.cell * 50 - 50) << k.what;
    EXPECT_LT(*run.stalled_at, (k.cell + 80) * 50) << k.what;
    EXPECT_TRUE(std::isinf(run.time)) << k.what;
  }
}

// A hand-made scenario: a 30 km straight line at `speed`, two stations with
// their times and a slowdown with its warning board 1200 m before it.
ScenarioView small_view(int32_t speed, int32_t gradient, int32_t second_time, int16_t slowdown_speed) {
  ScenarioView view;
  const std::size_t cells = 600;
  view.cells.resize(cells + 3);
  view.speed.assign(cells + 3, speed);
  view.gradient.assign(cells + 3, gradient);
  view.adhesion.assign(cells + 3, 100);
  view.table[84].posizione = 4;
  view.table[84].inizio = 120;
  const auto station = [](int entry, int32_t stop_cell, int32_t time, const char* name) {
    StationView s;
    s.entry = entry;
    s.fields.posizione = (stop_cell - 1) * 50;
    s.fields.orario = time;
    s.fields.testo = name;
    s.stop_cell = stop_cell;
    return s;
  };
  view.stations = {station(1, 1, 50000, "A"), station(2, 401, 50000 + second_time, "B")};
  SlowdownView slowdown;
  slowdown.start_cell = 500;
  slowdown.warning_cell = 476;
  slowdown.start = 24950;
  slowdown.end = 25350;
  slowdown.end_cell = 508;
  slowdown.speed = slowdown_speed;
  view.slowdowns = {slowdown};
  return view;
}

TEST(RunningTime, LegsAndBoardsAreGradedAgainstTheFastestRun) {
  const Train train = make_train(*find_rolling_stock("electric-locomotive-coaches"), 4, 120);
  // The 20 km leg at 120 km/h takes a little over 10 minutes.
  const RunResult base = run_scenario(small_view(120, 0, 900, 60), train);
  ASSERT_EQ(base.legs.size(), 1u);
  const double fastest = base.legs[0].technical;
  ASSERT_GT(fastest, 600);
  ASSERT_LT(fastest, 700);
  EXPECT_EQ(base.legs[0].dwell, 0);  // the last station: its time is the arrival

  const struct {
    const char* what;
    int32_t gradient;
    int32_t second_time;
    int16_t slowdown_speed;
    std::vector<int32_t> codes;
  } cases[] = {
      {"time to spare", 0, 900, 60, {}},
      {"a thin margin", 0, static_cast<int32_t>(fastest * 1.02) + 1, 60, {code::thin_margin}},
      {"a leg that cannot be kept", 0, static_cast<int32_t>(fastest) - 5, 60, {code::timetable_cannot_be_kept}},
      {"a board too close on a falling gradient", -40, 1200, 10, {code::warning_board_too_close}},
  };
  for (const auto& k : cases) {
    const RunResult run = run_scenario(small_view(120, k.gradient, k.second_time, k.slowdown_speed), train);
    std::vector<int32_t> codes;
    for (const RunFinding& f : run.findings) codes.push_back(f.code);
    EXPECT_EQ(codes, k.codes) << k.what;
  }

  // The board's braking distance is the closed form on the flat...
  const RunResult flat = run_scenario(small_view(120, 0, 900, 60), train);
  ASSERT_EQ(flat.boards.size(), 1u);
  EXPECT_EQ(flat.boards[0].board, 23750);
  EXPECT_EQ(flat.boards[0].available, 1200);
  EXPECT_NEAR(flat.boards[0].needed, braking_distance(120, 60, train.deceleration), 0.01);
  // ... and on a gradient, with its share of g.
  const RunResult falling = run_scenario(small_view(120, -40, 1200, 10), train);
  EXPECT_NEAR(falling.boards[0].needed, braking_distance(120, 10, train.deceleration - 0.04 * kGravity), 0.01);
  EXPECT_FALSE(falling.boards[0].enough);
}

TEST(RunningTime, HalvingTheStepChangesTheTimesByUnderAPerMille) {
  const ScenarioView view = read_compiled_view(kGolden / "Corvalle_Brinta_24817.sim");
  const Train train = train_of(view, nullptr);
  RunOptions coarse;
  coarse.step = 1;
  RunOptions fine = coarse;
  fine.step = 0.5;
  const RunResult a = run_scenario(view, train, coarse);
  const RunResult b = run_scenario(view, train, fine);
  ASSERT_EQ(a.legs.size(), b.legs.size());
  for (std::size_t i = 0; i < a.legs.size(); ++i) {
    EXPECT_LT(std::abs(a.legs[i].running - b.legs[i].running) / b.legs[i].running, 0.001) << a.legs[i].to_name;
  }
}

TEST(RunningTime, BuiltInScenarioMatchesItsKeptRun) {
  const ScenarioView view = read_compiled_view(kGolden / "Corvalle_Brinta_24817.sim");
  const RunResult run = run_scenario(view, train_of(view, nullptr));

  // Sense: twelve legs between the thirteen stations, each runnable, none
  // faster than the line's 135 km/h, every one in a few minutes.
  ASSERT_EQ(run.legs.size(), 12u);
  for (const Leg& leg : run.legs) {
    EXPECT_TRUE(leg.runnable) << leg.to_name;
    EXPECT_LE(leg.top_speed, 135 + 1e-9) << leg.to_name;
    EXPECT_GT(leg.running, 60) << leg.to_name;
    EXPECT_LT(leg.running, 600) << leg.to_name;
    EXPECT_NEAR(leg.margin, (leg.scheduled - leg.technical) / leg.technical * 100, 1e-9);
  }
  EXPECT_EQ(run.train.stock.id, "electric-locomotive-coaches");
  EXPECT_EQ(run.train.cars, 4);

  // The kept run, within 0.5 % for times and 1 m for distances.
  nlohmann::ordered_json actual = tool::run_json(run);
  actual.erase("points");
  actual.erase("points_columns");
  if (std::getenv("SCENARIO_UPDATE_RUN")) testing::write_file(kGoldenRun, actual.dump(1) + "\n");
  const nlohmann::json kept = nlohmann::json::parse(testing::read_file(kGoldenRun));
  ASSERT_EQ(kept["legs"].size(), actual["legs"].size());
  for (std::size_t i = 0; i < kept["legs"].size(); ++i) {
    const auto& k = kept["legs"][i];
    const auto& a = actual["legs"][i];
    EXPECT_EQ(k["to"], a["to"]);
    EXPECT_EQ(k["scheduled_s"], a["scheduled_s"]);
    EXPECT_NEAR(k["running_s"].get<double>(), a["running_s"].get<double>(), k["running_s"].get<double>() * 0.005)
        << a["to"];
    EXPECT_NEAR(k["margin_percent"].get<double>(), a["margin_percent"].get<double>(), 0.6) << a["to"];
  }
  ASSERT_EQ(kept["boards"].size(), actual["boards"].size());
  for (std::size_t i = 0; i < kept["boards"].size(); ++i) {
    EXPECT_NEAR(kept["boards"][i]["needed_m"].get<double>(), actual["boards"][i]["needed_m"].get<double>(), 1.0);
  }
  std::vector<int> kept_codes, codes;
  for (const auto& f : kept["findings"]) kept_codes.push_back(f["code"]);
  for (const auto& f : actual["findings"]) codes.push_back(f["code"]);
  EXPECT_EQ(codes, kept_codes);
}

TEST(RunningTime, ViewerGetsTheRunItDraws) {
  const ScenarioView view = read_compiled_view(kGolden / "Corvalle_Brinta_24817.sim");
  const nlohmann::json page = tool::run_page_data(view);
  EXPECT_EQ(page["parts"], (nlohmann::json{"traction", "speed-limit", "braking", "stop"}));
  ASSERT_EQ(page["timetable"].size(), 13u);
  EXPECT_EQ(page["timetable"][0][1], 0);  // the first departure
  EXPECT_EQ(page["timetable"][12][1], (15 * 3600 + 3 * 60) - (13 * 3600 + 58 * 60));
  ASSERT_EQ(page["legs"].size(), 12u);
  EXPECT_LT(page["legs"][0]["margin"].get<double>(), 0);  // the first leg cannot be kept
  // Every point is [progressive, km/h, seconds, part], in order along the line and in time.
  const nlohmann::json& points = page["points"];
  for (std::size_t i = 1; i < points.size(); ++i) {
    ASSERT_GE(points[i][0].get<double>(), points[i - 1][0].get<double>()) << i;
    ASSERT_GE(points[i][2].get<double>(), points[i - 1][2].get<double>()) << i;
  }
  // No run without a timetable of two stations.
  ScenarioView lone = view;
  lone.stations.resize(1);
  EXPECT_TRUE(tool::run_page_data(lone).is_null());
}

TEST(RollingStock, CatalogueIsRunnableAndEveryValueHasItsSource) {
  const std::vector<std::string> values = {"locomotive_mass", "car_mass",     "car_length",   "max_speed",
                                           "resistance_a",    "resistance_b", "resistance_c", "rotating_mass_factor"};
  for (const RollingStock& stock : rolling_stock_catalogue()) {
    EXPECT_TRUE(rolling_stock_faults(stock).empty()) << stock.id;
    for (const std::string& value : values) {
      if (value == "locomotive_mass" && stock.locomotive_mass == 0) continue;
      bool sourced = false;
      for (const auto& [what, source] : stock.sources) sourced |= what.find(value) != std::string::npos;
      EXPECT_TRUE(sourced) << stock.id << ": " << value;
    }
  }
  EXPECT_EQ(default_rolling_stock(4, 120).id, "electric-locomotive-coaches");
  EXPECT_EQ(default_rolling_stock(4, 150).id, "electric-multiple-unit");
}

TEST(RollingStock, JsonDescriptionsAreReadOrRefusedWithTheFault) {
  const RollingStock read = tool::rolling_stock_from_json(
      R"({"base": "electric-multiple-unit", "name": "my unit", "car_mass": 45, "sources": {"car_mass": "weighed"}})",
      "unit.json");
  EXPECT_EQ(read.name, "my unit");
  EXPECT_EQ(read.car_mass, 45);
  EXPECT_EQ(read.power_per_car, find_rolling_stock("electric-multiple-unit")->power_per_car);
  // What is written reads back the same.
  const RollingStock again = tool::rolling_stock_from_json(tool::rolling_stock_json(read).dump(), "again.json");
  EXPECT_EQ(again.car_mass, read.car_mass);
  EXPECT_EQ(again.power_per_car, read.power_per_car);

  const struct {
    const char* json;
    const char* fault;
  } refused[] = {
      {"[1, 2]", "a rolling stock is a JSON object"},
      {"{\"car_mass\": ", "not JSON"},
      {R"({"car_mas": 40})", "no value \"car_mas\""},
      {R"({"car_mass": "forty"})", "\"car_mass\" must be a number"},
      {R"({"base": "steam"})", "no catalogue entry \"steam\""},
      {R"({"max_speed": 0})", "max_speed must be above 0"},
      {R"({"locomotive_mass": 0, "powered_car_share": 0})", "needs driven axles"},
      {R"({"rotating_mass_factor": 0.5})", "rotating_mass_factor must be from 1 to 2"},
  };
  for (const auto& k : refused) {
    try {
      tool::rolling_stock_from_json(k.json, "stock.json");
      ADD_FAILURE() << k.json << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(k.fault), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("stock.json: ", 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace scenario
