#include "checker/error_messages.h"

#include <algorithm>
#include <string>

#include "checker/source_links.h"
#include "checker/warning_context.h"
#include "compiler/cell_rules.h"
#include "compiler/model_names.h"

namespace scenario {

namespace {

std::string num(int64_t v) { return std::to_string(v); }
std::string in_quotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The length of the field at `place` in its line.
int32_t length_at(const Observation& o, const SourcePlace& place, bool number = true) {
  return field_length(o, place, number);
}

const ObservedField* field_at_place(const ObservedRecord* record, const SourcePlace& place) {
  if (record == nullptr) return nullptr;
  for (const ObservedField& f : record->fields) {
    if (f.place == place) return &f;
  }
  return nullptr;
}

// "a signal (Valle_123-.txt:12)" for what holds a cell.
std::string holder(const Observation& o, const TrackModel& model, int32_t cell) {
  if (cell < 0 || cell > model.ultima_cella()) return "nothing";
  const cella& c = model.celle[static_cast<std::size_t>(cell)];
  std::string text = "a " + std::string(object_name(c.tipo));
  if (const ObservedRecord* record = record_of_object(o, model, cell)) {
    text += " (" + where(*record) + ")";
  } else if (c.tipo == tipo_cella::abbattimento_valore) {
    text += " the finishing pass placed";
  }
  return text;
}

std::string cell_text(int32_t cell) {
  return "cell " + num(cell) + " (progressive " + num(object_progressive(cell)) + ")";
}

// Which of a slowdown's cells is taken, for codes 17 to 20.
std::string slowdown_message(int32_t code, const ObservedRecord& record, const Observation& o,
                             const TrackModel& model) {
  const SlowdownCells cells =
      slowdown_cells(record.number("x").value_or(0), record.number("l").value_or(0), record.number("f_ta").value_or(0));
  switch (code) {
    case code::warning_board_cell_taken:
      return "the slowdown's warning board goes " + num(kWarningBoardDistance) + " m before its start, in " +
             cell_text(*cells.warning) + ", which holds " + holder(o, model, *cells.warning);
    case code::slowdown_start_cell_taken:
      return "the slowdown's start, " + cell_text(cells.start) + ", holds " + holder(o, model, cells.start);
    case code::slowdown_end_cell_taken:
      return "the slowdown's end (start + length), " + cell_text(cells.end) + ", holds " + holder(o, model, cells.end);
    default:
      if (cells.before_warning) {
        for (const int32_t c : *cells.before_warning) {
          if (c >= 0 && c <= model.ultima_cella() && !libera(model.celle[static_cast<std::size_t>(c)])) {
            return "one of the four cells before the warning board, cell " + num(c) + ", holds " + holder(o, model, c) +
                   "; the board, the start and the end are placed";
          }
        }
      }
      return "one of the four cells before the warning board is not free";
  }
}

// A station's area as "from A to B m".
std::string area_text(const voce_sim& station) {
  return "from " + num(station.inizio) + " to " + num(station.fine) + " m";
}

// A kilometre as the signs write it, "7+900", read where metres belong: the
// message says so. False when the field at the failure is no such text.
bool kilometre_for_metres(Diagnostic& d, const CompileReport& report, const ObservedRecord& record,
                          const Observation& o) {
  const std::string_view line = line_of(o, report.place.file, report.place.line);
  const auto column = static_cast<std::size_t>(report.place.column);
  if (column >= line.size()) return false;
  const std::string_view text = line.substr(column, static_cast<std::size_t>(field_length(o, report.place, false)));
  const auto digits = [](std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  const std::size_t plus = text.find('+');
  if (plus == std::string_view::npos || plus == 0) return false;
  const std::string_view km = text.substr(0, plus);
  std::string_view metres = text.substr(plus + 1);
  metres = metres.substr(0, metres.find_first_of(" \t"));
  if (!digits(km) || !digits(metres) || metres.size() != 3) return false;
  const std::size_t next = record.fields.size();
  const std::string field =
      next < record.format->fields.size() ? std::string(record.format->fields[next].name) : std::string("field");
  d.message = "the " + field + " of " + in_quotes(record.format->keyword) + " is written " +
              in_quotes(text.substr(0, plus + 1 + metres.size())) +
              ", a kilometre as the signs show it; a progressive is in metres";
  d.hint = "write " + std::string(km) + std::string(metres);
  return true;
}

// Code 25: what the run-time failure means for the record being read.
void explain_failure(Diagnostic& d, const CompileReport& report, const ObservedRecord* record, const Observation& o,
                     const TrackModel& model) {
  std::string reason = report.reason;
  // The reason often starts with the file and line the diagnostic gives.
  if (const std::size_t colon = reason.find(": "); colon != std::string::npos && reason.starts_with(d.place.file)) {
    reason = reason.substr(colon + 2);
  }
  d.message = "run-time failure while compiling: " + reason;
  if (model.ultima_cella() < 0 && reason.starts_with("index")) {
    d.message =
        "the line has no length: \"lunghezza percorso\" is missing from the general block, so nothing can "
        "be placed (" +
        reason + ")";
    d.hint = "give \"lunghezza percorso,  LENGTH\" in [generale], before the records";
    return;
  }
  if (record == nullptr) {
    if (report.place.file.ends_with(FileNames::kTrainSource) && report.place.line == 0) {
      d.message = "the train source file is missing or cannot be read: " + reason;
    }
    return;
  }
  const std::string keyword(record->format->keyword);
  if (kilometre_for_metres(d, report, *record, o)) return;
  const std::size_t needed = record->format->fields.size();
  const bool read_on_its_line =
      std::all_of(record->fields.begin(), record->fields.end(),
                  [record](const ObservedField& f) { return f.place.line == record->place.line; });
  std::size_t on_its_line = 0;
  for (const ObservedField& f : record->fields) on_its_line += f.place.line == record->place.line ? 1 : 0;
  if ((report.place.line != record->place.line || !read_on_its_line) && on_its_line < needed) {
    // A field missing: the record took the next line's fields.
    const std::string_view text = line_of(o, record->place.file, record->place.line);
    d.place = {record->place.file, record->place.line, static_cast<int32_t>(text.size())};
    d.length = 0;
    std::string missing;
    for (std::size_t i = on_its_line; i < needed; ++i) {
      missing += (missing.empty() ? "" : ", ") + std::string(record->format->fields[i].name);
    }
    d.message = in_quotes(keyword) + " has " + num(static_cast<int64_t>(on_its_line)) + " of its " +
                num(static_cast<int64_t>(needed)) + " fields on its line; it goes on reading " + missing +
                " from the lines after it, where it fails: " + reason;
    d.hint = "give the record all its fields on one line: " + keyword;
    for (const FieldFormat& f : record->format->fields) d.hint += ", " + std::string(f.name);
    if (record->keyword.find_first_not_of(" \t") != std::string::npos &&
        record->keyword[record->keyword.find_first_not_of(" \t")] == '#') {
      d.hint = "a line starting with \"#\" is read as a record, not as a comment: start a comment with \"--\"";
    }
    return;
  }
  if (record->format->id == Record::segnale) {
    const int32_t posizione = record->number("posizione").value_or(0);
    if (approach_marker_cell(object_cell(posizione), 4) < 0) {
      if (const ObservedField* field = record->field("posizione")) {
        d.place = field->place;
        d.length = field_length(o, field->place, true);
      }
      d.message =
          "a signal needs 325 m before it for its approach markers (100 to 400 m before it); this one stands "
          "at " +
          num(posizione);
      d.hint = "move the signal to progressive 325 or later";
      return;
    }
  }
  if (record->format->id == Record::rallentamento && reason.starts_with("index")) {
    const SlowdownCells cells = slowdown_cells(record->number("x").value_or(0), record->number("l").value_or(0),
                                               record->number("f_ta").value_or(0));
    const int32_t n = model.ultima_cella();
    if (cells.end > n) {
      d.message = "the slowdown ends at progressive " +
                  num(int64_t{record->number("x").value_or(0)} + record->number("l").value_or(0)) +
                  ", past the line's last cell (" + cell_text(n) + ")";
      d.hint = "shorten the slowdown or move it";
      return;
    }
  }
  if (record->format->id == Record::montagna && reason.starts_with("index")) {
    d.message = "the mountain ends at progressive " + num(record->number("fine").value_or(0)) +
                ", past the line's last cell (" + cell_text(model.ultima_cella()) + ")";
    d.hint = "end the mountain inside the line";
    return;
  }
  if (const ObservedField* field = field_at_place(record, report.place)) {
    d.message = "the " + std::string(field->format->name) + " of " + in_quotes(keyword) + ": " + reason;
    if (const std::string range = range_text(*field->format); !range.empty())
      d.hint = std::string(field->format->name) + ": " + range;
  } else if (reason.find("is not") != std::string::npos) {
    // The field that failed to read is not in the record's list yet.
    const std::size_t next = record->fields.size();
    if (next < needed) {
      const FieldFormat& field = record->format->fields[next];
      d.message = "the " + std::string(field.name) + " of " + in_quotes(keyword) + ": " + reason;
      const std::string range = range_text(field);
      d.hint = std::string(field.name) + " takes " + (range.empty() ? std::string("a whole number") : range);
    }
  }
}

}  // namespace

std::optional<Diagnostic> compile_error(const CompileReport& report, const Observation& o, const TrackModel& model) {
  if (report.code == code::none) return std::nullopt;
  const ObservedRecord* record = report.record ? o.record_at(report.record_place) : nullptr;
  const CodeEntry* entry = find_code(report.code);
  Diagnostic d = diagnostic(report.code, report.place, length_at(o, report.place),
                            entry != nullptr ? std::string(entry->text) : "unknown code");
  const auto value = [record](std::string_view field) { return record ? record->number(field).value_or(0) : 0; };
  const int32_t length = model.tabella_sim[voce::treno_e_linea].fine;

  switch (report.code) {
    case code::line_too_long:
      d.message = "the line length " + num(value("length")) + " m is over 1000000 m";
      d.hint = "give \"lunghezza percorso\" a length of 1000000 or less";
      break;
    case code::kilometre_reference_off_grid:
      if (record != nullptr) {
        const int32_t start = value("start"), km = value("kilometre"), direction = value("direction");
        const bool start_off = start % 50 != 0;
        d.message = "kilometre reference " + in_quotes(record->format->keyword) + ": its " +
                    (start_off ? "start " + num(start) : "kilometre value " + num(km)) +
                    (!start_off && direction == 1 ? " (" + num(int64_t{km} + 100) + " with direction 1)" : "") +
                    " is not a multiple of 50";
        d.hint = "give the start and the kilometre value in multiples of 50";
      }
      break;
    case code::repetition_first_off_grid:
    case code::repetition_second_off_grid:
      d.message = std::string("the ") + (report.code == code::repetition_first_off_grid ? "first" : "second") +
                  " \"ripetizione segnali\" value " +
                  num(value(report.code == code::repetition_first_off_grid ? "first" : "second")) +
                  " is not a multiple of 50";
      break;
    case code::repetition_without_code_system:
      if (record != nullptr) {
        d.message = "the keyword " + in_quotes(record->keyword) + " names neither 4 nor 9 codes";
        d.hint = "write \"ripetizione segnali 4 codici\" or \"ripetizione segnali 9 codici\"";
        d.length = static_cast<int32_t>(record->keyword.size());
      }
      break;
    case code::sign_cell_taken:
    case code::abatement_cell_taken:
    case code::signal_cell_taken:
    case code::board_cell_taken: {
      const bool boundary = report.code == code::abatement_cell_taken;
      const char* field = report.code == code::sign_cell_taken || report.code == code::abatement_cell_taken
                              ? "progressive"
                              : "posizione";
      const char* what = report.code == code::sign_cell_taken        ? "sign"
                         : report.code == code::abatement_cell_taken ? "speed abatement point"
                         : report.code == code::signal_cell_taken    ? "signal"
                                                                     : "maximum-speed board";
      const int32_t cell = boundary ? boundary_cell(value(field)) : object_cell(value(field));
      d.message = std::string("the ") + what + "'s " + cell_text(cell) + " already holds " + holder(o, model, cell);
      d.hint = std::string("move the ") + what + " to a free cell, at least 50 m from the other object";
      break;
    }
    case code::station_off_grid: {
      const int64_t p = value("progressive");  // wide: the neighbours of a value near the limit
      d.message = "the station progressive " + num(p) + " is not a multiple of 50";
      d.hint = "stations stand on the 50 m grid: " + num(p - ((p % 50) + 50) % 50) + " or " +
               num(p - ((p % 50) + 50) % 50 + 50);
      break;
    }
    case code::station_length_off_grid: {
      const int64_t l = value("length");  // wide: the neighbours of a value near the limit
      d.message = "the station length " + num(l) + " is not a multiple of 100";
      d.hint = "give " + num(l - ((l % 100) + 100) % 100) + " or " + num(l - ((l % 100) + 100) % 100 + 100);
      break;
    }
    case code::scenario_table_full: {
      const auto stations = static_cast<int64_t>(o.of(Record::stazione).size());
      const auto signs = static_cast<int64_t>(o.of(Record::cartello_indicatore).size());
      d.message = "the stations reach the sign texts: " + num(stations) + " stations and " + num(signs) +
                  " signs share the 80 entries of the scenario table";
      d.hint = "stations and signs together must stay below 80";
      break;
    }
    case code::beyond_line_end: {
      const int32_t n = model.ultima_cella();
      d.message = "the record lies beyond the line's last cell (" + cell_text(n) + ", on a line of " + num(length) +
                  " m); the rest of the file is not read";
      d.hint = "move the record inside the line, or make the line longer";
      break;
    }
    case code::warning_board_cell_taken:
    case code::slowdown_start_cell_taken:
    case code::slowdown_end_cell_taken:
    case code::before_warning_board_cell_taken:
      if (record != nullptr) {
        d.message = slowdown_message(report.code, *record, o, model);
        d.hint = "move the slowdown, or the object in its way";
      }
      break;
    case code::stations_too_close: {
      const auto stations = o.of(Record::stazione);
      const int entry = static_cast<int>(stations.size());
      if (entry >= 2) {
        const voce_sim& previous = model.tabella_sim[static_cast<std::size_t>(entry - 1)];
        const voce_sim& current = model.tabella_sim[static_cast<std::size_t>(entry)];
        d.message = "the station's area " + area_text(current) + " begins " +
                    num(int64_t{current.inizio} - previous.fine) + " m after the previous station's area " +
                    area_text(previous) + " (" + where(*stations[stations.size() - 2]) + ") ends; it needs " +
                    num(kStationGap) + " m";
        d.hint = "move the station at least " + num(kStationGap - (int64_t{current.inizio} - previous.fine)) +
                 " m further, or make one of the two shorter";
      }
      break;
    }
    case code::station_without_stop_cell:
      d.message = "the station's area ends at progressive 100 or less: its stop cell would be cell 1 or less";
      d.hint = "move the station further from the origin";
      break;
    case code::run_time_failure:
      explain_failure(d, report, record, o, model);
      break;
    case code::line_source_missing:
      d.message = "the line source file " + in_quotes(report.place.file) + " is missing";
      break;
    case code::no_general_block: {
      d.message = "the line source file has no \"[generale]\": nothing of it can be read";
      for (const PassedOverField& f : o.passed) {
        if (f.place.file == report.place.file && f.text.find('[') != std::string::npos) {
          d.place = f.place;
          d.length = static_cast<int32_t>(f.text.size());
          d.hint = "the general block starts with \"[generale]\" (found " + in_quotes(f.text) + ")";
          break;
        }
      }
      break;
    }
    case code::curve_without_class:
      if (record != nullptr && report.place == record->place) {
        d.message = "the curve keyword " + in_quotes(record->keyword) + " names no class 1 to 6";
        d.hint = "write the class digit after the side: curvas4, curvad2, ...";
        d.length = static_cast<int32_t>(record->keyword.size());
      } else {
        d.message = "the plan would run past 1000000 m (start " + num(value("start")) + ", length " +
                    num(value("length")) + ")";
      }
      break;
    default:
      break;
  }
  // A character glued to the keyword took in the first field: the error is
  // met one field early, and the real mistake is the keyword's.
  if (record != nullptr) {
    if (const std::string rest = warnings::glued_to_keyword(*record); !rest.empty()) {
      d.message += " (the keyword field " + in_quotes(warnings::trimmed(record->keyword)) + " holds " +
                   in_quotes(rest) + " after the keyword: every field is read one place early)";
      d.hint = "write a comma right after " + in_quotes(record->format->keyword);
    }
  }
  return d;
}

Diagnostics missing_mark_errors(const CompileReport& report, const Observation& o, const TrackModel& model,
                                const FileNames& names) {
  Diagnostics errors;
  const auto cells_text = [](int32_t first, int32_t count, int32_t step) {
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
      if (i > 0) text += i + 1 == count ? " and " : ", ";
      text += num(first + i * step);
    }
    return text;
  };
  for (const MissingMark& miss : report.missing_marks) {
    std::string message;
    switch (miss.rule) {
      case 'A':
        message =
            "no free cell for the speed abatement mark before this signal, which stands within 20 cells before "
            "a slowdown warning board: cells " +
            cells_text(miss.candidate, 2, -1) + " are taken and hold no speed abatement point";
        break;
      case 'B': {
        const int32_t offset = miss.cell - miss.candidate;
        message = "no free cell for the speed abatement mark " + num(offset * kCellMetres) + " to " +
                  num((offset + 2) * kCellMetres) + " m before this slowdown start: cells " +
                  cells_text(miss.candidate, 3, -1) + " are taken";
        break;
      }
      case 'C':
        message = "no free cell for the speed abatement mark inside this slowdown: cells " + num(miss.candidate) +
                  ", " + num(miss.candidate - 1) + " and " + num(miss.candidate + 1) +
                  " are taken; the rest of the slowdown gets no mark";
        break;
      default:
        message =
            "no free cell for the speed abatement mark before this signal, the first after a slowdown under "
            "110 km/h: cells " +
            cells_text(miss.candidate, 2, -1) + " are taken";
        break;
    }
    SourcePlace place{names.train_source(), 0, 0};
    int32_t length = 0;
    if (const ObservedRecord* record = record_of_object(o, model, miss.cell)) {
      place = record->fields.empty() ? record->place : record->fields.front().place;
      length = field_length(o, place, true);
    }
    errors.push_back(diagnostic(miss.code, place, length, message, "free one of those cells: move the object in it"));
  }
  return errors;
}

Diagnostic fixed_value_error(Finish finish, const Observation& o, const TrackModel& model, const FileNames& names) {
  const bool first_pair = finish == Finish::errore_1250;
  const int32_t code = first_pair ? code::fixed_value_taken : code::competition_code_taken;
  const voce_sim& linea = model.tabella_sim[voce::intestazione_linea];
  const int32_t entry_value = first_pair ? linea.col7 : linea.orario;
  if (entry_value != 0) {
    return diagnostic(
        code, {names.train_source(), 0, 0}, 0,
        std::string("entry 85 of the scenario table holds ") + (first_pair ? "col7 " : "orario ") + num(entry_value) +
            "; it is reserved for " +
            (first_pair ? "the fixed value " + num(kValoreFissoLinea) : std::string("the weighted competition code")));
  }
  const cella cell = model.celle.size() > 1 ? model.celle[1] : cella{};
  const std::string field = first_pair ? "dato1" : "dato2";
  const int32_t value = first_pair ? cell.dato1 : cell.dato2;
  SourcePlace place{names.train_source(), 0, 0};
  int32_t length = 0;
  std::string holder = "cell 1";
  if (cell.tipo != tipo_cella::vuota) holder = "cell 1 holds a " + std::string(object_name(cell.tipo)) + " whose";
  if (const ObservedRecord* record = record_of_object(o, model, 1)) {
    place = record->fields.empty() ? record->place : record->fields.front().place;
    length = field_length(o, place, true);
  }
  return diagnostic(
      code, place, length,
      holder + " " + field + " is " + num(value) + "; " + field + " of cell 1 is reserved for " +
          (first_pair ? "the fixed value " + num(kValoreFissoCella) : std::string("the competition code")) +
          ", so cell 1 must hold no object; the program stops with \" Errore n. " + num(code) +
          "\" and writes no compiled file",
      "move the object out of cell 1: to progressive 75 or later");
}

Diagnostic no_line_error(const CompileReport& report, const FileNames& names) {
  const bool line_phase = report.place.file == names.line_source();
  return diagnostic(code::run_time_failure, line_phase ? report.place : SourcePlace{names.line_source(), 0, 0}, 0,
                    "the line source file gives the line no length: nothing can be placed or written",
                    "give \"lunghezza percorso\" in [generale], before anything that needs the line");
}

}  // namespace scenario
