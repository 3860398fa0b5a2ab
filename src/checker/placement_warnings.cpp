// Where each record's objects and values landed: the final model is decoded
// with the compile's own placement rules, and every object that is not in the
// cell its record gave it, every station column that was not stored as
// written and every mountain whose type did not land is told at its record,
// with the record that took its place.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/run_time_failure.h"
#include "checker/warning_context.h"
#include "compiler/cell_rules.h"
#include "compiler/record_builders.h"

namespace scenario {

namespace {

using namespace warnings;

// One object a record put in a cell.
struct Claim {
  const ObservedRecord* record;
  const ObservedField* field;  // the progressive that placed it
  int32_t cell;
  uint8_t tipo;
  std::string what;
};

std::string cell_text(int32_t cell) { return "cell " + num(cell) + " (" + num(object_progressive(cell)) + " m)"; }

class Placements {
 public:
  explicit Placements(Context& c) : c_(c) {}

  void find() {
    if (!c_.complete || c_.model.ultima_cella() < 0) return;
    claim_objects();
    replaced_objects();
    approach_markers();
    stations();
    mountains();
  }

 private:
  void claim(const ObservedRecord& r, std::string_view field, int32_t cell, uint8_t tipo, std::string what) {
    claims_.push_back({&r, r.field(field), cell, tipo, std::move(what)});
  }

  void claim_objects() {
    int32_t station = 0;
    for (const ObservedRecord& r : c_.o.records) {
      if (!r.complete()) continue;
      switch (r.format->id) {
        case Record::indicatori_vmax:
          claim(r, "posizione", object_cell(*r.number("posizione")), tipo_cella::indicatore_v_max, "speed board");
          break;
        case Record::cartello_indicatore:
          claim(r, "progressive", object_cell(*r.number("progressive")), tipo_cella::cartello, "sign board");
          break;
        case Record::segnale:
          claim(r, "posizione", object_cell(*r.number("posizione")), tipo_cella::segnale, "signal");
          break;
        case Record::abbattimento:
          claim(r, "progressive", boundary_cell(*r.number("progressive")),
                *r.number("value") >= 1 ? tipo_cella::abbattimento_valore : tipo_cella::abbattimento,
                "abatement point");
          break;
        case Record::rallentamento: {
          const SlowdownCells at = slowdown_cells(*r.number("x"), *r.number("l"), *r.number("f_ta"));
          if (at.warning) claim(r, "x", *at.warning, tipo_cella::avviso_rallentamento, "slowdown warning board");
          claim(r, "x", at.start, tipo_cella::inizio_rallentamento, "slowdown start");
          claim(r, "x", at.end, tipo_cella::fine_rallentamento, "slowdown end");
          if (at.before_warning) {
            for (const int32_t cell : *at.before_warning)
              claim(r, "x", cell, tipo_cella::prima_avviso, "cell before the warning board");
          }
          break;
        }
        case Record::stazione: {
          ++station;
          if (station >= voce::primo_cartello) break;
          const voce_sim& e = c_.model.tabella_sim[static_cast<std::size_t>(station)];
          if (!station_stops(e.tipo)) break;
          if (const std::optional<int32_t> stop = station_stop_cell(e.fine)) {
            claim(r, "progressive", *stop, tipo_cella::fermata, "station's stop");
          }
          break;
        }
        default:
          break;
      }
    }
  }

  void replaced_objects() {
    for (std::size_t i = 0; i < claims_.size(); ++i) {
      const Claim& lost = claims_[i];
      if (lost.field == nullptr || lost.cell < 0 || lost.cell > c_.model.ultima_cella()) continue;
      const uint8_t now = c_.model.celle[static_cast<std::size_t>(lost.cell)].tipo;
      if (now == lost.tipo) continue;
      // The last later claim on the cell that left what the cell holds.
      const Claim* by = nullptr;
      for (std::size_t j = i + 1; j < claims_.size(); ++j) {
        if (claims_[j].cell == lost.cell && claims_[j].tipo == now) by = &claims_[j];
      }
      if (by == nullptr || by->record == lost.record || by->field == nullptr) continue;
      c_.at_field(code::object_replaced, *lost.field,
                  "the " + lost.what + " of " + in_quotes(lost.record->format->keyword) + " in " +
                      cell_text(lost.cell) + " is replaced by the " + by->what + " of line " +
                      num(by->record->place.line) + ": the " + lost.what + " is lost",
                  "move one of the two at least 50 m away");
      c_.last().related.push_back(c_.related(*by->field, "the " + by->what + " that takes " + cell_text(lost.cell)));
    }
  }

  // The approach markers of signals (100 to 400 m before them) and of
  // stations' stops (the four cells before the stop): a later one in the same
  // cell replaces an earlier one.
  void approach_markers() {
    struct Marker {
      const ObservedRecord* record;
      const ObservedField* field;
      int32_t cell;
      uint8_t value;
      const char* whose;
    };
    std::vector<Marker> markers;
    int32_t station = 0;
    for (const ObservedRecord& r : c_.o.records) {
      if (r.format->id == Record::stazione) ++station;
      if (!r.complete()) continue;
      if (r.format->id == Record::segnale) {
        const int32_t c = object_cell(*r.number("posizione"));
        try {
          const int32_t sides = signal_sides(*r.number("sx"), *r.number("dx"));
          for (int32_t k = 1; k <= 4; ++k) {
            markers.push_back(
                {&r, r.field("posizione"), approach_marker_cell(c, k), approach_marker(sides, k), "signal"});
          }
        } catch (const RunTimeFailure&) {
          // A packing past 32 bits stops the compile: no markers to compare.
        }
      } else if (r.format->id == Record::stazione && station < voce::primo_cartello) {
        const voce_sim& e = c_.model.tabella_sim[static_cast<std::size_t>(station)];
        if (!station_marks_approach(e.tipo)) continue;
        for (int32_t k = 1; k <= 4; ++k) {
          if (const std::optional<int32_t> cell = station_marker_cell(e.fine, k)) {
            markers.push_back({&r, r.field("progressive"), *cell, station_marker(k), "station's stop"});
          }
        }
      }
    }
    const ObservedRecord* told = nullptr;
    for (std::size_t i = 0; i < markers.size(); ++i) {
      const Marker& lost = markers[i];
      if (lost.record == told || lost.field == nullptr || lost.cell < 0 || lost.cell > c_.model.ultima_cella())
        continue;
      const uint8_t now = c_.model.celle[static_cast<std::size_t>(lost.cell)].avviso;
      if (now == lost.value) continue;
      const Marker* by = nullptr;
      for (std::size_t j = i + 1; j < markers.size(); ++j) {
        if (markers[j].cell == lost.cell && markers[j].value == now) by = &markers[j];
      }
      if (by == nullptr || by->record == lost.record || by->field == nullptr) continue;
      told = lost.record;
      c_.at_field(code::object_replaced, *lost.field,
                  "the approach marker " + num(lost.value) + " of this " + lost.whose + " in cell " + num(lost.cell) +
                      " is replaced by the marker " + num(now) + " of the " + by->whose + " of line " +
                      num(by->record->place.line) + ": the driver is not warned of this " + lost.whose + " there",
                  "move one of the two, so that their approach markers do not share a cell");
      c_.last().related.push_back(
          c_.related(*by->field, std::string("the ") + by->whose + " whose marker takes the cell"));
    }
  }

  // Station columns the compile clears.
  void stations() {
    int32_t station = 0;
    for (const ObservedRecord* r : c_.o.of(Record::stazione)) {
      ++station;
      if (!r->complete() || station >= voce::primo_cartello) continue;
      const voce_sim& e = c_.model.tabella_sim[static_cast<std::size_t>(station)];
      const int32_t length = *r->number("length");
      const int32_t type = *r->number("type");
      const struct {
        const char* name;
        uint8_t stored;
      } cleared[] = {{"col5", e.col5}, {"col6", e.col6}};
      for (const auto& column : cleared) {
        const ObservedField* f = r->field(column.name);
        if (f == nullptr || f->number == column.stored) continue;
        std::string why;
        if (station == 1) {
          why = "the first station keeps no " + std::string(column.name);
        } else if (std::string_view(column.name) == "col5") {
          why = "the station is shorter than 600 m (" + num(length) + ")";
        } else {
          why = "a station of type " + num(type) + " keeps no col6";
        }
        c_.at_field(code::station_value_cleared, *f,
                    std::string(column.name) + " " + num(f->number) + " is not stored: " + why, "write 0");
      }
    }
  }

  // A mountain's type lands in its cells; a later mountain over the same cells
  // replaces it, and one starting 150 m or less after the previous one ends
  // gets type 3.
  void mountains() {
    const std::vector<const ObservedRecord*> all = c_.o.of(Record::montagna);
    for (std::size_t i = 0; i < all.size(); ++i) {
      const ObservedRecord& r = *all[i];
      if (!r.complete()) continue;
      const int32_t inizio = *r.number("inizio"), fine = *r.number("fine"), tipo = *r.number("tipo");
      const CellRun cells = mountain_cells(inizio, fine);
      const int32_t first = cells.first, last = cells.last;
      if (cells.empty() || first < 0 || last > c_.model.ultima_cella()) continue;
      const auto written = static_cast<uint8_t>(scenery_type(tipo));
      if (i > 0 && all[i - 1]->complete() && int64_t{inizio} - *all[i - 1]->number("fine") <= 150) {
        if (written != 3) {
          c_.at_field(code::object_replaced, *r.field("tipo"),
                      "the mountain starts " + num(int64_t{inizio} - *all[i - 1]->number("fine")) +
                          " m after the previous one ends: its cells get type 3, not " + num(written),
                      "start it more than 150 m after the previous mountain's end, or join the two");
          c_.last().related.push_back(c_.related(*all[i - 1]->field("fine"), "the previous mountain's end"));
        }
        continue;
      }
      overlapped(r, i, all, written, first, last);
    }
  }

  // A later mountain that covers the first or last cell of mountain i.
  void overlapped(const ObservedRecord& r, std::size_t i, const std::vector<const ObservedRecord*>& all,
                  uint8_t written, int32_t first, int32_t last) {
    for (const int32_t cell : {first, last}) {
      if (c_.model.celle[static_cast<std::size_t>(cell)].montagna == written) continue;
      for (std::size_t j = all.size(); j-- > i + 1;) {
        const ObservedRecord& later = *all[j];
        if (!later.complete()) continue;
        const CellRun covered = mountain_cells(*later.number("inizio"), *later.number("fine"));
        if (covered.contains(cell)) {
          c_.at_field(code::object_replaced, *r.field("inizio"),
                      "the mountain from " + num(*r.number("inizio")) + " to " + num(*r.number("fine")) +
                          " is overlapped by the one of line " + num(later.place.line) +
                          ", whose type replaces its own from cell " + num(std::max(covered.first, first)),
                      "end the mountain where the next begins");
          c_.last().related.push_back(c_.related(*later.field("inizio"), "the mountain that overlaps it"));
          return;
        }
      }
    }
  }

  Context& c_;
  std::vector<Claim> claims_;
};

}  // namespace

namespace warnings {
void placement_warnings(Context& c) { Placements(c).find(); }
}  // namespace warnings

}  // namespace scenario
