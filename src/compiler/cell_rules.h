#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace scenario {

struct cella;
struct voce_sim;

// Where the compiler puts each object in the cells and how it packs the
// object's values into a cell's fields, each rule written once. The compiler
// places objects with them, and every reader of a compiled model (checker,
// decompiler, view model, diff, hover, dump) reads the cells back through the
// same rules and their inverses, which stand beside them.
//
// Cells are 50 m long. Arithmetic that the compiler checks (a sum or product
// leaving 32 bits, a speed that does not fit its field) is a RunTimeFailure
// here too.

inline constexpr int32_t kCellMetres = 50;

// --- cells and progressives ---------------------------------------------------

// An object (signal, board, slowdown piece, sign) at progressive p stands in
// cell nearest(p / 50 + 1); the progressive a source gives an object in cell
// c is (c - 1) x 50.
int32_t object_cell(int32_t p);
int64_t object_progressive(int32_t cell);

// A profile section or a speed abatement point starting at p begins at cell
// nearest(p / 50); the progressive of the boundary at cell c is c x 50.
int32_t boundary_cell(int32_t p);
int64_t boundary_progressive(int32_t cell);

// The compiler's range check of a record's first progressive p: (p + margin)
// / 50 is not beyond the last cell. The margin is 100 m, 800 m for a station.
inline constexpr int32_t kRecordMargin = 100;
inline constexpr int32_t kStationMargin = 800;
bool within_line(int64_t p, int32_t last_cell, int32_t margin = kRecordMargin);
// The inverse: the furthest progressive that passes it.
double furthest_in_line(int32_t last_cell, int32_t margin = kRecordMargin);

// The last cell of a line whose plan has `metri_tracciato` metres: the cells
// are 0 to nearest(metri_tracciato / 50).
int32_t last_cell_of(int32_t metri_tracciato);

// --- mountains ------------------------------------------------------------------

// The cells a mountain from `inizio` to `fine` covers: from nearest(inizio /
// 50), without the + 1 of objects, to one cell before nearest(fine / 50).
// Empty when first > last.
struct CellRun {
  int32_t first = 0;
  int32_t last = -1;
  bool empty() const { return first > last; }
  bool contains(int32_t cell) const { return first <= cell && cell <= last; }
};
CellRun mountain_cells(int32_t inizio, int32_t fine);

// The progressives a mountain record gives to cover exactly `cells`.
struct MountainSpan {
  int64_t inizio = 0;
  int64_t fine = 0;
};
MountainSpan mountain_span(const CellRun& cells);

// A type above 10 puts a marker in every fourth cell of the mountain (the
// j-th from its first, j from 1) and stands for the type minus 10.
inline constexpr int32_t kMarkedMountain = 10;
inline bool marks_cells(int32_t tipo) { return tipo > kMarkedMountain; }
inline int32_t scenery_type(int32_t tipo) { return marks_cells(tipo) ? tipo - kMarkedMountain : tipo; }
inline bool marker_at(int32_t j) { return j % 4 == 0; }
// The inverse: the tipo a record gives for cells of scenery type `type` (the
// low byte the cells keep), with or without markers.
int32_t mountain_tipo(uint8_t type, bool marked);

// A mountain beginning this close (or closer) after the previous one ends
// gets the joining type 3.
inline constexpr int32_t kMountainJoin = 150;
inline constexpr int32_t kJoiningType = 3;

// --- stations -------------------------------------------------------------------

// A station's area from its progressive, type, length and column 6: types 5
// and 6 reach 150 m past the progressive, types 7 and 8 a whole length on
// both sides, the others half a length on each side, and 50 m more at the end
// when column 6 is set. Types 5 to 8 clear column 6.
struct StationArea {
  int32_t inizio = 0;
  int32_t fine = 0;
  bool clears_col6 = false;
};
StationArea station_area(int32_t posizione, int32_t tipo, int32_t length, int32_t col6);
// The same into a station's entry, from its posizione, tipo and col6, field by
// field in the compiler's order: a failure part way leaves what was set.
void set_station_area(voce_sim& station, int32_t length);

// The inverse: the length and column 6 that give a station of this type at
// `posizione` its area starting at `inizio` (column 6 is set when the end
// lies 50 m past what the length gives; only the types that keep it).
struct StationSource {
  int64_t length = 0;
  bool col6 = false;
};
StationSource station_source(int32_t posizione, int32_t tipo, int32_t inizio, int32_t fine);

// Stations of a type below 25 stop: the stop cell is that of an object 100 m
// before the end of the area, nearest(fine / 50 - 1); none when that is cell
// 1 or less. All of them but types 5 and 6 put approach markers 81 to 84 in
// the four cells before it, 81 nearest; a marker that would fall in cell 1 or
// before is left out.
bool station_stops(int32_t tipo);
bool station_marks_approach(int32_t tipo);
std::optional<int32_t> station_stop_cell(int32_t fine);
std::optional<int32_t> station_marker_cell(int32_t fine, int32_t k);  // k from 1 to 4
inline uint8_t station_marker(int32_t k) { return static_cast<uint8_t>(80 + k); }

// A station area must begin at least this far after the previous one ends.
inline constexpr int32_t kStationGap = 350;

// --- slowdowns ------------------------------------------------------------------

// A slowdown starting beyond 1500 m has a warning board 1200 m before its
// start; nearer the origin it has none.
inline constexpr int32_t kWarningBoardDistance = 1200;
inline constexpr int32_t kNoWarningBoardWithin = 1500;
bool has_warning_board(int32_t x);

// The cells a slowdown from `x` over `l` metres takes: its warning board
// (none within 1500 m of the origin), its start and its end, and, with
// `f_ta`, the four cells before the board, 1 (next to it) to 4.
struct SlowdownCells {
  std::optional<int32_t> warning;
  int32_t start = 0;
  int32_t end = 0;
  std::optional<std::array<int32_t, 4>> before_warning;
};
SlowdownCells slowdown_cells(int32_t x, int32_t l, int32_t f_ta);

// The inverses: the board of a start in cell s stands in cell s - 24 (1200 m
// before it), and the cells before the board are its i-th neighbours below,
// i from 1 to 4.
int32_t warning_board_cell(int32_t start_cell);
int32_t slowdown_start_cell(int32_t board_cell);
int32_t before_warning_cell(int32_t board_cell, int32_t i);
// The progressive a slowdown record gives to start in `cell` with a warning
// board or without one, as round as the cell allows; none when no start in
// that cell can have it so (a board needs a start beyond 1500 m).
std::optional<int64_t> slowdown_start(int32_t cell, bool with_board);

// --- signals --------------------------------------------------------------------

// A signal's values read as decimal digits: each pair value is s x 10 + d,
// dato4 is rapp x 10 + the sides sx x 3 + dx, and the approach markers 100,
// 200, 300 and 400 m before it (cells c - 2k, k from 1 to 4) are sides x 10 +
// k. The 16-bit and 8-bit fields keep the low bits.
struct SignalValues {
  int32_t sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0;
};
// A packing that leaves 32 bits throws a FieldFailure naming the field that
// took it there (the names given, or the record's own).
int32_t signal_sides(int32_t sx, int32_t dx);
std::string_view signal_sides_field(int32_t sx, int32_t dx);  // the field to blame for the sides' packing
int16_t signal_pair(int32_t s, int32_t d, std::string_view s_field = "s", std::string_view d_field = "d");
int16_t signal_dato4(int32_t rapp, int32_t sides, std::string_view sides_field = "sx");
uint8_t approach_marker(int32_t sides, int32_t k, std::string_view sides_field = "sx");
int32_t approach_marker_cell(int32_t signal_cell, int32_t k);
// Only a signal with sx 2 keeps a time; a time from 1 to 100 becomes 101.
uint8_t signal_time(int32_t sx, int32_t tempo);

// The inverses. A pair's tens and units; the signal's values from its cell
// with the sides it was given (by default the units of dato4): a time in the
// cell means sx 2, and a dato4 whose rapp x 10 wrapped is unwrapped.
inline int32_t pair_s(int16_t dato) { return dato / 10; }
inline int32_t pair_d(int16_t dato) { return dato % 10; }
inline int32_t natural_sides(int16_t dato4) { return dato4 % 10; }
SignalValues signal_values(const cella& cell);
SignalValues signal_values(const cella& cell, int32_t sides);
// The time a record gives to leave `tempo` in the cell (a stored 101 comes
// from 101; 1 to 100 can only come from a wrapped value).
int64_t signal_time_source(uint8_t tempo);
// The sides whose k-th approach marker is `avviso`, the one closest to
// `near` among those that fit 8 bits; none when no sides give it.
std::optional<int32_t> sides_of_marker(uint8_t avviso, int32_t k, int32_t near);

// --- maximum-speed boards ---------------------------------------------------------

// Each speed pair of a board is one number: the s speed x 20 plus a fifth of
// the d speed, rounded; outside 16 bits a run-time failure. The stripes are
// s x 10 + d (low 16 bits).
int16_t board_speeds(int32_t vs, int32_t vd, std::string_view vs_field = "vs", std::string_view vd_field = "vd");
int16_t board_stripes(int32_t s, int32_t d);
// The inverses, km/h for speeds.
struct SpeedPair {
  int32_t s = 0;
  int32_t d = 0;
};
SpeedPair board_speeds_of(int16_t dato);
SpeedPair board_stripes_of(int16_t dato4);

// --- profiles -------------------------------------------------------------------

// A cell's gradient field is the gradient in per mille plus 100 (low 8 bits);
// its speed field the speed limit in km/h divided by 5, rounded, where a
// value that does not fit the byte is a run-time failure. The adhesion field
// holds the value as given (low 8 bits).
uint8_t gradient_field(int32_t per_mille);
int32_t gradient_of(uint8_t field);
uint8_t speed_field(int32_t kmh);
int32_t speed_of(uint8_t field);
// The speed in km/h that a cell holds for `kmh`; none when it does not fit.
std::optional<int32_t> stored_speed(int32_t kmh);
uint8_t adhesion_field(int32_t value);
int32_t adhesion_of(uint8_t field);

}  // namespace scenario
