#include "compiler/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "compiler/integer_fields.h"
#include "compiler/track_model.h"

namespace scenario {

int32_t object_cell(int32_t p) { return nearest(p / 50.0 + 1); }
int64_t object_progressive(int32_t cell) { return (int64_t{cell} - 1) * kCellMetres; }
int32_t boundary_cell(int32_t p) { return nearest(p / 50.0); }
int64_t boundary_progressive(int32_t cell) { return int64_t{cell} * kCellMetres; }

bool within_line(int64_t p, int32_t last_cell, int32_t margin) {
  return (static_cast<double>(p) + margin) / 50.0 <= last_cell;
}

double furthest_in_line(int32_t last_cell, int32_t margin) { return 50.0 * last_cell - margin; }

int32_t last_cell_of(int32_t metri_tracciato) { return nearest(static_cast<double>(metri_tracciato) / 50.0); }

CellRun mountain_cells(int32_t inizio, int32_t fine) { return {boundary_cell(inizio), nearest(fine / 50.0 - 1)}; }

MountainSpan mountain_span(const CellRun& cells) {
  return {boundary_progressive(cells.first), boundary_progressive(cells.last) + kCellMetres};
}

int32_t mountain_tipo(uint8_t type, bool marked) {
  if (marked) return type + kMarkedMountain;
  return type <= kMarkedMountain ? type : type - 256;  // above 10 without markers: a negative type, same low byte
}

void set_station_area(voce_sim& e, int32_t length) {
  if (e.tipo == 5 || e.tipo == 6) {
    e.fine = add32(e.posizione, 150);
    e.inizio = sub32(e.posizione, length);
    e.col6 = 0;
  } else if (e.tipo == 7 || e.tipo == 8) {
    e.inizio = sub32(e.posizione, length);
    e.fine = add32(e.posizione, length);
    e.col6 = 0;
  } else {
    e.inizio = nearest(e.posizione - length / 2.0);
    double end = e.posizione + length / 2.0;
    if (e.col6 != 0) end += 50;
    e.fine = nearest(end);
  }
}

StationArea station_area(int32_t posizione, int32_t tipo, int32_t length, int32_t col6) {
  voce_sim e;
  e.posizione = posizione;
  e.tipo = low8(tipo);
  e.col6 = low8(col6);
  set_station_area(e, length);
  return {e.inizio, e.fine, e.tipo >= 5 && e.tipo <= 8};
}

StationSource station_source(int32_t posizione, int32_t tipo, int32_t inizio, int32_t fine) {
  const int64_t before = int64_t{posizione} - inizio;
  if (tipo >= 5 && tipo <= 8) return {before, false};
  const int64_t length = 2 * before;
  return {length, int64_t{fine} - (posizione + length / 2) == 50};
}

bool station_stops(int32_t tipo) { return tipo < 25; }
bool station_marks_approach(int32_t tipo) { return station_stops(tipo) && tipo != 5 && tipo != 6; }

std::optional<int32_t> station_stop_cell(int32_t fine) {
  const double q = fine / 50.0 - 1;
  if (q <= 1) return std::nullopt;  // cells 0 and 1 cannot hold a stop
  return nearest(q);
}

std::optional<int32_t> station_marker_cell(int32_t fine, int32_t k) {
  const double q = fine / 50.0 - k - 1;
  if (q <= 1) return std::nullopt;
  return nearest(q);
}

bool has_warning_board(int32_t x) { return x > kNoWarningBoardWithin; }

SlowdownCells slowdown_cells(int32_t x, int32_t l, int32_t f_ta) {
  SlowdownCells cells;
  if (has_warning_board(x)) {
    cells.warning = object_cell(sub32(x, kWarningBoardDistance));
    if (f_ta != 0) {
      const int32_t h = boundary_cell(sub32(x, kWarningBoardDistance));
      cells.before_warning = std::array<int32_t, 4>{h, h - 1, h - 2, h - 3};
    }
  }
  cells.start = object_cell(x);
  // An end past 32 bits lies beyond every line; the builder fails on it only
  // after the start's test.
  cells.end = object_cell(static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} + l, INT32_MIN, INT32_MAX)));
  return cells;
}

// 1200 m is an even number of cells, so the board's cell lies exactly that
// many cells before the start's, whatever the rounding.
int32_t warning_board_cell(int32_t start_cell) { return start_cell - kWarningBoardDistance / kCellMetres; }
int32_t slowdown_start_cell(int32_t board_cell) { return board_cell + kWarningBoardDistance / kCellMetres; }

// For a start on the 50 m grid (or 1510, the one start of its cell with a
// board) the cells before the board are its neighbours below.
int32_t before_warning_cell(int32_t board_cell, int32_t i) { return board_cell - i; }

std::optional<int64_t> slowdown_start(int32_t cell, bool with_board) {
  const int64_t centre = object_progressive(cell);
  const auto fits = [&](int64_t p) {
    return p >= INT32_MIN && p <= INT32_MAX && object_cell(static_cast<int32_t>(p)) == cell &&
           has_warning_board(static_cast<int32_t>(p)) == with_board;
  };
  for (const int64_t offset : {0, 10, -10, 20, -20}) {
    if (fits(centre + offset)) return centre + offset;
  }
  for (int64_t offset = 1; offset <= kCellMetres / 2; ++offset) {
    if (fits(centre + offset)) return centre + offset;
    if (fits(centre - offset)) return centre - offset;
  }
  return std::nullopt;
}

// Each packing that leaves 32 bits fails at the field that took it there.
int32_t signal_sides(int32_t sx, int32_t dx) { return packed32(sx, 3, "sx", dx, "dx"); }
std::string_view signal_sides_field(int32_t sx, int32_t dx) {
  return std::abs(int64_t{sx} * 3) >= std::abs(int64_t{dx}) ? "sx" : "dx";
}
int16_t signal_pair(int32_t s, int32_t d, std::string_view s_field, std::string_view d_field) {
  return low16(packed32(s, 10, s_field, d, d_field));
}
int16_t signal_dato4(int32_t rapp, int32_t sides, std::string_view sides_field) {
  return low16(packed32(rapp, 10, "rapp", sides, sides_field));
}
uint8_t approach_marker(int32_t sides, int32_t k, std::string_view sides_field) {
  return low8(packed32(sides, 10, sides_field, k, sides_field));
}
int32_t approach_marker_cell(int32_t signal_cell, int32_t k) { return signal_cell - 2 * k; }

uint8_t signal_time(int32_t sx, int32_t tempo) {
  int32_t t = tempo;
  if (t >= 1 && t <= 100) t = 101;
  return sx == 2 ? low8(t) : 0;
}

SignalValues signal_values(const cella& cell) { return signal_values(cell, natural_sides(cell.dato4)); }

SignalValues signal_values(const cella& f, int32_t sides) {
  SignalValues v;
  if ((f.dato4 - sides) % 10 == 0) {
    v.rapp = (f.dato4 - sides) / 10;
  } else {
    // rapp x 10 = dato4 - sides modulo 65536
    const int64_t d = ((int64_t{f.dato4} - sides) % 65536 + 65536) % 65536;
    v.rapp = static_cast<int32_t>((d / 2) * 19661 % 32768);  // 19661 is the inverse of 5 modulo 32768
  }
  if (f.tempo != 0) {
    v.sx = 2;
    v.dx = sides - 6;
  } else if (sides >= 0) {
    v.sx = sides / 3;
    v.dx = sides % 3;
  } else {
    v.dx = sides;
  }
  v.s1 = pair_s(f.dato1);
  v.s2 = pair_s(f.dato2);
  v.s3 = pair_s(f.dato3);
  v.d1 = pair_d(f.dato1);
  v.d2 = pair_d(f.dato2);
  v.d3 = pair_d(f.dato3);
  return v;
}

int64_t signal_time_source(uint8_t tempo) { return tempo == 0 || tempo > 100 ? tempo : tempo + 256; }

std::optional<int32_t> sides_of_marker(uint8_t avviso, int32_t k, int32_t near) {
  const int32_t d = ((avviso - k) % 256 + 256) % 256;
  if (d % 2 != 0) return std::nullopt;
  int32_t found = d / 2 * 77 % 128;  // 77 is the inverse of 5 modulo 128: 10 x sides = d modulo 256
  if (found - near > 64) found -= 128;
  return found;
}

// The "s" speed times 20 plus a fifth of the "d" speed, rounded. A pair
// outside 16 bits fails at the "s" speed when that alone leaves them, else at
// the "d" speed.
int16_t board_speeds(int32_t vs, int32_t vd, std::string_view vs_field, std::string_view vd_field) {
  const int64_t s = int64_t{vs} * 20;
  if (s < INT32_MIN || s > INT32_MAX) {
    throw FieldFailure(vs_field, "overflow: product " + std::to_string(s) + " does not fit a 32-bit integer");
  }
  const auto v = static_cast<int64_t>(std::nearbyint(vd / 5.0 + static_cast<double>(s)));
  if (v < INT16_MIN || v > INT16_MAX) {
    throw FieldFailure(s < INT16_MIN || s > INT16_MAX ? vs_field : vd_field,
                       "board speed value " + std::to_string(v) + " does not fit 16 bits");
  }
  return static_cast<int16_t>(v);
}

int16_t board_stripes(int32_t s, int32_t d) { return low16(packed32(s, 10, "strisces", d, "strisced")); }

SpeedPair board_speeds_of(int16_t dato) { return {dato / 20, dato % 20 * 5}; }
SpeedPair board_stripes_of(int16_t dato4) { return {dato4 / 10, dato4 % 10}; }

uint8_t gradient_field(int32_t per_mille) { return low8(add32(per_mille, 100)); }
int32_t gradient_of(uint8_t field) { return field - 100; }

uint8_t speed_field(int32_t kmh) {
  const int32_t v = nearest(kmh / 5.0);
  if (v < 0 || v > 255) throw RunTimeFailure("speed " + std::to_string(kmh) + " km/h does not fit the speed field");
  return static_cast<uint8_t>(v);
}
int32_t speed_of(uint8_t field) { return field * 5; }

std::optional<int32_t> stored_speed(int32_t kmh) {
  try {
    return speed_of(speed_field(kmh));
  } catch (const RunTimeFailure&) {
    return std::nullopt;
  }
}

uint8_t adhesion_field(int32_t value) { return low8(value); }
int32_t adhesion_of(uint8_t field) { return field; }

}  // namespace scenario
