#include "compiler/track_model.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "base/binary_encoding.h"
#include "base/nearest.h"
#include "base/run_time_failure.h"

namespace scenario {

namespace {

[[noreturn]] void out_of_range(const char* array, int64_t index, int64_t upper) {
  throw RunTimeFailure("index " + std::to_string(index) + " outside " + array + " (0 to " + std::to_string(upper) +
                       ")");
}

constexpr std::size_t kIntegerBytes = plan_value_size(PlanValue::Kind::Integer);
constexpr std::size_t kDoubleBytes = plan_value_size(PlanValue::Kind::Double);
constexpr std::size_t kEmptyBytes = plan_value_size(PlanValue::Kind::Empty);

char* put_type_code(char* at, PlanValue::Kind kind) { return put_little_endian(at, static_cast<uint16_t>(kind)); }

char* put_double(char* at, double v) {
  return put_little_endian(put_type_code(at, PlanValue::Kind::Double), bits_of(v));
}

char* put_integer(char* at, int16_t v) {
  return put_little_endian(put_type_code(at, PlanValue::Kind::Integer), static_cast<uint16_t>(v));
}

// The bytes of a finished x column of metres 0..metri: the two starting
// points, doubles up to metre metri - 2, the last two metres empty.
std::size_t finished_x_bytes(int32_t metri) {
  const std::size_t points = static_cast<std::size_t>(metri) + 1;
  const std::size_t integers = std::min<std::size_t>(2, points);
  const std::size_t doubles = metri > 3 ? static_cast<std::size_t>(metri) - 3 : 0;
  return integers * kIntegerBytes + doubles * kDoubleBytes + (points - integers - doubles) * kEmptyBytes;
}

// The metres of a run that lie inside a plan of metres 0..metri; a run that
// reaches below metre 2 has no two points to start from.
int32_t last_inside(int32_t from, int32_t to, int32_t metri) {
  if (from < 2) out_of_range("tracciato", from - 2, metri);
  return to < metri ? to : metri;
}

[[noreturn]] void out_of_order(const char* what) { throw std::logic_error(std::string("tracciato: ") + what); }

}  // namespace

std::size_t Tracciato::Column::end() const {
  return start + static_cast<std::size_t>(integers) * kIntegerBytes +
         static_cast<std::size_t>(count - integers) * kDoubleBytes;
}

std::size_t Tracciato::Column::offset_of(int32_t metre) const {
  if (metre < integers) return start + static_cast<std::size_t>(metre) * kIntegerBytes;
  return start + static_cast<std::size_t>(integers) * kIntegerBytes +
         static_cast<std::size_t>(metre - integers) * kDoubleBytes;
}

void Tracciato::allocate(int32_t metri) {
  if (metri < 0) out_of_range("tracciato", metri, 0);
  // Room for every point a double; memory kept from an earlier plan is used
  // again. The bytes come uninitialised: each is written when its point is.
  const std::size_t room = 2 * (static_cast<std::size_t>(metri) + 1) * kDoubleBytes;
  if (bytes_.size() < room) {
    metri_ = -1;
    bytes_ = {};  // nothing of the old plan is worth copying
    bytes_.resize(room);
  }
  metri_ = metri;
  x_ = Column{0, 0, 0};
  y_ = Column{finished_x_bytes(metri), 0, 0};
}

void Tracciato::release() {
  metri_ = -1;
  bytes_ = {};
}

void Tracciato::clear() { metri_ = -1; }

void Tracciato::check_index(int32_t metre, int coordinate) const {
  if (metre < 0 || metre > metri_ || coordinate < 0 || coordinate > 1) out_of_range_failure(metre, coordinate);
}

void Tracciato::out_of_range_failure(int32_t metre, int coordinate) const {
  if (coordinate < 0 || coordinate > 1) out_of_range("tracciato coordinates", coordinate, 1);
  out_of_range("tracciato", metre, metri_);
}

double Tracciato::value_of(const Column& column, int32_t metre) const {
  const std::string_view all(bytes_.data(), bytes_.size());
  const std::size_t payload = column.offset_of(metre) + kPlanTypeCodeBytes;
  return metre < column.integers ? int16_at(all, payload) : double_at(all, payload);
}

PlanValue Tracciato::at(int32_t metre, int coordinate) const {
  check_index(metre, coordinate);
  const Column& column = coordinate == 0 ? x_ : y_;
  if (metre >= column.count) return PlanValue{};
  const double value = value_of(column, metre);
  return metre < column.integers ? PlanValue::integer(static_cast<int16_t>(value)) : PlanValue::real(value);
}

PlanValue Tracciato::stored(std::size_t i) const {
  const std::size_t points = static_cast<std::size_t>(metri_ + 1);
  if (i < points) return at(static_cast<int32_t>(i), 0);
  return at(static_cast<int32_t>(i - points), 1);
}

void Tracciato::set(int32_t metre, int coordinate, PlanValue v) {
  check_index(metre, coordinate);
  Column& column = coordinate == 0 ? x_ : y_;
  if (v.kind == PlanValue::Kind::Empty) {
    if (metre < column.count) out_of_order("a point set cannot be emptied again");
    return;  // it is empty already
  }
  if (metre != column.count) out_of_order("a column's points are set in order");
  if (v.kind == PlanValue::Kind::Integer && column.integers != column.count) out_of_order("an integer after a double");
  if (coordinate == 0) make_room_in_x(plan_value_size(v.kind));
  char* at = bytes_.data() + column.end();
  if (v.kind == PlanValue::Kind::Integer) {
    put_integer(at, static_cast<int16_t>(v.value));
    ++column.integers;
  } else {
    put_double(at, v.value);
  }
  ++column.count;
}

// The x column may grow past the place kept for it only when a plan ends
// otherwise than the compiler ends it; the y column then moves as far up as
// an x column can ever reach.
void Tracciato::make_room_in_x(std::size_t bytes) {
  if (x_.end() + bytes > y_.start) move_y_column((static_cast<std::size_t>(metri_) + 1) * kDoubleBytes);
}

void Tracciato::move_y_column(std::size_t start) const {
  std::memmove(bytes_.data() + start, bytes_.data() + y_.start, y_.end() - y_.start);
  y_.start = start;
}

void Tracciato::make_room_for_run(int32_t from, int32_t last) {
  if (x_.count != from || y_.count != from) out_of_order("a run starts after the last point of each column");
  make_room_in_x(static_cast<std::size_t>(last - from + 1) * kDoubleBytes);
}

void Tracciato::run_straight(int32_t from, int32_t to) {
  if (from > to) return;
  const int32_t last = last_inside(from, to, metri_);
  if (from <= last) {
    make_room_for_run(from, last);
    double x1 = value_of(x_, from - 1), x2 = value_of(x_, from - 2);
    double y1 = value_of(y_, from - 1), y2 = value_of(y_, from - 2);
    char* x_at = bytes_.data() + x_.end();
    char* y_at = bytes_.data() + y_.end();
    for (int32_t m = from; m <= last; ++m) {
      const double dx = x1 - x2;
      const double x = x1 + dx;
      const double dy = y1 - y2;
      const double y = y1 + dy;
      x_at = put_double(x_at, x);
      y_at = put_double(y_at, y);
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
    }
    x_.count = y_.count = last + 1;
  }
  if (to > metri_) out_of_range("tracciato", metri_ + 1, metri_);
}

void Tracciato::run_curve(int32_t from, int32_t to, double k) {
  if (from > to) return;
  const int32_t last = last_inside(from, to, metri_);
  if (from <= last) {
    make_room_for_run(from, last);
    double x1 = value_of(x_, from - 1), x2 = value_of(x_, from - 2);
    double y1 = value_of(y_, from - 1), y2 = value_of(y_, from - 2);
    char* x_at = bytes_.data() + x_.end();
    char* y_at = bytes_.data() + y_.end();
    for (int32_t m = from; m <= last; ++m) {
      const double dx = x1 - x2;
      const double dy = y1 - y2;
      const double x = x1 + dx + k * dy;
      const double y = y1 + dy - k * dx;
      x_at = put_double(x_at, x);
      y_at = put_double(y_at, y);
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
    }
    x_.count = y_.count = last + 1;
  }
  if (to > metri_) out_of_range("tracciato", metri_ + 1, metri_);
}

std::size_t Tracciato::full_bytes(const Column& column) const {
  const std::size_t not_set = static_cast<std::size_t>(metri_ + 1 - column.count);
  return column.end() - column.start + not_set * kEmptyBytes;
}

std::string_view Tracciato::bytes() const {
  if (!allocated()) return {};
  const std::size_t x_bytes = full_bytes(x_);
  if (y_.start != x_bytes) move_y_column(x_bytes);
  const Column* const columns[] = {&x_, &y_};
  for (const Column* column : columns) {
    char* at = bytes_.data() + column->end();
    for (int32_t m = column->count; m <= metri_; ++m) at = put_type_code(at, PlanValue::Kind::Empty);
  }
  return {bytes_.data(), x_bytes + full_bytes(y_)};
}

bool Tracciato::operator==(const Tracciato& other) const {
  if (metri_ != other.metri_) return false;
  if (!allocated()) return true;
  const auto same_column = [this, &other](const Column& a, const Column& b) {
    return a.integers == b.integers && a.count == b.count &&
           std::equal(bytes_.data() + a.start, bytes_.data() + a.end(), other.bytes_.data() + b.start);
  };
  return same_column(x_, other.x_) && same_column(y_, other.y_);
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
  const int32_t n = last_cell_of(metri_tracciato);
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
