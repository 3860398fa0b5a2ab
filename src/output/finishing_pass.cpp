#include "output/finishing_pass.h"

#include <array>

#include "compiler/codes.h"

namespace scenario {

namespace {

constexpr int16_t kVelocitaLenta = 110;  // rules C and D apply below this speed (km/h)
constexpr int32_t kPassoSegni = 8;       // cells between marks inside a slowdown (400 m)

// The cells of one sweep. A cell outside 0..n counts as neither free, nor a
// signal, nor a slowdown end, so no rule ever reaches past the array.
class Cells {
 public:
  Cells(TrackModel& model, CompileReport& report) : model_(model), report_(report), n_(model.ultima_cella()) {}

  int32_t n() const { return n_; }
  bool inside(int32_t c) const { return c >= 0 && c <= n_; }
  bool free(int32_t c) const { return inside(c) && libera(model_.cella_at(c)); }
  bool is(int32_t c, uint8_t tipo) const { return inside(c) && model_.cella_at(c).tipo == tipo; }
  cella& at(int32_t c) { return model_.cella_at(c); }

  void mark(int32_t c) {
    cella& cell = model_.cella_at(c);
    cell.tipo = tipo_cella::abbattimento_valore;
    cell.dato1 = kValoreSegno;
  }

  // No free cell for the mark that `regola` wanted for the object in `cella`,
  // first trying `candidata`: the code is set, the miss recorded, and the
  // sweep goes on.
  void fail(int32_t code, char regola, int32_t cella, int32_t candidata) {
    model_.codice_errore = code;
    report_.missing_marks.push_back({code, regola, cella, candidata});
  }

 private:
  TrackModel& model_;
  CompileReport& report_;
  int32_t n_;
};

// Rule A: every signal among the 20 cells before a warning board at i gets a
// mark one or two cells before it, or lowers an abatement point already there.
void rule_a(Cells& cells, int32_t i) {
  for (int32_t k = 1; k <= 20; ++k) {
    const int32_t d = i - k;
    if (d < 3) return;
    if (!cells.is(d, tipo_cella::segnale)) continue;
    if (cells.free(d - 1)) {
      cells.mark(d - 1);
    } else if (cells.free(d - 2)) {
      cells.mark(d - 2);
    } else if (cells.is(d - 1, tipo_cella::abbattimento_valore)) {
      cells.at(d - 1).dato1 = minimo(kValoreSegno, cells.at(d - 1).dato1);
    } else if (cells.is(d - 2, tipo_cella::abbattimento_valore)) {
      cells.at(d - 2).dato1 = minimo(kValoreSegno, cells.at(d - 2).dato1);
    } else {
      cells.fail(code::no_mark_before_signal, 'A', d, d - 1);
    }
  }
}

// Rule B: marks 250-350 m, 550-650 m and 900-1000 m before a slowdown start.
void rule_b(Cells& cells, int32_t i) {
  constexpr std::array<std::array<int32_t, 3>, 3> kWindows = {{{5, 6, 7}, {11, 12, 13}, {18, 19, 20}}};
  for (const auto& window : kWindows) {
    if (i <= window.back()) continue;
    bool placed = false;
    for (int32_t offset : window) {
      if (cells.free(i - offset)) {
        cells.mark(i - offset);
        placed = true;
        break;
      }
    }
    if (!placed) cells.fail(code::no_mark_before_slowdown, 'B', i, i - window.front());
  }
}

// Rule C: a mark every 8 cells inside a slowdown, from its start at i up to its
// end. Returns the cell where the scan stopped: the end cell, or past the
// array's last cell when no end follows.
int32_t rule_c(Cells& cells, int32_t i) {
  int32_t p = 0;
  int32_t k = i;
  for (;;) {
    ++k;
    ++p;
    if (k > cells.n()) return k;
    if (p == kPassoSegni) {
      if (cells.free(k)) {
        cells.mark(k);
        p = 0;
      } else if (cells.free(k - 1)) {
        cells.mark(k - 1);
        p = 1;
      } else if (cells.free(k + 1)) {
        cells.mark(k + 1);
        p = -1;
      } else {
        cells.fail(code::no_mark_in_slowdown, 'C', i, k);  // p stays 8: no further mark in this slowdown
      }
    }
    if (cells.is(k, tipo_cella::fine_rallentamento)) return k;
  }
}

// Rule D: a mark just before the first signal within 12 cells after the
// slowdown's end k.
void rule_d(Cells& cells, int32_t k) {
  int32_t p = 0;
  for (int32_t m = k; m <= k + 12; ++m) {
    if (cells.is(m, tipo_cella::segnale)) {
      p = m - 1;
      break;
    }
  }
  if (p <= 0) return;
  if (cells.free(p)) {
    cells.mark(p);
  } else if (cells.free(p - 1)) {
    cells.mark(p - 1);
  } else {
    cells.fail(code::no_mark_in_slowdown, 'D', p + 1, p);
  }
}

}  // namespace

int16_t minimo(int16_t x, int16_t y) { return x > y ? y : x; }

void finishing_sweep(TrackModel& model, CompileReport& report) {
  report.missing_marks.clear();
  Cells cells(model, report);
  const int32_t last = cells.n() - 2;
  for (int32_t i = 1; i <= last; ++i) {
    const uint8_t tipo = model.cella_at(i).tipo;
    if (tipo == tipo_cella::avviso_rallentamento) {
      rule_a(cells, i);
    } else if (tipo == tipo_cella::inizio_rallentamento) {
      rule_b(cells, i);
      // Rules C and D only for slow slowdowns; D starts where C stopped.
      if (model.cella_at(i).dato1 < kVelocitaLenta) rule_d(cells, rule_c(cells, i));
    }
  }
}

}  // namespace scenario
