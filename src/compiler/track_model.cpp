#include "compiler/track_model.h"

#include <algorithm>
#include <string>

#include "base/nearest.h"
#include "base/run_time_failure.h"

namespace scenario {

namespace {

[[noreturn]] void out_of_range(const char* array, int64_t index, int64_t upper) {
  throw RunTimeFailure("index " + std::to_string(index) + " outside " + array + " (0 to " + std::to_string(upper) +
                       ")");
}

}  // namespace

void Tracciato::allocate(int32_t metri) {
  metri_ = metri;
  size_ = 2 * (static_cast<std::size_t>(metri) + 1);
  // Memory kept from an earlier plan is used again; new elements come
  // uninitialised and every value in use is set here.
  if (values_.size() < size_) {
    values_.resize(size_);
    kinds_.resize(size_);
  }
  std::fill_n(values_.data(), size_, 0.0);
  std::fill_n(kinds_.data(), size_, PlanValue::Kind::Empty);
}

void Tracciato::release() {
  metri_ = -1;
  size_ = 0;
  values_ = {};
  kinds_ = {};
}

void Tracciato::clear() {
  metri_ = -1;
  size_ = 0;
}

bool Tracciato::operator==(const Tracciato& other) const {
  return metri_ == other.metri_ && std::ranges::equal(stored_values(), other.stored_values()) &&
         std::ranges::equal(stored_kinds(), other.stored_kinds());
}

void Tracciato::out_of_range_failure(int32_t metre, int coordinate) const {
  if (coordinate < 0 || coordinate > 1) out_of_range("tracciato coordinates", coordinate, 1);
  out_of_range("tracciato", metre, metri_);
}

namespace {

// The metres of a run that lie inside a plan of metres 0..metri; a run that
// reaches below metre 2 has no two points to start from.
int32_t last_inside(int32_t from, int32_t to, int32_t metri) {
  if (from < 2) out_of_range("tracciato", from - 2, metri);
  return to < metri ? to : metri;
}

}  // namespace

void Tracciato::run_straight(int32_t from, int32_t to) {
  if (from > to) return;
  const int32_t last = last_inside(from, to, metri_);
  double* const column[2] = {values_.data(), values_.data() + metri_ + 1};
  PlanValue::Kind* const kind[2] = {kinds_.data(), kinds_.data() + metri_ + 1};
  for (int32_t m = from; m <= last; ++m) {
    for (int c = 0; c < 2; ++c) {
      const double previous = column[c][m - 1];
      const double d = previous - column[c][m - 2];
      column[c][m] = previous + d;
      kind[c][m] = PlanValue::Kind::Double;
    }
  }
  if (to > metri_) out_of_range("tracciato", metri_ + 1, metri_);
}

void Tracciato::run_curve(int32_t from, int32_t to, double k) {
  if (from > to) return;
  const int32_t last = last_inside(from, to, metri_);
  double* const xs = values_.data();
  double* const ys = values_.data() + metri_ + 1;
  PlanValue::Kind* const kx = kinds_.data();
  PlanValue::Kind* const ky = kinds_.data() + metri_ + 1;
  for (int32_t m = from; m <= last; ++m) {
    const double x = xs[m - 1];
    const double y = ys[m - 1];
    const double dx = x - xs[m - 2];
    const double dy = y - ys[m - 2];
    xs[m] = x + dx + k * dy;
    ys[m] = y + dy - k * dx;
    kx[m] = PlanValue::Kind::Double;
    ky[m] = PlanValue::Kind::Double;
  }
  if (to > metri_) out_of_range("tracciato", metri_ + 1, metri_);
}

voce_sim& TrackModel::voce_at(int32_t index) {
  if (index < 0 || index >= kVociSim) out_of_range("tabella_sim", index, kVociSim - 1);
  return tabella_sim[static_cast<std::size_t>(index)];
}

cella& TrackModel::cella_at(int32_t index) {
  if (index < 0 || index > ultima_cella()) out_of_range("celle", index, ultima_cella());
  return celle[static_cast<std::size_t>(index)];
}

const cella& TrackModel::cella_at(int32_t index) const {
  if (index < 0 || index > ultima_cella()) out_of_range("celle", index, ultima_cella());
  return celle[static_cast<std::size_t>(index)];
}

int32_t& TrackModel::montagna_inizio_at(int32_t index) {
  if (index < 0 || index > kMaxMontagne) out_of_range("montagna_inizio", index, kMaxMontagne);
  return montagna_inizio[static_cast<std::size_t>(index)];
}

int32_t& TrackModel::montagna_fine_at(int32_t index) {
  if (index < 0 || index > kMaxMontagne) out_of_range("montagna_fine", index, kMaxMontagne);
  return montagna_fine[static_cast<std::size_t>(index)];
}

void TrackModel::clear_tabella_sim() { tabella_sim.fill(voce_sim{}); }

void TrackModel::reset() {
  nome_linea.clear();
  numero_treno.clear();
  scrivi_linea = 0;
  metri_tracciato = 0;
  n_montagne = 0;
  riga.clear();
  codice_errore = 0;
  clear_tabella_sim();
  celle.clear();
  tracciato.clear();
  montagna_inizio.fill(0);
  montagna_fine.fill(0);
}

void TrackModel::allocate_line(int32_t length) {
  metri_tracciato = length + kCodaTracciato;
  const int32_t n = nearest(static_cast<double>(metri_tracciato) / 50.0);
  if (n < 0) throw RunTimeFailure("line length " + std::to_string(length) + " gives no cells");
  celle.assign(static_cast<std::size_t>(n) + 1, cella{});
  if (scrivi_linea != 0) {
    if (metri_tracciato < 0) throw RunTimeFailure("line length " + std::to_string(length) + " gives no plan");
    tracciato.allocate(metri_tracciato);
  } else {
    tracciato.release();
  }
}

}  // namespace scenario
