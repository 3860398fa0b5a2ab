#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/large_array.h"
#include "base/nearest.h"
#include "compiler/cell_rules.h"
#include "compiler/plan_layout.h"

namespace scenario {

// One entry of the scenario table. The same record serves stations (1 upward),
// sign texts (80 downward) and the header slots 81 to 86; the field order is
// the order of the scenario file.
struct voce_sim {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione = 0;
  uint8_t col4 = 0;
  std::string testo;  // UTF-8 in memory, Windows-1252 on disk
  int16_t col7 = 0;
  int16_t col8 = 0;
  int16_t col10 = 0;
  int16_t col11 = 0;
  int16_t col12 = 0;
  uint8_t col9 = 0;
  uint8_t col13 = 0;
  uint8_t col6 = 0;
  uint8_t col5 = 0;
  int32_t orario = 0;

  bool operator==(const voce_sim&) const = default;
};

// 50 m of line. The object fields (tipo, dato1..dato4, tempo) hold at most one
// object; the marker and profile fields are independent of it.
struct cella {
  uint8_t tipo = 0;
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  uint8_t tempo = 0;
  uint8_t avviso = 0;
  uint8_t montagna = 0;
  uint8_t velocita = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;

  bool operator==(const cella&) const = default;
};

// Object codes of a cell's tipo.
namespace tipo_cella {
inline constexpr uint8_t vuota = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t avviso_rallentamento = 4;
inline constexpr uint8_t prima_avviso = 5;
inline constexpr uint8_t indicatore_v_max = 6;
inline constexpr uint8_t fermata = 10;
inline constexpr uint8_t segno_montagna = 11;
inline constexpr uint8_t abbattimento_valore = 12;
inline constexpr uint8_t abbattimento = 13;
inline constexpr uint8_t cartello = 14;
}  // namespace tipo_cella

// A cell is free when it is empty or holds only a mountain marker.
inline bool libera(const cella& c) { return c.tipo == tipo_cella::vuota || c.tipo == tipo_cella::segno_montagna; }

// The per-metre plan, indexes (0..metri, 0..1), held as the plan file's own
// bytes (plan_layout.h): every x value, then every y value, each a tagged
// value. The metre index runs fastest, so all x values come before all y
// values. A column is built from metre 0 on, one point after the other: its
// first points may be integers (the two starting points), the points after
// them are doubles, and the points never set are empty. The integration
// writes each metre's encoded value straight into place: the memory is not
// cleared beforehand and no value is encoded twice.
//
// The y column starts where a finished plan's x column ends (its two starting
// points, doubles up to the third metre before the last, its two empty last
// metres), so a plan computed as the compiler computes it is already its file.
// A plan that ends otherwise (a compile that stops early, a run past the last
// metre) has its y column moved once, when the bytes are asked for or when the
// x column would reach it.
class Tracciato {
 public:
  void allocate(int32_t metri);  // every point empty
  void release();
  // No plan, as after release(), but the memory is kept for the next one.
  void clear();
  bool allocated() const { return metri_ >= 0; }
  int32_t upper() const { return metri_; }
  std::size_t size() const { return allocated() ? 2 * (static_cast<std::size_t>(metri_) + 1) : 0; }

  // RunTimeFailure outside the array.
  PlanValue at(int32_t metre, int coordinate) const;
  // Sets the next point of its column: `metre` is the first point of the
  // column not yet set, and an integer comes before every double of its
  // column. RunTimeFailure outside the array; std::logic_error for a point out
  // of that order.
  void set(int32_t metre, int coordinate, PlanValue v);

  // The plan's integration, one metre at a time from the last two points,
  // over the metres from..to, the next metres of both columns: straight on,
  // or turning by k per metre (a positive k turns right). Each point is the
  // double of
  //   straight:  p(m) = p(m-1) + (p(m-1) - p(m-2))        for x and for y
  //   curve:     x(m) = x(m-1) + dx + k * dy,  y(m) = y(m-1) + dy - k * dx
  // with d = p(m-1) - p(m-2), in exactly this order of operations: the plan
  // file must be the same bytes on every build. A metre outside the array is
  // a run-time failure, raised after every metre before it is computed, as
  // metre-by-metre access would.
  void run_straight(int32_t from, int32_t to);
  void run_curve(int32_t from, int32_t to, double k);

  // The i-th value in storage order (x column, then y column).
  PlanValue stored(std::size_t i) const;

  // The plan file's bytes: every point set, then the points not set as empty
  // values. Valid until the plan next changes. (The empty values and the
  // place of the y column are settled here, which changes no point.)
  std::string_view bytes() const;

  bool operator==(const Tracciato& other) const;

 private:
  // Where a column's points lie in bytes_: from `start`, its `integers`
  // leading integer points, then its doubles, `count` points in all.
  struct Column {
    std::size_t start = 0;
    int32_t integers = 0;
    int32_t count = 0;
    std::size_t end() const;  // after its last point set
    std::size_t offset_of(int32_t metre) const;
  };

  void check_index(int32_t metre, int coordinate) const;
  [[noreturn]] void out_of_range_failure(int32_t metre, int coordinate) const;
  double value_of(const Column& column, int32_t metre) const;
  // Metres from..last of a run: the next metres of both columns, with room
  // for their doubles before the y column.
  void make_room_for_run(int32_t from, int32_t last);
  void make_room_in_x(std::size_t bytes);
  void move_y_column(std::size_t start) const;
  std::size_t full_bytes(const Column& column) const;  // with its points not set

  int32_t metri_ = -1;
  Column x_;
  mutable Column y_;  // its start may move when the bytes are settled
  // Every x value, then every y value; room for a plan of doubles only. Not
  // cleared: a byte is written when its point is set.
  mutable LargeArray<char> bytes_;
};

inline constexpr int kVociSim = 87;      // entries 0..86
inline constexpr int kMaxMontagne = 80;  // mountains 1..80
inline constexpr int32_t kMaxLunghezza = 1000000;
inline constexpr int32_t kCodaTracciato = 7000;  // metres of plan past the line's end

// Fixed roles of the scenario table.
namespace voce {
inline constexpr int primo_cartello = 80;  // sign texts grow downward from here
inline constexpr int progressiva_tre = 81;
inline constexpr int progressiva_due = 82;
inline constexpr int progressiva_uno = 83;
inline constexpr int treno_e_linea = 84;
inline constexpr int intestazione_linea = 85;
inline constexpr int intestazione_treno = 86;
}  // namespace voce

// Everything the build knows between reading the sources and writing the
// compiled files.
struct TrackModel {
  std::string nome_linea;
  std::string numero_treno;
  int32_t scrivi_linea = 0;
  int32_t metri_tracciato = 0;
  int32_t n_montagne = 0;
  std::string riga;
  int32_t codice_errore = 0;

  std::array<voce_sim, kVociSim> tabella_sim{};
  std::vector<cella> celle;  // indexes 0..n; empty until the line length is read
  Tracciato tracciato;
  std::array<int32_t, kMaxMontagne + 1> montagna_inizio{};
  std::array<int32_t, kMaxMontagne + 1> montagna_fine{};

  // Bounds-checked access: an index outside the array is a run-time failure,
  // never a read or write outside it.
  voce_sim& voce_at(int32_t index);
  cella& cella_at(int32_t index);
  const cella& cella_at(int32_t index) const;
  int32_t& montagna_inizio_at(int32_t index);
  int32_t& montagna_fine_at(int32_t index);

  // Upper bound n of celle (-1 while unallocated).
  int32_t ultima_cella() const { return static_cast<int32_t>(celle.size()) - 1; }

  // Every entry 0..86: numbers 0, text empty.
  void clear_tabella_sim();

  // Back to the state of a program start: every value cleared, no cells and
  // no plan, but the memory of the cells and the plan kept for the next line.
  // For a caller that compiles one scenario after another.
  void reset();

  // Sizes the line for a length in metres: metri_tracciato = length + 7000,
  // celle 0..nearest(metri_tracciato / 50) all zero, and the plan when
  // scrivi_linea is not 0. Discards whatever the arrays held.
  void allocate_line(int32_t length);
};

}  // namespace scenario
