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

void memo_montagna(TrackModel& model, int32_t inizio, int32_t fine, int32_t tipo) {
  int32_t t = scenery_type(tipo);
  const bool marked = marks_cells(tipo);

  const int32_t n = model.n_montagne + 1;
  int32_t& stored_inizio = model.montagna_inizio_at(n);
  int32_t& stored_fine = model.montagna_fine_at(n);
  if (n > 1 && sub32(inizio, model.montagna_fine_at(n - 1)) <= kMountainJoin) t = kJoiningType;

  const CellRun cells = mountain_cells(inizio, fine);
  if (!cells.empty()) {
    model.cella_at(cells.first);
    model.cella_at(cells.last);
  }

  model.n_montagne = n;
  stored_inizio = inizio;
  stored_fine = fine;
  int32_t j = 0;
  for (int32_t c = cells.first; c <= cells.last; ++c) {
    ++j;
    cella& cell = model.cella_at(c);
    cell.montagna = low8(t);
    if (marked && marker_at(j) && cell.tipo == tipo_cella::vuota) cell.tipo = tipo_cella::segno_montagna;
  }
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
  for (int32_t k = 1; k <= 4; ++k) approach[k - 1] = &model.cella_at(approach_marker_cell(c, k));

  const int32_t sides = signal_sides(sx, dx);
  const std::string_view sides_field = signal_sides_field(sx, dx);
  const int16_t dato1 = signal_pair(s1, d1, "s1", "d1");
  const int16_t dato2 = signal_pair(s2, d2, "s2", "d2");
  const int16_t dato3 = signal_pair(s3, d3, "s3", "d3");
  const int16_t dato4 = signal_dato4(rapp, sides, sides_field);
  std::array<uint8_t, 4> markers{};
  for (int32_t k = 1; k <= 4; ++k) markers[k - 1] = approach_marker(sides, k, sides_field);

  cell.tipo = tipo_cella::segnale;
  cell.dato1 = dato1;
  cell.dato2 = dato2;
  cell.dato3 = dato3;
  cell.dato4 = dato4;
  cell.tempo = signal_time(sx, tempo);
  for (int32_t k = 0; k < 4; ++k) approach[k]->avviso = markers[k];
}

void memo_indicatori_v_max(TrackModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  cella& cell = model.cella_at(object_cell(posizione));
  if (!libera(cell)) {
    model.codice_errore = code::board_cell_taken;
    return;
  }
  const int16_t dato1 = board_speeds(vas, vad, "vas", "vad");
  const int16_t dato2 = board_speeds(vbs, vbd, "vbs", "vbd");
  const int16_t dato3 = board_speeds(vcs, vcd, "vcs", "vcd");
  const int16_t dato4 = board_stripes(strisces, strisced);

  cell.tipo = tipo_cella::indicatore_v_max;
  cell.dato1 = dato1;
  cell.dato2 = dato2;
  cell.dato3 = dato3;
  cell.dato4 = dato4;
}

}  // namespace scenario
