#include "recovery/decompile.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "compiler/cell_rules.h"
#include "compiler/codes.h"
#include "compiler/model_names.h"
#include "compiler/progressive_ordina.h"
#include "compiler/source_format.h"
#include "compiler/track_model.h"
#include "output/competition_codes.h"
#include "output/finishing_pass.h"
#include "output/memorizza_percorso.h"
#include "recovery/mountain_recovery.h"

namespace scenario {

namespace {

constexpr std::string_view kRecoveredComment = "recovered from compiled files by scenario_tool decompile";

// A source file's lines by the sections of its format: every header in the
// format's order, each followed by what the file holds for it.
class SectionedLines {
 public:
  explicit SectionedLines(const SourceFormat& format) : format_(format), bodies_(format.sections.size()) {}

  // The lines of the section that holds records `id`.
  std::vector<SourceLine>& of(Record id) {
    for (std::size_t i = 0; i < format_.sections.size(); ++i) {
      const std::span<const Record> records = format_.sections[i].records;
      if (std::find(records.begin(), records.end(), id) != records.end()) return bodies_[i];
    }
    throw std::logic_error("no section of the file holds the record");
  }

  std::vector<SourceLine> lines(std::string_view comment) && {
    std::vector<SourceLine> out = {SourceLine::comment(comment)};
    for (std::size_t i = 0; i < format_.sections.size(); ++i) {
      out.push_back(SourceLine::header(format_.sections[i].header));
      for (SourceLine& l : bodies_[i]) out.push_back(std::move(l));
    }
    return out;
  }

 private:
  const SourceFormat& format_;
  std::vector<std::vector<SourceLine>> bodies_;
};

// What a build added and what an object left in its cell, undone into the
// cells as the compile step left them.
struct Work {
  const CompiledFiles& files;
  std::vector<cella> cells;  // before the fixed values and the finishing marks
  std::vector<bool> mark;    // the cell holds a mark of the finishing pass
  int32_t n = 0;             // last cell
  std::vector<Finding>& findings;

  const cella& at(int32_t c) const { return cells[static_cast<std::size_t>(c)]; }
  void find(int32_t code, std::string where, std::string what) {
    findings.push_back({std::move(where), std::move(what), code});
  }
  // An object in cell c needs a progressive that passes the compiler's range
  // check.
  bool object_in_range(int32_t c, const char* what) {
    if (within_line(object_progressive(c), n)) return true;
    find(code::object_out_of_reach, cell_place(c),
         std::string("a ") + what + " in the last cell, where no record can place one");
    return false;
  }
};

// --- what a build adds ---------------------------------------------------

void undo_fixed_values(Work& w) {
  TrackModel names;
  names.tabella_sim[voce::intestazione_linea].testo = w.files.table[voce::intestazione_linea].testo;
  names.tabella_sim[voce::intestazione_treno].testo = w.files.table[voce::intestazione_treno].testo;
  const int16_t og = codice_gara_og(names);
  const int32_t st = codice_gara_st(names);
  cella& first = w.cells[1];
  if (first.dato1 != kValoreFissoCella) {
    w.find(code::fixed_value_altered, cell_place(1),
           "dato1 is " + std::to_string(first.dato1) + "; every build stores " + std::to_string(kValoreFissoCella) +
               " there");
  }
  if (first.dato2 != og) {
    w.find(
        code::competition_code_altered, cell_place(1),
        "dato2 is " + std::to_string(first.dato2) + "; the competition code of these names is " + std::to_string(og));
  }
  first.dato1 = 0;
  first.dato2 = 0;
  const voce_sim& linea = w.files.table[voce::intestazione_linea];
  if (linea.col7 != kValoreFissoLinea) {
    w.find(code::fixed_value_altered, entry_place(voce::intestazione_linea),
           "col7 is " + std::to_string(linea.col7) + "; every build stores " + std::to_string(kValoreFissoLinea));
  }
  if (linea.orario != st) {
    w.find(
        code::competition_code_altered, entry_place(voce::intestazione_linea),
        "orario is " + std::to_string(linea.orario) + "; the competition code of these names is " + std::to_string(st));
  }
}

bool is_mark(const cella& c) { return c.tipo == tipo_cella::abbattimento_valore && c.dato1 == kValoreSegno; }

// The finishing pass marks free cells with abatement points of 180, as an
// author may too. Every such point is first taken for a mark; the pass is run
// again on the cells without them, and each one it does not mark is the
// author's, until the pass gives exactly the cells of the files.
void undo_finishing_marks(Work& w) {
  std::vector<int32_t> candidates;
  for (int32_t c = 0; c <= w.n; ++c) {
    if (is_mark(w.at(c))) candidates.push_back(c);
  }
  std::vector<bool> authors(w.cells.size());
  TrackModel scratch;
  // The cells without the candidates not taken for the author's, and what
  // the pass makes of them.
  const auto cells_without_marks = [&](const std::vector<bool>& theirs) {
    std::vector<cella> before = w.cells;
    for (const int32_t c : candidates) {
      if (theirs[static_cast<std::size_t>(c)]) continue;
      before[static_cast<std::size_t>(c)].tipo = tipo_cella::vuota;
      before[static_cast<std::size_t>(c)].dato1 = 0;
    }
    return before;
  };
  const auto pass_gives_the_files = [&](const std::vector<cella>& before) {
    scratch.celle = before;
    CompileReport unused;
    finishing_sweep(scratch, unused);
    return scratch.celle == w.cells;
  };
  for (std::size_t round = 0; round <= candidates.size(); ++round) {
    std::vector<cella> before = cells_without_marks(authors);
    bool same = pass_gives_the_files(before);
    bool changed = false;
    if (!same) {
      for (const int32_t c : candidates) {
        const auto i = static_cast<std::size_t>(c);
        if (!authors[i] && !is_mark(scratch.celle[i])) {
          authors[i] = true;
          changed = true;
        }
      }
    }
    if (!same && !changed) {
      // A point the pass marks again may still be the author's: an author's
      // point of 180 can keep the pass from marking another cell. Tried one
      // at a time, one that gives the files' cells is the author's.
      for (const int32_t c : candidates) {
        const auto i = static_cast<std::size_t>(c);
        if (authors[i]) continue;
        std::vector<bool> tried = authors;
        tried[i] = true;
        std::vector<cella> with = cells_without_marks(tried);
        if (pass_gives_the_files(with)) {
          authors = std::move(tried);
          before = std::move(with);
          same = true;
          break;
        }
      }
      if (!same) pass_gives_the_files(before);  // the closest cells, for the finding
    }
    if (same || !changed) {
      if (!same) {
        for (int32_t c = 0; c <= w.n; ++c) {
          if (!(scratch.celle[static_cast<std::size_t>(c)] == w.at(c))) {
            w.find(code::finishing_marks_unexplained, cell_place(c),
                   "the finishing pass, run again on the recovered cells, does not give this cell");
            break;
          }
        }
      }
      for (const int32_t c : candidates) w.mark[static_cast<std::size_t>(c)] = !authors[static_cast<std::size_t>(c)];
      w.cells = std::move(before);
      return;
    }
  }
}

// The fields an object of each kind leaves in its cell; any other field of the
// cell must be 0.
void check_leftovers(Work& w) {
  for (int32_t c = 0; c <= w.n; ++c) {
    const cella& cell = w.at(c);
    // dato1, dato2, dato3, dato4, tempo
    std::array<bool, 5> may{};
    switch (cell.tipo) {
      case tipo_cella::segnale:
        may = {true, true, true, true, true};
        break;
      case tipo_cella::fermata:
        may = {true, true, true, true, true};  // the stop keeps what was in its cell before
        break;
      case tipo_cella::fine_rallentamento:
      case tipo_cella::inizio_rallentamento:
        may = {true, true, true, false, false};
        break;
      case tipo_cella::avviso_rallentamento:
        may = {true, true, true, false, false};  // dato3 when the slowdown ends at its own board
        break;
      case tipo_cella::prima_avviso:
        may = {true, true, false, false, false};
        break;
      case tipo_cella::indicatore_v_max:
        may = {true, true, true, true, false};
        break;
      case tipo_cella::abbattimento_valore:
      case tipo_cella::cartello:
        may = {true, false, false, false, false};
        break;
      case tipo_cella::vuota:
      case tipo_cella::segno_montagna:
      case tipo_cella::abbattimento:
        break;
      default:
        w.find(code::cell_unexplained, cell_place(c), "tipo " + std::to_string(cell.tipo) + ", which no record makes");
        continue;
    }
    const std::array<int64_t, 5> values = {cell.dato1, cell.dato2, cell.dato3, cell.dato4, cell.tempo};
    static constexpr std::array<const char*, 5> kNames = {"dato1", "dato2", "dato3", "dato4", "tempo"};
    for (std::size_t f = 0; f < values.size(); ++f) {
      if (!may[f] && values[f] != 0) {
        w.find(code::cell_unexplained, cell_place(c),
               std::string(kNames[f]) + " is " + std::to_string(values[f]) + " in a cell with " +
                   std::string(object_name(cell.tipo)) + ", where no record leaves a value");
        break;
      }
    }
  }
}

// --- profiles ----------------------------------------------------------------

// Rows of a profile (progressive, cell value) that give `values` to the cells.
// A row at progressive p ends the section before cell nearest(p / 50): the
// cells from the last one written up to there get the value carried so far
// (one cell when the row does not reach past it); after the last row the
// value runs on to the third cell before the last. Rows where the value
// changes; rows at the last progressive a row may have, one cell each, for
// the three cells after that.
std::vector<std::pair<int32_t, int32_t>> profile_rows(const std::vector<int32_t>& values, int32_t n) {
  std::vector<std::pair<int32_t, int32_t>> rows = {{0, values[0]}};
  int32_t written_to = std::max(n - 3, 0);
  for (int32_t c = n; c > written_to; --c) {
    if (values[static_cast<std::size_t>(c)] != 0) {
      written_to = c;
      break;
    }
  }
  const int32_t last_change = std::min(written_to, n - 3);
  for (int32_t c = 1; c <= last_change; ++c) {
    if (values[static_cast<std::size_t>(c)] != values[static_cast<std::size_t>(c) - 1]) {
      rows.push_back({static_cast<int32_t>(boundary_progressive(c)), values[static_cast<std::size_t>(c)]});
    }
  }
  for (int32_t c = std::max(n - 2, 1); c <= written_to; ++c) {
    rows.push_back({static_cast<int32_t>(boundary_progressive(n - 2)), values[static_cast<std::size_t>(c)]});
  }
  return rows;
}

// The cells the compiler writes from profile rows (as the gradient, speed and
// adhesion rows do; the speed rows never write the last cell).
std::vector<int32_t> run_profile(const std::vector<std::pair<int32_t, int32_t>>& rows, int32_t n, bool speed) {
  std::vector<int32_t> cells(static_cast<std::size_t>(n) + 1, 0);
  int32_t r = 0;
  int32_t carried = 0;
  const auto write = [&]() {
    if (r >= 0 && r <= n) cells[static_cast<std::size_t>(r)] = carried;
    ++r;
  };
  for (const auto& [p, v] : rows) {
    const int32_t c = boundary_cell(p);
    if (c > 0) {
      do {
        if (speed && r >= n) break;
        write();
      } while (r < c);
    }
    carried = v;
  }
  do {
    write();
  } while (r < n - 2);
  return cells;
}

void add_profile(Work& w, std::vector<SourceLine>& lines, Record record, const char* field_name,
                 std::vector<int32_t> cells, int32_t (*source_value)(int32_t)) {
  const auto rows = profile_rows(cells, w.n);
  const std::vector<int32_t> again = run_profile(rows, w.n, record == Record::velocita);
  for (int32_t c = 0; c <= w.n; ++c) {
    if (again[static_cast<std::size_t>(c)] != cells[static_cast<std::size_t>(c)]) {
      w.find(code::profile_unexplained, cell_place(c),
             std::string("no ") + std::string(record_format(record).keyword) + " rows give this " + field_name);
      break;
    }
  }
  for (const auto& [p, v] : rows) lines.push_back(SourceLine::of(make_record(record, {p, source_value(v)})));
}

// --- the scenario table ------------------------------------------------------

bool empty_entry(const voce_sim& e) { return e == voce_sim{}; }
bool text_only(const voce_sim& e) {
  voce_sim numbers = e;
  numbers.testo.clear();
  return empty_entry(numbers);
}

// A text the reader gives back as it stands: no comma or line end in it, and
// no blank at its start (blanks before a field are skipped).
std::string readable_text(Work& w, const std::string& text, const std::string& where) {
  std::string t = text;
  bool changed = false;
  for (char& ch : t) {
    if (ch == ',' || ch == '\r' || ch == '\n') {
      ch = ';';
      changed = true;
    }
  }
  const std::size_t start = t.find_first_not_of(" \t");
  if (start != 0 && !t.empty()) {
    t.erase(0, start == std::string::npos ? t.size() : start);
    changed = true;
  }
  if (changed) {
    w.find(code::text_unreadable, where,
           "the text \"" + text + "\" holds a comma, a line end or a leading blank, which no source gives back");
  }
  return t;
}

// Whether the compiler's rule gives the station's stored area from this
// length and column 6.
bool area_again(const voce_sim& s, int64_t length, bool col6) {
  if (length < INT32_MIN || length > INT32_MAX) return false;
  voce_sim again = s;
  again.col6 = col6 ? 1 : 0;
  try {
    set_station_area(again, static_cast<int32_t>(length));
  } catch (const RunTimeFailure&) {
    return false;
  }
  return again.inizio == s.inizio && again.fine == s.fine;
}

struct Station {
  int entry = 0;
  SourceRecord record;
  int32_t fine = 0;
  std::optional<int32_t> stop;                     // its stop cell
  std::vector<std::pair<int32_t, int32_t>> marks;  // approach markers: (cell, 80 + k)
};

std::vector<Station> recover_stations(Work& w, int count) {
  std::vector<Station> stations;
  for (int e = 1; e <= count; ++e) {
    const voce_sim& s = w.files.table[static_cast<std::size_t>(e)];
    const std::string where = entry_place(e) + " (station \"" + s.testo + "\")";
    const StationSource source = station_source(s.posizione, s.tipo, s.inizio, s.fine);
    const int64_t length = source.length;
    int64_t col6 = s.col6;
    const int64_t pos = s.posizione;
    if (!area_again(s, length, source.col6)) {
      w.find(code::station_unexplained, where,
             s.tipo == 5 || s.tipo == 6 ? "a station of type 5 or 6 ends 150 m past its progressive; this one does not"
             : s.tipo == 7 || s.tipo == 8
                 ? "a station of type 7 or 8 reaches as far after its progressive as before"
                 : "the area does not end half its length, or 50 m more, after the progressive");
    }
    if (s.tipo < 5 || s.tipo > 8) {
      if (e == 1) {
        col6 = source.col6 ? 1 : 0;  // the first station's column 6 is cleared after it sets the area
      } else if ((s.col6 != 0) != source.col6) {
        w.find(code::station_unexplained, where, "column 6 and the end of the area do not agree");
      }
    }
    if ((s.tipo >= 5 && s.tipo <= 8) && s.col6 != 0)
      w.find(code::station_unexplained, where, "column 6 is cleared for types 5 to 8");
    if (length % 100 != 0)
      w.find(code::station_unexplained, where, "the area gives a length that is not a multiple of 100 m");
    if (s.col5 != 0 && (length < 600 || e == 1)) {
      w.find(code::station_unexplained, where, "column 5 is cleared for the first station and a length under 600 m");
    }
    if (pos % 50 != 0) w.find(code::station_unexplained, where, "the progressive is not a multiple of 50");
    if (!within_line(pos, w.n, kStationMargin))
      w.find(code::station_unexplained, where, "the station lies beyond the end of the line");
    if (e > 1 && int64_t{s.inizio} - kStationGap < w.files.table[static_cast<std::size_t>(e) - 1].fine) {
      w.find(code::station_unexplained, where, "the area begins less than 350 m after the previous station's ends");
    }
    const int32_t hours = s.orario / 3600;
    const int32_t minutes = s.orario % 3600 / 60;
    const int32_t seconds = s.orario % 60;

    Station station;
    station.entry = e;
    station.fine = s.fine;
    station.record = make_record(Record::stazione,
                                 {pos, s.tipo, length, s.col4, s.col5, col6, s.col7, s.col8, s.col9, s.col10, s.col11,
                                  s.col12, s.col13, hours, minutes, seconds},
                                 readable_text(w, s.testo, where));
    if (station_marks_approach(s.tipo)) {
      for (int32_t k = 1; k <= 4; ++k) {
        if (const auto c = station_marker_cell(s.fine, k)) station.marks.push_back({*c, station_marker(k)});
      }
    }
    if (station_stops(s.tipo)) {
      station.stop = station_stop_cell(s.fine);
      if (!station.stop)
        w.find(code::station_unexplained, where,
               "the area ends at progressive 100 or less: there is no cell for its stop");
    }
    stations.push_back(std::move(station));
  }
  return stations;
}

// --- signals and the approach markers ----------------------------------------

struct Signal {
  int32_t cell = 0;
  cella fields;
  std::optional<int> before_station;  // a signal under a stop comes before that station (index into the stations)
  int32_t sides = 0;                  // sx x 3 + dx, as chosen
};

// The signal's record, with the sides chosen for its approach markers.
SourceRecord signal_record(const Signal& s) {
  const SignalValues v = signal_values(s.fields, s.sides);
  return make_record(Record::segnale, {object_progressive(s.cell), v.sx, v.s1, v.s2, v.s3, v.rapp, v.dx, v.d1, v.d2,
                                       v.d3, signal_time_source(s.fields.tempo)});
}

// Signals and stations write approach markers over whatever the cells hold,
// so the last to write a cell decides it. Taken from the last writer back:
// a signal or a station can be the last of those left when every marker it
// writes is in the files or is written again by one taken already; signals
// choose their sides to fit. Stations keep their order, a signal under a stop
// comes before its station. Returns the order to write them in: stations as
// -1 - index into `stations`, signals as their index; `stuck` when no order
// fits, and in `unwritten` the cells with a marker that none of them writes.
std::vector<int> order_marker_writers(Work& w, const std::vector<Station>& stations, std::vector<Signal>& signals,
                                      bool& stuck, std::vector<int32_t>& unwritten) {
  stuck = false;
  unwritten.clear();
  std::vector<bool> covered(w.cells.size());
  const auto avviso = [&](int32_t c) { return static_cast<int32_t>(w.at(c).avviso); };
  const auto inside = [&](int32_t c) { return c >= 0 && c <= w.n; };
  std::vector<bool> signal_taken(signals.size());
  int last_station = static_cast<int>(stations.size()) - 1;  // stations are taken from the last
  std::vector<int> reverse;

  // The sides that make a signal's uncovered markers those of the files.
  const auto fitting_sides = [&](const Signal& s) -> std::optional<int32_t> {
    std::optional<int32_t> sides;
    for (int32_t k = 1; k <= 4; ++k) {
      const int32_t c = approach_marker_cell(s.cell, k);
      if (!inside(c) || covered[static_cast<std::size_t>(c)]) continue;
      if (!sides) {
        sides = sides_of_marker(static_cast<uint8_t>(avviso(c)), k, natural_sides(s.fields.dato4));
        if (!sides) return std::nullopt;
      }
      if (approach_marker(*sides, k) != avviso(c)) return std::nullopt;
    }
    if (!sides) return natural_sides(s.fields.dato4);
    if ((s.fields.dato4 - *sides) % 2 != 0) return std::nullopt;
    return sides;
  };
  const auto station_fits = [&](const Station& st) {
    for (const auto& [c, v] : st.marks) {
      if (inside(c) && !covered[static_cast<std::size_t>(c)] && avviso(c) != v) return false;
    }
    return true;
  };
  const auto cover = [&](int32_t c) {
    if (inside(c)) covered[static_cast<std::size_t>(c)] = true;
  };

  // Signals from the highest cell down, so that they come out in ascending
  // order after the stations, as the template writes them.
  std::vector<int> by_cell(signals.size());
  for (std::size_t i = 0; i < signals.size(); ++i) by_cell[i] = static_cast<int>(i);
  std::sort(by_cell.begin(), by_cell.end(), [&](int a, int b) { return signals[a].cell > signals[b].cell; });

  std::size_t left = signals.size() + stations.size();
  while (left > 0) {
    bool took = false;
    for (const int i : by_cell) {
      Signal& s = signals[static_cast<std::size_t>(i)];
      if (signal_taken[static_cast<std::size_t>(i)]) continue;
      if (s.before_station && *s.before_station <= last_station) continue;  // its station comes after it
      const auto sides = fitting_sides(s);
      if (!sides) continue;
      s.sides = *sides;
      for (int32_t k = 1; k <= 4; ++k) cover(approach_marker_cell(s.cell, k));
      signal_taken[static_cast<std::size_t>(i)] = true;
      reverse.push_back(i);
      took = true;
      break;
    }
    if (!took && last_station >= 0 && station_fits(stations[static_cast<std::size_t>(last_station)])) {
      for (const auto& [c, v] : stations[static_cast<std::size_t>(last_station)].marks) cover(c);
      reverse.push_back(-1 - last_station);
      --last_station;
      took = true;
    }
    if (!took) {
      // Nothing fits: the closest order takes the rest as they come.
      for (const int i : by_cell) {
        if (!signal_taken[static_cast<std::size_t>(i)]) {
          signal_taken[static_cast<std::size_t>(i)] = true;
          signals[static_cast<std::size_t>(i)].sides = natural_sides(signals[static_cast<std::size_t>(i)].fields.dato4);
          reverse.push_back(i);
          for (int32_t k = 1; k <= 4; ++k) cover(approach_marker_cell(signals[static_cast<std::size_t>(i)].cell, k));
        }
      }
      for (; last_station >= 0; --last_station) {
        for (const auto& [c, v] : stations[static_cast<std::size_t>(last_station)].marks) cover(c);
        reverse.push_back(-1 - last_station);
      }
      stuck = true;
      break;
    }
    --left;
  }
  for (int32_t c = 0; c <= w.n; ++c) {
    if (avviso(c) != 0 && !covered[static_cast<std::size_t>(c)]) unwritten.push_back(c);
  }
  return {reverse.rbegin(), reverse.rend()};
}

// --- slowdowns ---------------------------------------------------------------

struct Slowdowns {
  std::vector<SourceRecord> records;
  std::vector<SourceRecord> early;  // with a piece under a station stop: before the stations
  std::set<int32_t> stops;          // the stop cells whose leftovers they explain
};

// A slowdown is its start, its end (the start's own cell when it ends there),
// its warning board 1200 m before it from 1500 m on and, when flagged, the
// four cells before the board. A station's stop may cover any piece of one
// written before it, leaving the piece's values but dato1.
class SlowdownFinder {
 public:
  SlowdownFinder(Work& w, const std::map<int32_t, int>& stops) : w_(w), stops_(stops) {
    for (int32_t c = 0; c <= w.n; ++c) {
      if (w.at(c).tipo == tipo_cella::fine_rallentamento) ends_.insert(c);
    }
  }

  Slowdowns find() {
    for (int32_t s = 0; s <= w_.n; ++s) {
      const cella& start = w_.at(s);
      if (start.tipo != tipo_cella::inizio_rallentamento || !w_.object_in_range(s, "slowdown start")) continue;
      add(s, start.dato1, start.dato2, start.dato3, false);
    }
    // Ends and boards whose start a stop covers.
    for (const int32_t e : std::set<int32_t>(ends_)) {
      const cella& end = w_.at(e);
      for (const auto& [x, station] : stops_) {
        if (ends_.contains(e) && covered(x, end.dato2, end.dato3) && x <= w_.n - 1 &&
            has_board(x, end.dato1, end.dato2)) {
          claim(x);
          add(x, end.dato1, end.dato2, end.dato3, true);
        }
      }
    }
    for (int32_t b = 0; b <= w_.n; ++b) {
      const cella& board = w_.at(b);
      if (board.tipo != tipo_cella::avviso_rallentamento || used_.contains(b)) continue;
      const int32_t x = slowdown_start_cell(b);
      if (covered(x, board.dato2, std::nullopt) && x <= w_.n - 1) {
        claim(x);
        add(x, board.dato1, board.dato2, w_.at(x).dato3, true);
      }
    }
    for (const int32_t e : ends_)
      w_.find(code::slowdown_unexplained, cell_place(e), "a slowdown end without a start of the same values");
    for (int32_t c = 0; c <= w_.n; ++c) {
      const uint8_t t = w_.at(c).tipo;
      if ((t == tipo_cella::avviso_rallentamento || t == tipo_cella::prima_avviso) && !used_.contains(c)) {
        w_.find(code::slowdown_unexplained, cell_place(c),
                std::string("a ") + std::string(object_name(t)) + " that belongs to no slowdown start");
      }
    }
    return std::move(out_);
  }

 private:
  bool is(int32_t c, uint8_t tipo) const { return c >= 0 && c <= w_.n && w_.at(c).tipo == tipo; }

  // A stop cell, not yet explained, that kept these values of a piece.
  bool covered(int32_t c, int16_t dato2, std::optional<int16_t> dato3) const {
    if (!stops_.contains(c) || out_.stops.contains(c) || !is(c, tipo_cella::fermata)) return false;
    const cella& cell = w_.at(c);
    return cell.dato2 == dato2 && (!dato3 || cell.dato3 == *dato3) && cell.dato4 == 0 && cell.tempo == 0;
  }
  void claim(int32_t c) {
    out_.stops.insert(c);
    early_ = true;
  }

  bool board_at(int32_t b, int16_t v, int16_t dv) const {
    return (is(b, tipo_cella::avviso_rallentamento) && w_.at(b).dato1 == v && w_.at(b).dato2 == dv &&
            !used_.contains(b)) ||
           covered(b, dv, 0);
  }
  bool has_board(int32_t s, int16_t v, int16_t dv) const {
    return slowdown_start(s, false).has_value() || board_at(warning_board_cell(s), v, dv);
  }

  // The four cells from h down: dato1 1 to 4, and the same in dato2 with a
  // second speed.
  bool before_board(int32_t h, bool second) const {
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t c = h - i;
      const int16_t d2 = second ? static_cast<int16_t>(i + 1) : 0;
      const bool visible =
          is(c, tipo_cella::prima_avviso) && w_.at(c).dato1 == i + 1 && w_.at(c).dato2 == d2 && !used_.contains(c);
      if (!visible && !covered(c, d2, 0)) return false;
    }
    return true;
  }
  void use(int32_t c) {
    if (is(c, tipo_cella::fermata)) {
      claim(c);
    } else {
      used_.insert(c);
    }
  }

  void add(int32_t s, int16_t v, int16_t dv, int16_t ftt, bool start_covered) {
    early_ = start_covered;
    // Every start in a cell beyond 1500 m has a board; in the one cell where
    // a start may have one or not, the board decides.
    const std::optional<int64_t> without_board = slowdown_start(s, false);
    const std::optional<int64_t> with_board = slowdown_start(s, true);
    const int32_t b = warning_board_cell(s);
    int64_t x = object_progressive(s);
    bool board = false;
    if (!without_board || (with_board && board_at(b, v, dv))) {
      if (!board_at(b, v, dv)) {
        w_.find(code::slowdown_unexplained, cell_place(s),
                "a slowdown start beyond 1500 m without its warning board 1200 m before it");
      } else {
        board = true;
        use(b);
      }
      x = *with_board;
    } else {
      x = *without_board;
    }
    int64_t f_ta = 0;
    int64_t d_v = dv;
    int64_t gap = 0;  // metres the start stands before its cell's progressive
    if (board) {
      // The four cells start at nearest((x - 1200) / 50): the cell next to the
      // board, or, for a start 25 m past a multiple of 100 (an even start
      // cell), the one after that, leaving a gap before the board.
      std::vector<int32_t> firsts = {b - 1};
      if (s % 2 == 0) firsts.push_back(b - 2);
      for (const int32_t h : firsts) {
        for (const bool second : {dv != 0, true}) {
          if (f_ta == 0 && before_board(h, second)) {
            f_ta = 1;
            for (int32_t i = 0; i < 4; ++i) use(h - i);
            if (dv == 0 && second) d_v = 65536;  // a second speed whose low 16 bits are 0
            if (h == b - 2) gap = 25;
          }
        }
      }
    }
    // The end: one of the same values, the nearest after the start, else
    // before it; the board's own cell when it holds the flag; else the start's.
    std::optional<int32_t> end;
    const auto matches = [&](int32_t e) {
      const cella& c = w_.at(e);
      return c.dato1 == v && c.dato2 == dv && c.dato3 == ftt;
    };
    for (auto it = ends_.lower_bound(s); it != ends_.end() && !end; ++it) {
      if (matches(*it)) end = *it;
    }
    for (auto it = ends_.begin(); it != ends_.end() && *it < s && !end; ++it) {
      if (matches(*it)) end = *it;
    }
    if (end) {
      ends_.erase(*end);
    } else if (board && ftt != 0 && is(b, tipo_cella::avviso_rallentamento) && w_.at(b).dato3 == ftt) {
      end = b;
    }
    if (board && is(b, tipo_cella::avviso_rallentamento) && w_.at(b).dato3 != 0 && end != b) {
      w_.find(code::slowdown_unexplained, cell_place(b),
              "a slowdown warning board with a flag, which only a slowdown ending at its board has");
    }
    // The end is start + length: a start moved back by `gap` takes as much
    // more length.
    x -= gap;
    const int64_t l = end ? 50 * (int64_t{*end} - s) + gap : 0;
    SourceRecord record = make_record(Record::rallentamento, {x, v, l, ftt, f_ta, d_v});
    (early_ ? out_.early : out_.records).push_back(std::move(record));
  }

  Work& w_;
  const std::map<int32_t, int>& stops_;
  std::set<int32_t> ends_;
  std::set<int32_t> used_;  // boards and the cells before them
  bool early_ = false;      // the slowdown being added has a piece under a stop
  Slowdowns out_;
};

// --- the general block ---------------------------------------------------------

// The three kilometre references as the source gives them: "uno", "due",
// "tre". The stored ones are ordered and raised by 100 where the direction
// flag is 1; every assignment of the unraised ones is ordered again by the
// compiler's own ordering until one gives the stored entries.
std::array<voce_sim, 3> source_references(Work& w) {
  std::array<voce_sim, 3> stored{};
  for (int i = 0; i < 3; ++i) {
    const voce_sim& e = w.files.table[static_cast<std::size_t>(voce::progressiva_tre + i)];
    stored[static_cast<std::size_t>(i)].inizio = e.inizio;
    stored[static_cast<std::size_t>(i)].fine = e.fine;
    stored[static_cast<std::size_t>(i)].posizione = e.posizione;
  }
  std::array<voce_sim, 3> unraised = stored;
  for (voce_sim& r : unraised) {
    if (r.posizione == 1) r.fine -= 100;
  }
  // Tried first: the references numbered by their start, the empty ones last.
  std::array<int, 3> preferred = {0, 1, 2};
  std::stable_sort(preferred.begin(), preferred.end(), [&](int a, int b) {
    const voce_sim& x = unraised[static_cast<std::size_t>(a)];
    const voce_sim& y = unraised[static_cast<std::size_t>(b)];
    return std::pair(x == voce_sim{}, x.inizio) < std::pair(y == voce_sim{}, y.inizio);
  });
  std::array<int, 3> order = {0, 1, 2};  // positions in `preferred` of "uno", "due", "tre"
  TrackModel scratch;
  do {
    std::array<voce_sim, 3> refs{};
    for (std::size_t i = 0; i < 3; ++i) {
      refs[i] = unraised[static_cast<std::size_t>(preferred[static_cast<std::size_t>(order[i])])];
    }
    scratch.tabella_sim[voce::progressiva_uno] = refs[0];
    scratch.tabella_sim[voce::progressiva_due] = refs[1];
    scratch.tabella_sim[voce::progressiva_tre] = refs[2];
    progressive_ordina(scratch);
    if (scratch.tabella_sim[voce::progressiva_tre] == stored[0] &&
        scratch.tabella_sim[voce::progressiva_due] == stored[1] &&
        scratch.tabella_sim[voce::progressiva_uno] == stored[2]) {
      return refs;
    }
  } while (std::next_permutation(order.begin(), order.end()));
  w.find(code::general_unexplained, entry_place(voce::progressiva_tre) + " to " + std::to_string(voce::progressiva_uno),
         "no three kilometre references give these entries once ordered");
  return {stored[2], stored[1], stored[0]};
}

std::vector<SourceLine> general_block(Work& w) {
  const auto& t = w.files.table;
  const voce_sim& linea = t[voce::intestazione_linea];
  const voce_sim& treno = t[voce::intestazione_treno];
  std::vector<SourceLine> lines;
  lines.push_back(SourceLine::of(make_record(Record::lunghezza_percorso, {t[voce::treno_e_linea].fine})));
  const auto refs = source_references(w);
  const Record ids[] = {Record::progressiva_uno, Record::progressiva_due, Record::progressiva_tre};
  for (std::size_t i = 0; i < 3; ++i) {
    lines.push_back(SourceLine::of(make_record(ids[i], {refs[i].inizio, refs[i].fine, refs[i].posizione})));
  }
  lines.push_back(SourceLine::of(make_record(Record::sfondo_uno, {linea.inizio})));
  lines.push_back(SourceLine::of(make_record(Record::sfondo_due, {linea.posizione})));
  lines.push_back(SourceLine::of(make_record(Record::sfondo_tre, {linea.fine})));
  // The keyword names the code system; none is stored when the second value is 0.
  SourceRecord repetition = make_record(Record::ripetizione_segnali, {treno.inizio, treno.fine});
  if (treno.fine != 0 && treno.posizione == 9) {
    repetition.keyword = "ripetizione segnali 9 codici";
  } else if (treno.fine != 0 ? treno.posizione != 4 : treno.posizione != 0) {
    w.find(code::general_unexplained, entry_place(voce::intestazione_treno),
           "posizione " + std::to_string(treno.posizione) + " is no code system the cab-signal repetition stores");
  }
  if (treno.inizio % 50 != 0 || treno.fine % 50 != 0) {
    w.find(code::general_unexplained, entry_place(voce::intestazione_treno),
           "the cab-signal repetition values are not multiples of 50");
  }
  lines.push_back(SourceLine::of(std::move(repetition)));
  return lines;
}

// A maximum-speed board's record from its cell; under a station stop its
// first speed pair is the stop's entry, so it is given as 0.
SourceRecord board_record(int32_t c, const cella& cell, bool under_stop) {
  const SpeedPair a = under_stop ? SpeedPair{} : board_speeds_of(cell.dato1);
  const SpeedPair b = board_speeds_of(cell.dato2);
  const SpeedPair k = board_speeds_of(cell.dato3);
  const SpeedPair stripes = board_stripes_of(cell.dato4);
  return make_record(Record::indicatori_vmax,
                     {object_progressive(c), a.s, b.s, k.s, stripes.s, a.d, b.d, k.d, stripes.d});
}

SourceRecord curve_record(const CurveRun& c) {
  SourceRecord r = make_record(Record::curva, {c.start, c.length});
  r.keyword = std::string("curva") + (c.left ? "s" : "d") + std::to_string(c.klass);
  return r;
}

// A cell's profile value as its source row gives it.
int32_t source_adhesion(int32_t v) { return adhesion_of(static_cast<uint8_t>(v)); }
int32_t source_gradient(int32_t v) { return gradient_of(static_cast<uint8_t>(v)); }
int32_t source_speed(int32_t v) { return speed_of(static_cast<uint8_t>(v)); }

// --- the phases of the decompiler --------------------------------------------
//
// As the compiler reads its sources in phases, the decompiler undoes a build
// in phases: what the build added (A), the scenario table's layout (B), the
// objects of the train (C) and of the line (D), the mountains and the plan
// (E), and then writes the two source files (F).

// A. The cells as the compile step left them: the route's size checked, the
// fixed values, the competition codes and the finishing marks taken out, and
// what no object leaves in its cell named.
void undo_build(Work& w) {
  const auto& table = w.files.table;
  const int32_t length = table[voce::treno_e_linea].fine;
  const int64_t expected_cells =
      length > kMaxLunghezza || length < -kCodaTracciato ? -1 : int64_t{last_cell_of(length + kCodaTracciato)} + 1;
  if (static_cast<int64_t>(w.cells.size()) != expected_cells) {
    w.find(code::route_size_unfit, "route file",
           std::to_string(w.cells.size()) + " cells; a line of " + std::to_string(length) + " m has " +
               (expected_cells < 0 ? std::string("none") : std::to_string(expected_cells)));
  }
  if (w.cells.size() < 2) w.cells.resize(2);
  w.n = static_cast<int32_t>(w.cells.size()) - 1;
  w.mark.assign(w.cells.size(), false);
  if (!empty_entry(table[0])) {
    w.find(code::table_unexplained, entry_place(0), "entry 0 holds values; every build leaves it cleared");
  }
  undo_fixed_values(w);
  undo_finishing_marks(w);
  check_leftovers(w);
}

// B. Stations fill the table from entry 1 upward, sign texts from 80
// downward, each sign text with the board that points at it.
struct TableLayout {
  int stations = 0;
  int lowest_slot = 0;                    // the lowest entry a sign text takes
  std::map<int32_t, int32_t> sign_cells;  // slot -> cell
};

TableLayout read_table_layout(Work& w) {
  const auto& table = w.files.table;
  TableLayout layout;
  int& stations_count = layout.stations;
  int& lowest_slot = layout.lowest_slot;
  std::map<int32_t, int32_t>& sign_cells = layout.sign_cells;
  while (stations_count + 1 <= voce::primo_cartello &&
         !text_only(table[static_cast<std::size_t>(stations_count) + 1])) {
    ++stations_count;
  }
  lowest_slot = voce::primo_cartello + 1;
  for (int e = voce::primo_cartello; e > stations_count; --e) {
    if (!table[static_cast<std::size_t>(e)].testo.empty() && text_only(table[static_cast<std::size_t>(e)])) {
      lowest_slot = e;
    }
  }
  for (int32_t c = 0; c <= w.n; ++c) {
    const cella& cell = w.at(c);
    if (cell.tipo != tipo_cella::cartello) continue;
    if (cell.dato1 <= stations_count || cell.dato1 > voce::primo_cartello || sign_cells.contains(cell.dato1)) {
      w.find(code::table_unexplained, cell_place(c),
             "a sign board pointing at entry " + std::to_string(cell.dato1) + ", which holds no sign text of its own");
      continue;
    }
    sign_cells[cell.dato1] = c;
    lowest_slot = std::min<int>(lowest_slot, cell.dato1);
  }
  for (int e = stations_count + 1; e < lowest_slot; ++e) {
    if (!empty_entry(table[static_cast<std::size_t>(e)])) {
      w.find(code::table_unexplained, entry_place(e), "holds values between the stations and the sign texts");
      break;
    }
  }
  const int signs_count = voce::primo_cartello + 1 - lowest_slot;
  if (stations_count + signs_count > voce::primo_cartello - 2) {
    w.find(code::table_unexplained, "scenario table",
           std::to_string(stations_count) + " stations and " + std::to_string(signs_count) +
               " sign texts; the table holds 78 together");
  }
  return layout;
}

// C. The train's objects in the cells: stations and their stop cells,
// signals (some under a stop), slowdowns (some of whose pieces a stop may
// cover), and the order in which signals and stations wrote the approach
// markers.
struct TrainObjects {
  std::vector<Station> stations;
  std::vector<Signal> signals;
  std::vector<int> writers;  // the order of order_marker_writers
  Slowdowns slowdowns;
  std::map<int32_t, bool> signal_under;  // stop cell -> a signal stood there
};

TrainObjects recover_train_objects(Work& w, const TableLayout& layout) {
  TrainObjects objects;
  // Stations and their stop cells, which a station sets over whatever its
  // cell held: what an object left there comes back as that object, placed
  // before the station.
  objects.stations = recover_stations(w, layout.stations);
  const std::vector<Station>& stations = objects.stations;
  std::map<int32_t, int> stop_of;        // cell -> the last station stopping there (its index in `stations`)
  std::map<int32_t, int> first_stop_of;  // cell -> the first
  for (std::size_t i = 0; i < stations.size(); ++i) {
    if (!stations[i].stop) continue;
    stop_of[*stations[i].stop] = static_cast<int>(i);
    first_stop_of.try_emplace(*stations[i].stop, static_cast<int>(i));
  }
  for (const auto& [c, i] : stop_of) {
    if (c < 0 || c > w.n || w.at(c).tipo != tipo_cella::fermata ||
        w.at(c).dato1 != stations[static_cast<std::size_t>(i)].entry) {
      w.find(code::station_unexplained, entry_place(stations[static_cast<std::size_t>(i)].entry),
             "the station's stop cell " + std::to_string(c) + " does not hold its stop");
    }
  }
  // Signals; and what stood in a stop cell before its first station: a signal
  // when a time is left there (only signals leave one) or its approach
  // markers are wanted, else a board when values are left, else nothing.
  std::vector<Signal> visible;
  for (int32_t c = 0; c <= w.n; ++c) {
    if (w.at(c).tipo != tipo_cella::segnale) continue;
    if (c < 8) {
      w.find(code::object_out_of_reach, cell_place(c),
             "a signal in the first eight cells, whose approach markers would fall before cell 0");
    } else if (w.object_in_range(c, "signal")) {
      visible.push_back({c, w.at(c), std::nullopt, 0});
    }
  }
  // Slowdowns, some of whose pieces a stop may cover.
  objects.slowdowns = SlowdownFinder(w, first_stop_of).find();
  const Slowdowns& slowdowns = objects.slowdowns;
  std::map<int32_t, bool>& signal_under = objects.signal_under;
  for (int32_t c = 0; c <= w.n; ++c) {
    const cella& cell = w.at(c);
    if (cell.tipo != tipo_cella::fermata) continue;
    if (!stop_of.contains(c)) {
      w.find(code::cell_unexplained, cell_place(c), "a station stop that belongs to no station");
      continue;
    }
    if (slowdowns.stops.contains(c)) continue;
    const bool left = cell.dato2 != 0 || cell.dato3 != 0 || cell.dato4 != 0 || cell.tempo != 0;
    if (left && !w.object_in_range(c, "station stop over an earlier object")) continue;
    if (cell.tempo != 0 && c < 8) {
      w.find(code::object_out_of_reach, cell_place(c), "a signal's time under a station stop in the first eight cells");
      continue;
    }
    signal_under[c] = cell.tempo != 0;
  }
  std::vector<Signal>& signals = objects.signals;
  std::vector<int>& writers = objects.writers;
  for (;;) {
    signals = visible;
    for (const auto& [c, signal] : signal_under) {
      if (!signal) continue;
      cella under = w.at(c);
      under.tipo = tipo_cella::segnale;
      under.dato1 = 0;
      signals.push_back({c, under, first_stop_of[c], 0});
    }
    bool stuck = false;
    std::vector<int32_t> unwritten;
    writers = order_marker_writers(w, stations, signals, stuck, unwritten);
    if (!stuck && unwritten.empty()) break;
    bool more = false;
    for (auto& [c, signal] : signal_under) {
      for (int32_t k = 1; k <= 4 && !signal && c >= 8 && c <= w.n - 1; ++k) {
        if (std::binary_search(unwritten.begin(), unwritten.end(), approach_marker_cell(c, k))) signal = more = true;
      }
    }
    if (more) continue;
    if (stuck)
      w.find(code::markers_unexplained, "approach markers",
             "no order of the signals and stations gives every cell's avviso");
    if (!unwritten.empty()) {
      w.find(code::markers_unexplained, cell_place(unwritten.front()),
             "avviso " + std::to_string(w.at(unwritten.front()).avviso) + ", which no signal or station writes");
    }
    break;
  }
  return objects;
}

// D. The line's objects in the cells, and the train's abatement points:
// boards (also those a stop covers), signs in the order of their entries
// (a sign text whose board a stop covers goes to a stop cell where nothing
// else was).
struct CellRecords {
  std::vector<SourceRecord> boards;
  std::vector<SourceRecord> hidden_boards;  // under station stops
  std::vector<SourceRecord> signs;
  std::vector<SourceRecord> abatements;
};

CellRecords recover_cell_records(Work& w, const TableLayout& layout, const TrainObjects& objects) {
  const auto& table = w.files.table;
  CellRecords out;
  std::vector<SourceRecord>& hidden_boards = out.hidden_boards;
  std::vector<int32_t> bare_stops;  // stop cells with nothing left of an earlier object
  for (const auto& [c, signal] : objects.signal_under) {
    const cella& cell = w.at(c);
    if (signal) continue;
    if (cell.dato2 == 0 && cell.dato3 == 0 && cell.dato4 == 0) {
      bare_stops.push_back(c);
    } else {
      hidden_boards.push_back(board_record(c, cell, true));
    }
  }

  std::vector<SourceRecord>& signs = out.signs;
  std::size_t next_bare = 0;
  for (int slot = voce::primo_cartello; slot >= layout.lowest_slot; --slot) {
    const std::string where = entry_place(slot) + " (sign text)";
    int32_t c = 0;
    if (const auto found = layout.sign_cells.find(slot); found != layout.sign_cells.end()) {
      c = found->second;
    } else if (next_bare < bare_stops.size()) {
      c = bare_stops[next_bare++];
    } else {
      w.find(code::table_unexplained, where,
             "no sign board points at this text, and no station stop is left to have covered it");
      continue;
    }
    if (!w.object_in_range(c, "sign board")) continue;
    signs.push_back(make_record(Record::cartello_indicatore, {object_progressive(c)},
                                readable_text(w, table[static_cast<std::size_t>(slot)].testo, where)));
  }

  std::vector<SourceRecord>& boards = out.boards;
  std::vector<SourceRecord>& abatements = out.abatements;
  for (int32_t c = 0; c <= w.n; ++c) {
    const cella& cell = w.at(c);
    if (cell.tipo == tipo_cella::indicatore_v_max && w.object_in_range(c, "maximum-speed board")) {
      boards.push_back(board_record(c, cell, false));
    } else if (cell.tipo == tipo_cella::abbattimento_valore || cell.tipo == tipo_cella::abbattimento) {
      if (c > w.n - 2) {
        w.find(code::object_out_of_reach, cell_place(c),
               "a speed abatement point in one of the last two cells, where no record can place one");
        continue;
      }
      int64_t value = 0;
      if (cell.tipo == tipo_cella::abbattimento_valore) value = cell.dato1 >= 1 ? cell.dato1 : cell.dato1 + 65536;
      abatements.push_back(make_record(Record::abbattimento, {boundary_progressive(c), value}));
    }
  }

  return out;
}

// E. Mountains: types from the cells, markers where the cell still shows one;
// an empty cell had none, a cell an object or a mark took may have had one.
RecoveredMountains recover_mountain_records(const Work& w) {
  std::vector<uint8_t> montagna(w.cells.size());
  std::vector<MarkerNeed> markers(w.cells.size());
  for (std::size_t c = 0; c < w.cells.size(); ++c) {
    montagna[c] = w.cells[c].montagna;
    const uint8_t t = w.cells[c].tipo;
    markers[c] = t == tipo_cella::segno_montagna        ? MarkerNeed::required
                 : t == tipo_cella::vuota && !w.mark[c] ? MarkerNeed::forbidden
                                                        : MarkerNeed::either;
  }
  RecoveredMountains mountains = recover_mountains(montagna, markers);
  for (Finding& f : mountains.findings) f.code = code::mountains_unexplained;
  return mountains;
}

// F. The line source file, its sections in the format's order.
std::vector<SourceLine> line_source(Work& w, const std::vector<CurveRun>& curves, const RecoveredMountains& mountains,
                                    CellRecords& records) {
  SectionedLines line(line_format());
  line.of(Record::lunghezza_percorso) = general_block(w);
  for (const CurveRun& c : curves) line.of(Record::curva).push_back(SourceLine::of(curve_record(c)));
  {
    std::vector<int32_t> cells(w.cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = w.cells[c].pendenza;
    add_profile(w, line.of(Record::pendenza), Record::pendenza, "gradient", cells, source_gradient);
  }
  std::vector<SourceLine>& mountain_lines = line.of(Record::montagna);
  for (const MountainRecord& m : mountains.records) {
    if (m.placeholder)
      mountain_lines.push_back(SourceLine::comment("covers no cell: the next mountain keeps its type"));
    mountain_lines.push_back(SourceLine::of(make_record(Record::montagna, {m.inizio, m.fine, m.tipo})));
  }
  std::vector<SourceLine>& board_lines = line.of(Record::indicatori_vmax);
  for (SourceRecord& b : records.boards) board_lines.push_back(SourceLine::of(std::move(b)));
  if (!records.hidden_boards.empty()) board_lines.push_back(SourceLine::comment("boards that station stops cover"));
  for (SourceRecord& b : records.hidden_boards) board_lines.push_back(SourceLine::of(std::move(b)));
  for (SourceRecord& s : records.signs) line.of(Record::cartello_indicatore).push_back(SourceLine::of(std::move(s)));
  return std::move(line).lines(kRecoveredComment);
}

// F. The train source file: stations with the signals that must come before
// one of them; the other signals after the slowdowns.
std::vector<SourceLine> train_source(Work& w, const TrainObjects& objects, CellRecords& records) {
  const auto& table = w.files.table;
  const std::vector<Station>& stations = objects.stations;
  const std::vector<Signal>& signals = objects.signals;
  const std::vector<int>& writers = objects.writers;
  const Slowdowns& slowdowns = objects.slowdowns;
  SectionedLines train(train_format());
  const voce_sim& figures = table[voce::treno_e_linea];
  const voce_sim& treno = table[voce::intestazione_treno];
  std::vector<SourceLine>& train_general = train.of(Record::numero_vetture);
  train_general.push_back(SourceLine::of(make_record(Record::numero_vetture, {figures.posizione})));
  train_general.push_back(SourceLine::of(make_record(Record::massa_frenata, {figures.inizio})));
  train_general.push_back(SourceLine::of(make_record(Record::sabbia, {treno.col7})));
  train_general.push_back(SourceLine::of(make_record(Record::orologio, {treno.col10, treno.col11, treno.col12})));
  {
    std::vector<int32_t> cells(w.cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = w.cells[c].aderenza;
    add_profile(w, train.of(Record::aderenza), Record::aderenza, "adhesion", cells, source_adhesion);
  }
  {
    std::vector<int32_t> cells(w.cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c) cells[c] = w.cells[c].velocita;
    add_profile(w, train.of(Record::velocita), Record::velocita, "speed", cells, source_speed);
  }
  // Stations, with the slowdowns and signals that must come before one of
  // them; the other signals after the slowdowns.
  std::vector<SourceLine>& station_lines = train.of(Record::stazione);
  if (!slowdowns.early.empty())
    station_lines.push_back(SourceLine::comment("slowdowns that station stops cover in part"));
  for (const SourceRecord& r : slowdowns.early) station_lines.push_back(SourceLine::of(r));
  int last_station = -1;
  for (const int i : writers) last_station = i < 0 ? std::max(last_station, -1 - i) : last_station;
  std::vector<int> later_signals;
  int stations_written = 0;
  for (const int i : writers) {
    if (i < 0) {
      station_lines.push_back(SourceLine::of(stations[static_cast<std::size_t>(-1 - i)].record));
      ++stations_written;
    } else if (stations_written <= last_station) {
      station_lines.push_back(SourceLine::of(signal_record(signals[static_cast<std::size_t>(i)])));
    } else {
      later_signals.push_back(i);
    }
  }
  for (const SourceRecord& r : slowdowns.records) train.of(Record::rallentamento).push_back(SourceLine::of(r));
  for (const int i : later_signals)
    train.of(Record::segnale).push_back(SourceLine::of(signal_record(signals[static_cast<std::size_t>(i)])));
  for (SourceRecord& a : records.abatements) train.of(Record::abbattimento).push_back(SourceLine::of(std::move(a)));
  return std::move(train).lines(kRecoveredComment);
}

}  // namespace

Decompiled decompile(const CompiledFiles& files) {
  Decompiled out;
  Work w{files, files.cells, {}, 0, out.findings};
  out.line_name = files.table[voce::intestazione_linea].testo;
  out.train_number = files.table[voce::intestazione_treno].testo;

  undo_build(w);
  const TableLayout layout = read_table_layout(w);
  const TrainObjects objects = recover_train_objects(w, layout);
  CellRecords records = recover_cell_records(w, layout, objects);
  const RecoveredMountains mountains = recover_mountain_records(w);
  out.findings.insert(out.findings.end(), mountains.findings.begin(), mountains.findings.end());
  if (files.plan) {
    // A stored length the compiler never gives cannot size the plan: the
    // sum is taken wide and held to what fits.
    const int64_t metres =
        std::clamp<int64_t>(int64_t{files.table[voce::treno_e_linea].fine} + kCodaTracciato, 0, INT32_MAX);
    RecoveredPlan plan = recover_curves(*files.plan, static_cast<int32_t>(metres), w.n);
    for (Finding& f : plan.findings) f.code = code::plan_unexplained;
    out.curves = plan.curves;
    out.findings.insert(out.findings.end(), plan.findings.begin(), plan.findings.end());
  }
  out.line = line_source(w, out.curves, mountains, records);
  out.train = train_source(w, objects, records);
  return out;
}

}  // namespace scenario
