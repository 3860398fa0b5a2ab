#include "checker/source_links.h"

#include "compiler/cell_rules.h"

namespace scenario {

namespace {

bool at_cell(const ObservedRecord& record, std::string_view field, int32_t cell, bool boundary) {
  const std::optional<int32_t> p = record.number(field);
  return p && (boundary ? boundary_cell(*p) : object_cell(*p)) == cell;
}

bool slowdown_at(const ObservedRecord& record, int32_t cell) {
  const auto x = record.number("x"), l = record.number("l"), f_ta = record.number("f_ta");
  if (!x || !l || !f_ta) return false;
  const SlowdownCells cells = slowdown_cells(*x, *l, *f_ta);
  if (cells.start == cell || cells.end == cell || cells.warning == cell) return true;
  if (cells.before_warning) {
    for (const int32_t c : *cells.before_warning) {
      if (c == cell) return true;
    }
  }
  return false;
}

bool mountain_covers(const ObservedRecord& record, int32_t cell) {
  const auto inizio = record.number("inizio"), fine = record.number("fine");
  return inizio && fine && mountain_cells(*inizio, *fine).contains(cell);
}

}  // namespace

const ObservedRecord* record_of_object(const Observation& observation, const TrackModel& model, int32_t cell) {
  if (cell < 0 || cell > model.ultima_cella()) return nullptr;
  const cella& c = model.celle[static_cast<std::size_t>(cell)];
  const auto first = [&observation](Record id, auto&& placed_it) -> const ObservedRecord* {
    for (const ObservedRecord* record : observation.of(id)) {
      if (placed_it(*record)) return record;
    }
    return nullptr;
  };
  switch (c.tipo) {
    case tipo_cella::segnale:
      return first(Record::segnale, [cell](const ObservedRecord& r) { return at_cell(r, "posizione", cell, false); });
    case tipo_cella::indicatore_v_max:
      return first(Record::indicatori_vmax,
                   [cell](const ObservedRecord& r) { return at_cell(r, "posizione", cell, false); });
    case tipo_cella::cartello:
      return first(Record::cartello_indicatore,
                   [cell](const ObservedRecord& r) { return at_cell(r, "progressive", cell, false); });
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::prima_avviso:
      return first(Record::rallentamento, [cell](const ObservedRecord& r) { return slowdown_at(r, cell); });
    case tipo_cella::abbattimento_valore:
    case tipo_cella::abbattimento:
      return first(Record::abbattimento,
                   [cell](const ObservedRecord& r) { return at_cell(r, "progressive", cell, true); });
    case tipo_cella::segno_montagna:
      return first(Record::montagna, [cell](const ObservedRecord& r) { return mountain_covers(r, cell); });
    case tipo_cella::fermata: {
      // Stations are stored one after another from entry 1: the stop cell
      // names the station's entry, the count of its record.
      const std::vector<const ObservedRecord*> stations = observation.of(Record::stazione);
      const int32_t entry = c.dato1;
      if (entry < 1 || entry > static_cast<int32_t>(stations.size())) return nullptr;
      return stations[static_cast<std::size_t>(entry - 1)];
    }
    default:
      return nullptr;
  }
}

std::string_view line_of(const Observation& observation, std::string_view file, int32_t line) {
  return observation.line_of(file, line);
}

int32_t field_length(const Observation& observation, const SourcePlace& place, bool number) {
  const std::string_view text = line_of(observation, place.file, place.line);
  if (place.column < 0 || static_cast<std::size_t>(place.column) >= text.size()) return 0;
  std::size_t end = static_cast<std::size_t>(place.column);
  while (end < text.size() && text[end] != ',' && !(number && (text[end] == ' ' || text[end] == '\t'))) ++end;
  // A text keeps its blanks, but the caret need not run over them.
  while (end > static_cast<std::size_t>(place.column) && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return static_cast<int32_t>(end - static_cast<std::size_t>(place.column));
}

std::string where(const ObservedRecord& record) { return record.place.file + ":" + std::to_string(record.place.line); }

}  // namespace scenario
