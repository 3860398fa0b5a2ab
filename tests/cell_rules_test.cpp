// Each placement and packing rule of the compiler against its inverse: what
// the readers of a compiled model take back must be what the compiler put in.
#include "compiler/cell_rules.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/run_time_failure.h"
#include "compiler/track_model.h"

namespace scenario {
namespace {

TEST(CellRules, ObjectCellAndItsProgressive) {
  struct Case {
    int32_t p;
    int32_t cell;
  };
  // nearest(p / 50 + 1), halves to the even cell.
  for (const Case c : {Case{0, 1}, Case{24, 1}, Case{25, 2}, Case{75, 2}, Case{76, 3}, Case{125, 4}, Case{1550, 32},
                       Case{-50, 0}, Case{-75, 0}, Case{103000, 2061}}) {
    EXPECT_EQ(object_cell(c.p), c.cell) << c.p;
  }
  for (int32_t cell = -3; cell <= 20141; ++cell) {
    ASSERT_EQ(object_cell(static_cast<int32_t>(object_progressive(cell))), cell);
  }
}

TEST(CellRules, BoundaryCellAndItsProgressive) {
  struct Case {
    int32_t p;
    int32_t cell;
  };
  for (const Case c : {Case{0, 0}, Case{25, 0}, Case{75, 2}, Case{1500, 30}, Case{1525, 30}, Case{-25, 0}}) {
    EXPECT_EQ(boundary_cell(c.p), c.cell) << c.p;
  }
  for (int32_t cell = -3; cell <= 20141; ++cell) {
    ASSERT_EQ(boundary_cell(static_cast<int32_t>(boundary_progressive(cell))), cell);
  }
}

TEST(CellRules, RangeCheckOfARecord) {
  // A line of 2200 cells: (p + 100) / 50, (p + 800) / 50 for a station.
  EXPECT_TRUE(within_line(109900, 2200));
  EXPECT_FALSE(within_line(109901, 2200));
  EXPECT_TRUE(within_line(109200, 2200, kStationMargin));
  EXPECT_FALSE(within_line(109250, 2200, kStationMargin));
  for (const int32_t margin : {kRecordMargin, kStationMargin}) {
    const double furthest = furthest_in_line(2200, margin);
    EXPECT_TRUE(within_line(static_cast<int64_t>(furthest), 2200, margin));
    EXPECT_FALSE(within_line(static_cast<int64_t>(furthest) + 1, 2200, margin));
  }
  EXPECT_EQ(last_cell_of(103000 + 7000), 2200);
  EXPECT_EQ(last_cell_of(7025), 140);  // 140.5, halves to the even cell
}

TEST(CellRules, MountainCellsAndTheSpanThatGivesThem) {
  struct Case {
    int32_t inizio, fine, first, last;
  };
  for (const Case c : {Case{8700, 11050, 174, 220}, Case{0, 100, 0, 1}, Case{1000, 1050, 20, 20},
                       Case{1000, 1000, 20, 19}, Case{1025, 1075, 20, 20}}) {
    const CellRun run = mountain_cells(c.inizio, c.fine);
    EXPECT_EQ(run.first, c.first) << c.inizio;
    EXPECT_EQ(run.last, c.last) << c.inizio;
  }
  for (const CellRun run : {CellRun{174, 220}, CellRun{0, 0}, CellRun{3, 40}}) {
    const MountainSpan span = mountain_span(run);
    const CellRun again = mountain_cells(static_cast<int32_t>(span.inizio), static_cast<int32_t>(span.fine));
    EXPECT_EQ(again.first, run.first);
    EXPECT_EQ(again.last, run.last);
  }
  EXPECT_TRUE(mountain_cells(2000, 1000).empty());
}

TEST(CellRules, MountainTipoAndTheCellsItGives) {
  for (int type = 0; type <= 255; ++type) {
    for (const bool marked : {false, true}) {
      if (marked && type == 0) continue;  // markers come only with a scenery type
      const int32_t tipo = mountain_tipo(static_cast<uint8_t>(type), marked);
      EXPECT_EQ(marks_cells(tipo), marked) << type;
      EXPECT_EQ(static_cast<uint8_t>(scenery_type(tipo)), type) << type;
    }
  }
}

TEST(CellRules, StationAreaAndTheLengthThatGivesIt) {
  struct Case {
    int32_t posizione, tipo, length, col6, inizio, fine;
  };
  for (const Case c : {
           Case{0, 2, 700, 0, -350, 350},       // half a length on each side
           Case{5000, 1, 600, 1, 4700, 5350},   // and 50 m more with column 6
           Case{5000, 5, 400, 1, 4600, 5150},   // types 5 and 6: 150 m past the station
           Case{5000, 6, 400, 0, 4600, 5150},   //
           Case{5000, 7, 300, 1, 4700, 5300},   // types 7 and 8: a whole length on both sides
           Case{5000, 30, 800, 0, 4600, 5400},  // no stop, the same area
       }) {
    const StationArea area = station_area(c.posizione, c.tipo, c.length, c.col6);
    EXPECT_EQ(area.inizio, c.inizio) << c.tipo;
    EXPECT_EQ(area.fine, c.fine) << c.tipo;
    EXPECT_EQ(area.clears_col6, c.tipo >= 5 && c.tipo <= 8) << c.tipo;

    const StationSource source = station_source(c.posizione, c.tipo, area.inizio, area.fine);
    EXPECT_EQ(source.length, c.length) << c.tipo;
    EXPECT_EQ(source.col6, !area.clears_col6 && c.col6 != 0) << c.tipo;
  }
}

TEST(CellRules, StationAreaFailsPartWayAsTheCompilerDoes) {
  voce_sim e;
  e.posizione = 1000;
  e.tipo = 5;
  EXPECT_THROW(set_station_area(e, -2147483600), RunTimeFailure);
  EXPECT_EQ(e.fine, 1150);  // set before the start failed
  EXPECT_EQ(e.inizio, 0);
}

TEST(CellRules, StationStopCellAndApproachMarkers) {
  // The stop is the cell of an object 100 m before the area's end; the
  // markers stand in the four cells before it, 81 nearest.
  const std::optional<int32_t> stop = station_stop_cell(350);
  ASSERT_TRUE(stop);
  EXPECT_EQ(*stop, 6);
  EXPECT_EQ(*stop, object_cell(350 - 100));
  for (int32_t k = 1; k <= 4; ++k) {
    EXPECT_EQ(station_marker_cell(350, k), 6 - k);
    EXPECT_EQ(station_marker(k), 80 + k);
  }
  EXPECT_FALSE(station_stop_cell(100));  // cell 1 or less
  EXPECT_TRUE(station_stop_cell(101));
  EXPECT_FALSE(station_marker_cell(250, 3));  // it would fall in cell 1
  EXPECT_TRUE(station_marker_cell(250, 2));

  EXPECT_TRUE(station_stops(24));
  EXPECT_FALSE(station_stops(25));
  EXPECT_FALSE(station_marks_approach(5));
  EXPECT_FALSE(station_marks_approach(6));
  EXPECT_TRUE(station_marks_approach(7));
  EXPECT_FALSE(station_marks_approach(25));
}

TEST(CellRules, SlowdownCellsAndTheirInverses) {
  struct Case {
    int32_t x, l, f_ta;
    std::optional<int32_t> warning;
    int32_t start, end;
  };
  for (const Case c : {
           Case{10200, 400, 1, 181, 205, 213},
           Case{1550, 0, 1, 8, 32, 32},
           Case{1500, 100, 1, std::nullopt, 31, 33},
           Case{1510, 100, 0, 7, 31, 33},
       }) {
    const SlowdownCells cells = slowdown_cells(c.x, c.l, c.f_ta);
    EXPECT_EQ(cells.warning, c.warning) << c.x;
    EXPECT_EQ(cells.start, c.start) << c.x;
    EXPECT_EQ(cells.end, c.end) << c.x;
    EXPECT_EQ(cells.before_warning.has_value(), c.warning && c.f_ta != 0) << c.x;
    if (cells.warning) {
      EXPECT_EQ(warning_board_cell(cells.start), *cells.warning);
      EXPECT_EQ(slowdown_start_cell(*cells.warning), cells.start);
    }
    if (cells.before_warning) {
      for (int32_t i = 1; i <= 4; ++i)
        EXPECT_EQ(before_warning_cell(*cells.warning, i), (*cells.before_warning)[i - 1]);
    }
  }
  // The board's cell follows the start's whatever the rounding.
  for (int32_t x = 1501; x <= 4000; ++x)
    ASSERT_EQ(*slowdown_cells(x, 0, 0).warning, warning_board_cell(object_cell(x)));
}

TEST(CellRules, SlowdownStartForACellWithOrWithoutBoard) {
  struct Case {
    int32_t cell;
    std::optional<int64_t> with_board, without_board;
  };
  for (const Case c : {
           Case{30, std::nullopt, 1450},
           Case{31, 1510, 1500},  // the one cell where a start may have a board or not
           Case{32, 1550, std::nullopt},
           Case{205, 10200, std::nullopt},
           Case{2, std::nullopt, 50},
       }) {
    EXPECT_EQ(slowdown_start(c.cell, true), c.with_board) << c.cell;
    EXPECT_EQ(slowdown_start(c.cell, false), c.without_board) << c.cell;
    for (const bool board : {true, false}) {
      if (const auto x = slowdown_start(c.cell, board)) {
        const SlowdownCells cells = slowdown_cells(static_cast<int32_t>(*x), 0, 0);
        EXPECT_EQ(cells.start, c.cell);
        EXPECT_EQ(cells.warning.has_value(), board);
      }
    }
  }
}

// A cell as memo_segnale fills it.
cella signal_cell(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2,
                  int32_t d3, int32_t tempo) {
  cella c;
  c.tipo = tipo_cella::segnale;
  c.dato1 = signal_pair(s1, d1);
  c.dato2 = signal_pair(s2, d2);
  c.dato3 = signal_pair(s3, d3);
  c.dato4 = signal_dato4(rapp, signal_sides(sx, dx));
  c.tempo = signal_time(sx, tempo);
  return c;
}

TEST(CellRules, SignalPackingAndUnpacking) {
  struct Case {
    SignalValues v;
    int32_t tempo;
    int16_t dato1, dato2, dato3, dato4;
    uint8_t stored_tempo;
    uint8_t first_marker;
  };
  for (const Case c : {
           Case{{1, 3, 4, 0, 0, 1, 3, 1, 0}, 0, 33, 41, 0, 4, 0, 41},
           Case{{2, 4, 0, 0, 0, 0, 0, 0, 0}, 210, 40, 0, 0, 6, 210, 61},
           Case{{2, 4, 0, 0, 7, 1, 0, 0, 0}, 50, 40, 0, 0, 77, 101, 71},
           Case{{0, 9, 9, 9, 12, 2, 9, 9, 9}, 0, 99, 99, 99, 122, 0, 21},
       }) {
    const SignalValues& v = c.v;
    const cella cell = signal_cell(v.sx, v.s1, v.s2, v.s3, v.rapp, v.dx, v.d1, v.d2, v.d3, c.tempo);
    EXPECT_EQ(cell.dato1, c.dato1);
    EXPECT_EQ(cell.dato2, c.dato2);
    EXPECT_EQ(cell.dato3, c.dato3);
    EXPECT_EQ(cell.dato4, c.dato4);
    EXPECT_EQ(cell.tempo, c.stored_tempo);
    EXPECT_EQ(approach_marker(signal_sides(v.sx, v.dx), 1), c.first_marker);

    const SignalValues back = signal_values(cell);
    EXPECT_EQ(back.sx, v.sx);
    EXPECT_EQ(back.dx, v.dx);
    EXPECT_EQ(back.rapp, v.rapp);
    EXPECT_EQ(back.s1, v.s1);
    EXPECT_EQ(back.s2, v.s2);
    EXPECT_EQ(back.s3, v.s3);
    EXPECT_EQ(back.d1, v.d1);
    EXPECT_EQ(back.d2, v.d2);
    EXPECT_EQ(back.d3, v.d3);
  }
  // A rapp whose x 10 leaves 16 bits comes back from the wrapped dato4.
  const cella wrapped = signal_cell(1, 0, 0, 0, 4000, 1, 0, 0, 0, 0);
  EXPECT_EQ(signal_values(wrapped, 4).rapp, 4000);
  EXPECT_EQ(approach_marker_cell(100, 1), 98);
  EXPECT_EQ(approach_marker_cell(100, 4), 92);
}

TEST(CellRules, SignalTimeAndTheTimeThatGivesIt) {
  EXPECT_EQ(signal_time(2, 0), 0);
  EXPECT_EQ(signal_time(2, 1), 101);
  EXPECT_EQ(signal_time(2, 100), 101);
  EXPECT_EQ(signal_time(2, 210), 210);
  EXPECT_EQ(signal_time(2, 300), 44);  // low 8 bits
  EXPECT_EQ(signal_time(1, 210), 0);   // only sx 2 keeps a time
  for (int t = 0; t <= 255; ++t) {
    ASSERT_EQ(signal_time(2, static_cast<int32_t>(signal_time_source(static_cast<uint8_t>(t)))), t);
  }
}

TEST(CellRules, ApproachMarkerAndTheSidesThatGiveIt) {
  for (int32_t sides = -60; sides <= 60; ++sides) {
    for (int32_t k = 1; k <= 4; ++k) {
      const std::optional<int32_t> back = sides_of_marker(approach_marker(sides, k), k, sides);
      ASSERT_TRUE(back) << sides;
      EXPECT_EQ(*back, sides) << k;
    }
  }
  EXPECT_FALSE(sides_of_marker(42, 1, 4));  // an odd difference: no sides x 10 gives it
}

TEST(CellRules, BoardPackingAndUnpacking) {
  struct Case {
    int32_t s, d;
    int16_t dato;
  };
  for (const Case c : {Case{125, 0, 2500}, Case{135, 0, 2700}, Case{100, 60, 2012}, Case{0, 95, 19}, Case{5, 0, 100}}) {
    EXPECT_EQ(board_speeds(c.s, c.d), c.dato) << c.s;
    EXPECT_EQ(board_speeds_of(c.dato).s, c.s) << c.s;
    EXPECT_EQ(board_speeds_of(c.dato).d, c.d) << c.s;
  }
  EXPECT_EQ(board_speeds(0, 7), 1);  // a fifth of 7, rounded
  EXPECT_THROW(board_speeds(1700, 0), RunTimeFailure);
  EXPECT_EQ(board_stripes(3, 2), 32);
  EXPECT_EQ(board_stripes_of(32).s, 3);
  EXPECT_EQ(board_stripes_of(32).d, 2);
}

TEST(CellRules, ProfileFieldsAndTheirValues) {
  for (int32_t g = -100; g <= 155; ++g) ASSERT_EQ(gradient_of(gradient_field(g)), g);
  EXPECT_EQ(gradient_field(-5), 95);
  EXPECT_EQ(gradient_field(156), 0);  // low 8 bits

  for (int32_t v = 0; v <= 1275; v += 5) ASSERT_EQ(speed_of(speed_field(v)), v);
  EXPECT_EQ(speed_field(137), 27);
  EXPECT_EQ(speed_field(138), 28);
  EXPECT_THROW(speed_field(1278), RunTimeFailure);
  EXPECT_THROW(speed_field(-3), RunTimeFailure);
  EXPECT_EQ(stored_speed(137), 135);
  EXPECT_FALSE(stored_speed(1300));

  for (int32_t a = 0; a <= 255; ++a) ASSERT_EQ(adhesion_of(adhesion_field(a)), a);
}

}  // namespace
}  // namespace scenario
