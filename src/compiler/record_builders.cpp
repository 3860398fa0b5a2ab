#include "compiler/record_builders.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "compiler/codes.h"
#include "compiler/integer_fields.h"

namespace scenario {

namespace {

// One speed pair of a board: the "s" speed times 20 plus a fifth of the "d"
// speed, rounded. A pair outside 16 bits fails at the "s" speed when that
// alone leaves them, else at the "d" speed.
int16_t speed_pair(int32_t vs, std::string_view vs_field, int32_t vd, std::string_view vd_field) {
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

}  // namespace

void memo_montagna(TrackModel& model, int32_t inizio, int32_t fine, int32_t tipo) {
  int32_t t = tipo;
  bool marked = false;
  if (t > 10) {
    marked = true;
    t -= 10;
  }

  const int32_t n = model.n_montagne + 1;
  int32_t& stored_inizio = model.montagna_inizio_at(n);
  int32_t& stored_fine = model.montagna_fine_at(n);
  if (n > 1 && sub32(inizio, model.montagna_fine_at(n - 1)) <= 150) t = 3;

  // Mountains cover cells from nearest(inizio / 50), without the + 1 of
  // objects, to one cell before nearest(fine / 50).
  const int32_t first = boundary_cell(inizio);
  const int32_t last = nearest(fine / 50.0 - 1);
  if (first <= last) {
    model.cella_at(first);
    model.cella_at(last);
  }

  model.n_montagne = n;
  stored_inizio = inizio;
  stored_fine = fine;
  int32_t j = 0;
  for (int32_t c = first; c <= last; ++c) {
    ++j;
    cella& cell = model.cella_at(c);
    cell.montagna = low8(t);
    if (marked && j % 4 == 0 && cell.tipo == tipo_cella::vuota) cell.tipo = tipo_cella::segno_montagna;
  }
}

SlowdownCells slowdown_cells(int32_t x, int32_t l, int32_t f_ta) {
  SlowdownCells cells;
  // A slowdown starting within 1500 m of the origin has no warning board.
  if (x > 1500) {
    cells.warning = object_cell(sub32(x, 1200));
    if (f_ta != 0) {
      const int32_t h = boundary_cell(sub32(x, 1200));
      cells.before_warning = std::array<int32_t, 4>{h, h - 1, h - 2, h - 3};
    }
  }
  cells.start = object_cell(x);
  // An end past 32 bits lies beyond every line; the builder fails on it only
  // after the start's test.
  cells.end = object_cell(static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} + l, INT32_MIN, INT32_MAX)));
  return cells;
}

void memo_rallentamento(TrackModel& model, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v) {
  const SlowdownCells at = slowdown_cells(x, l, f_ta);

  cella* warning = nullptr;
  if (at.warning) {
    warning = &model.cella_at(*at.warning);
    if (!libera(*warning)) {
      model.codice_errore = code::warning_board_cell_taken;
      return;
    }
  }
  cella& start = model.cella_at(at.start);
  if (!libera(start)) {
    model.codice_errore = code::slowdown_start_cell_taken;
    return;
  }
  // Start + length must fit 32 bits; tested after the start, as the cells are.
  packed32(x, 1, "x", l, "l");
  cella& end = model.cella_at(at.end);
  if (!libera(end)) {
    model.codice_errore = code::slowdown_end_cell_taken;
    return;
  }
  // The four cells before the warning board, numbered 1 (next to it) to 4.
  std::array<cella*, 4> before{};
  if (at.before_warning) {
    for (std::size_t i = 0; i < 4; ++i) before[i] = &model.cella_at((*at.before_warning)[i]);
  }

  end.tipo = tipo_cella::fine_rallentamento;
  if (d_v != 0) end.dato2 = low16(d_v);
  start.tipo = tipo_cella::inizio_rallentamento;
  if (d_v != 0) start.dato2 = low16(d_v);
  if (warning != nullptr) {
    warning->tipo = tipo_cella::avviso_rallentamento;
    if (d_v != 0) warning->dato2 = low16(d_v);
    warning->dato1 = low16(v);
  }
  start.dato1 = low16(v);
  end.dato1 = low16(v);
  start.dato3 = low16(f_tt);
  end.dato3 = low16(f_tt);

  if (!at.before_warning) return;
  for (const cella* cell : before) {
    if (!libera(*cell)) {
      model.codice_errore = code::before_warning_board_cell_taken;
      return;
    }
  }
  for (int32_t i = 0; i < 4; ++i) {
    before[static_cast<std::size_t>(i)]->tipo = tipo_cella::prima_avviso;
    before[static_cast<std::size_t>(i)]->dato1 = low16(i + 1);
    if (d_v != 0) before[static_cast<std::size_t>(i)]->dato2 = low16(i + 1);
  }
}

void memo_segnale(TrackModel& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp,
                  int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
  const int32_t c = object_cell(posizione);
  cella& cell = model.cella_at(c);
  if (!libera(cell)) {
    model.codice_errore = code::signal_cell_taken;
    return;
  }
  std::array<cella*, 4> approach{};  // 100, 200, 300 and 400 m before the signal
  for (int32_t k = 1; k <= 4; ++k) approach[k - 1] = &model.cella_at(c - 2 * k);

  // Values read as decimal digits: each pair is s * 10 + d, and 3 * sx + dx
  // is the tens digit of the approach markers.
  // A packing that leaves 32 bits fails at the field that took it there.
  const int32_t sides = packed32(sx, 3, "sx", dx, "dx");
  const std::string_view sides_field = std::abs(int64_t{sx} * 3) >= std::abs(int64_t{dx}) ? "sx" : "dx";
  const int16_t dato1 = low16(packed32(s1, 10, "s1", d1, "d1"));
  const int16_t dato2 = low16(packed32(s2, 10, "s2", d2, "d2"));
  const int16_t dato3 = low16(packed32(s3, 10, "s3", d3, "d3"));
  const int16_t dato4 = low16(packed32(rapp, 10, "rapp", sides, sides_field));
  std::array<uint8_t, 4> markers{};
  for (int32_t k = 1; k <= 4; ++k) markers[k - 1] = low8(packed32(sides, 10, sides_field, k, sides_field));

  // A time from 1 to 100 is raised to 101; only a signal with sx 2 keeps one.
  int32_t t = tempo;
  if (t >= 1 && t <= 100) t = 101;

  cell.tipo = tipo_cella::segnale;
  cell.dato1 = dato1;
  cell.dato2 = dato2;
  cell.dato3 = dato3;
  cell.dato4 = dato4;
  cell.tempo = sx == 2 ? low8(t) : 0;
  for (int32_t k = 0; k < 4; ++k) approach[k]->avviso = markers[k];
}

void memo_indicatori_v_max(TrackModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  cella& cell = model.cella_at(object_cell(posizione));
  if (!libera(cell)) {
    model.codice_errore = code::board_cell_taken;
    return;
  }
  const int16_t dato1 = speed_pair(vas, "vas", vad, "vad");
  const int16_t dato2 = speed_pair(vbs, "vbs", vbd, "vbd");
  const int16_t dato3 = speed_pair(vcs, "vcs", vcd, "vcd");
  const int16_t dato4 = low16(packed32(strisces, 10, "strisces", strisced, "strisced"));

  cell.tipo = tipo_cella::indicatore_v_max;
  cell.dato1 = dato1;
  cell.dato2 = dato2;
  cell.dato3 = dato3;
  cell.dato4 = dato4;
}

}  // namespace scenario
