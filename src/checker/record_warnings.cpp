// Each record's own values: records given twice, records spread over lines,
// progressives past the line's end or off the 50 m grid, rows out of order,
// curve keywords, mountains, texts, station times, signals and boards.
#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "base/windows1252.h"
#include "checker/source_links.h"
#include "checker/warning_context.h"
#include "compiler/cell_rules.h"

namespace scenario {

namespace {

using namespace warnings;

// Whether the raw bytes of a text hold a UTF-8 sequence of two or more bytes:
// read as Windows-1252, each such letter turns into two odd ones.
std::optional<std::string> as_utf8(std::string_view bytes) {
  bool multi = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
    } else {
      return std::nullopt;
    }
    if (i + extra >= bytes.size()) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return std::nullopt;
    }
    multi = true;
    i += extra + 1;
  }
  if (!multi) return std::nullopt;
  return std::string(bytes);
}

std::string clock(int64_t seconds) {
  const auto two = [](int64_t v) { return (v < 10 ? "0" : "") + num(v); };
  return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

// A record the format allows once: the general block's, and the train's own
// figures (those without a plural).
bool given_once(const RecordFormat& format) { return format.plural.empty(); }

class RecordWarnings {
 public:
  explicit RecordWarnings(Context& c) : c_(c) {}

  void find() {
    std::map<Record, const ObservedRecord*> once_seen;
    std::map<Record, const ObservedRecord*> previous_row;  // pendenza, velocita, aderenza
    const ObservedRecord* previous_curve = nullptr;
    std::optional<int64_t> curve_end;
    const ObservedRecord* previous_station = nullptr;
    for (const ObservedRecord& r : c_.o.records) {
      const std::string_view keyword = trimmed(r.keyword);
      if (keyword.starts_with("#")) {
        c_.at_keyword(code::hash_is_no_comment, r,
                      "the line starts with \"#\" but is read as the record " + in_quotes(r.format->keyword) +
                          ": this format has no # comments",
                      "start a comment with a hyphen: \"-- ...\"");
      }
      glued_to_keyword(r, keyword);
      if (given_once(*r.format)) {
        if (const auto seen = once_seen.find(r.format->id); seen != once_seen.end()) {
          c_.at_keyword(code::general_record_twice, r,
                        in_quotes(r.format->keyword) + " is given again (first at line " +
                            num(seen->second->place.line) + "): this one counts");
          c_.last().related.push_back(c_.related(*seen->second, "given first here; its values are replaced"));
        }
        once_seen[r.format->id] = &r;
      }
      for (const ObservedField& f : r.fields) {
        if (f.place.line != r.place.line) {
          const std::string_view text = line_of(c_.o, r.place.file, r.place.line);
          c_.add(code::record_continues_on_next_line, {r.place.file, r.place.line, static_cast<int32_t>(text.size())},
                 0,
                 in_quotes(r.format->keyword) + " has fewer than its " +
                     num(static_cast<int64_t>(r.format->fields.size())) + " fields on its line: it reads " +
                     std::string(f.format->name) + " from line " + num(f.place.line),
                 "give the record all its fields on its own line");
          break;
        }
      }
      progressive_checks(r);
      switch (r.format->id) {
        case Record::pendenza:
        case Record::velocita:
        case Record::aderenza:
          row_order(r, previous_row);
          break;
        case Record::curva:
          curve(r, previous_curve, curve_end);
          break;
        case Record::montagna:
          mountain(r);
          break;
        case Record::stazione:
          station(r, previous_station);
          break;
        case Record::cartello_indicatore:
          text_field(r, "text");
          break;
        case Record::segnale:
          signal(r);
          break;
        case Record::indicatori_vmax:
          board(r);
          break;
        case Record::rallentamento:
          if (const auto x = r.number("x"); x && !has_warning_board(*x)) {
            c_.at_field(code::slowdown_without_warning_board, *r.field("x"),
                        "the slowdown starts at " + num(*x) + ", within " + num(kNoWarningBoardWithin) +
                            " m of the origin: it gets no warning board");
          }
          break;
        default:
          break;
      }
      if (r.format->id == Record::velocita) {
        if (const ObservedField* speed = r.field("speed"); speed != nullptr && speed->number % 5 != 0) {
          if (const std::optional<int32_t> stored = stored_speed(speed->number)) {
            c_.at_field(
                code::speed_rounded, *speed,
                "the speed " + num(speed->number) + " km/h is stored in steps of 5: as " + num(*stored) + " km/h",
                "give a multiple of 5");
          }
        }
      }
    }
  }

 private:
  // A keyword field holds the keyword's words only: anything glued to it,
  // such as "stazione;  8050", took in what should have been the first field.
  void glued_to_keyword(const ObservedRecord& r, std::string_view keyword) {
    const std::string rest = warnings::glued_to_keyword(r);
    if (rest.empty()) return;
    c_.at_keyword(code::keyword_with_stray_characters, r,
                  "the keyword field " + in_quotes(keyword) + " holds " + in_quotes(rest) +
                      " after the keyword: a field ends only at a comma, so what follows is read one field early",
                  "write a comma right after " + in_quotes(r.format->keyword) + ": " +
                      in_quotes(std::string(r.format->keyword) + ", ..."));
  }

  // Past the line's end, and rounded into a cell.
  void progressive_checks(const ObservedRecord& r) {
    for (const ObservedField& f : r.fields) {
      const Placement placement = f.format->placement;
      const bool progressive =
          placement != Placement::none || (r.format->id == Record::curva && f.format->name == "start");
      if (!progressive) continue;
      if (c_.length && f.number > *c_.length) {
        c_.at_field(code::past_the_line_end, f,
                    "the " + std::string(f.format->name) + " " + num(f.number) + " lies past the end of the line (" +
                        num(*c_.length) + " m), in the 7000 m the line runs on",
                    "move the record inside the line, or make \"lunghezza percorso\" longer");
      }
      if (f.number % 50 != 0 && (placement == Placement::object || placement == Placement::section_boundary)) {
        const int32_t cell = placement == Placement::object ? object_cell(f.number) : boundary_cell(f.number);
        const int64_t cell_progressive =
            placement == Placement::object ? object_progressive(cell) : boundary_progressive(cell);
        c_.at_field(code::rounded_into_a_cell, f,
                    "progressive " + num(f.number) + " is not a multiple of 50: it lands in cell " + num(cell) + " (" +
                        num(cell_progressive) + " m)");
      }
    }
  }

  // Rows of a profile: in ascending progressive, each in a cell of its own.
  void row_order(const ObservedRecord& r, std::map<Record, const ObservedRecord*>& previous) {
    const ObservedField* p = r.field("progressive");
    if (p == nullptr) return;
    if (const auto before_it = previous.find(r.format->id); before_it != previous.end()) {
      const ObservedRecord& row = *before_it->second;
      const ObservedField* q = row.field("progressive");
      if (q != nullptr && p->number < q->number) {
        c_.at_field(code::rows_out_of_order, *p,
                    in_quotes(r.format->keyword) + " at " + num(p->number) + " comes after one at " + num(q->number) +
                        ": it writes one cell and gives its value to the rest of the line",
                    "put the rows in ascending progressive");
        c_.last().related.push_back(c_.related(*q, "the row it follows"));
      } else if (q != nullptr && boundary_cell(p->number) == boundary_cell(q->number)) {
        const int32_t cell = boundary_cell(p->number);
        c_.at_field(code::rows_share_a_cell, *q,
                    in_quotes(r.format->keyword) + " at " + num(q->number) + " and the next at " + num(p->number) +
                        " fall in one cell (" + num(cell) + "): " +
                        (cell > 0 ? "this row's value covers one cell, and the next starts a cell later"
                                  : "this row's value is stored nowhere"),
                    "give each row a cell of its own, or remove one of them");
        c_.last().related.push_back(c_.related(*p, "the row in the same cell"));
      }
    }
    previous[r.format->id] = &r;
  }

  void curve(const ObservedRecord& r, const ObservedRecord*& previous, std::optional<int64_t>& previous_end) {
    const std::string keyword = lower(trimmed(r.keyword));
    const std::size_t at = keyword.find("curva");
    const std::string after = at == std::string::npos ? keyword : keyword.substr(at + 5);
    if (keyword.find('s') != std::string::npos && (after.empty() || after[0] != 's')) {
      c_.at_keyword(code::curve_side_from_an_s, r,
                    "the curve turns left: its keyword " + in_quotes(trimmed(r.keyword)) +
                        " holds an \"s\", and any \"s\" makes a curve turn left",
                    "write the side right after \"curva\": \"curvas\" turns left, \"curvad\" right");
    }
    int digits = 0;
    for (char d = '1'; d <= '6'; ++d) digits += keyword.find(d) != std::string::npos ? 1 : 0;
    if (digits > 1) {
      c_.at_keyword(
          code::curve_with_two_classes, r,
          "the keyword " + in_quotes(trimmed(r.keyword)) + " holds more than one class digit: the lowest counts",
          "write one class digit, 1 to 6");
    }
    const ObservedField* start = r.field("start");
    const auto length = r.number("length");
    if (start == nullptr || !length) return;
    const ObservedField* previous_start = previous != nullptr ? previous->field("start") : nullptr;
    if (previous_start != nullptr && start->number < previous_start->number) {
      c_.at_field(code::rows_out_of_order, *start,
                  "the curve starts at " + num(start->number) + ", before the previous curve (" +
                      num(previous_start->number) + "): curves are integrated in file order",
                  "put the curves in ascending start");
      c_.last().related.push_back(c_.related(*previous_start, "the previous curve"));
    } else if (previous_end && start->number < *previous_end) {
      c_.at_field(code::curves_overlap, *start,
                  "the curve starts at " + num(start->number) + ", before the previous curve ends (" +
                      num(*previous_end) + "): the turn goes on from there",
                  "start the curve at " + num(*previous_end) + " or later");
      if (previous_start != nullptr) c_.last().related.push_back(c_.related(*previous_start, "the previous curve"));
    }
    previous = &r;
    previous_end = int64_t{start->number} + *length;
  }

  void mountain(const ObservedRecord& r) {
    const auto inizio = r.number("inizio"), fine = r.number("fine");
    if (!inizio || !fine) return;
    if (mountain_cells(*inizio, *fine).empty()) {
      c_.at_field(code::mountain_ends_before_start, *r.field("fine"),
                  "the mountain from " + num(*inizio) + " ends at " + num(*fine) + ": it covers no cell",
                  "give an end after the start");
    }
  }

  void text_field(const ObservedRecord& r, std::string_view name) {
    const ObservedField* f = r.field(name);
    if (f == nullptr) return;
    if (trimmed(f->text).empty()) {
      c_.at_field(code::empty_text, *f, "the " + std::string(name) + " is empty", "give the text");
      return;
    }
    if (const std::size_t comment = f->text.find("--"); comment != std::string::npos) {
      c_.at_field(code::comment_in_text, *f,
                  "the " + std::string(name) + " " + in_quotes(trimmed(f->text)) +
                      " holds a comment: a text runs to the line's end, so the comment is part of it",
                  "put the comment on a line of its own; the " + std::string(name) + " is then " +
                      in_quotes(trimmed(std::string_view(f->text).substr(0, comment))));
    }
    const std::string_view line = line_of(c_.o, f->place.file, f->place.line);
    const std::size_t column = static_cast<std::size_t>(f->place.column);
    if (column > line.size()) return;
    const std::string_view bytes = line.substr(column, static_cast<std::size_t>(field_length(c_.o, f->place, false)));
    if (const auto utf8 = as_utf8(bytes)) {
      c_.at_field(
          code::text_in_utf8, *f,
          "the text " + in_quotes(from_windows1252(bytes)) + " looks like UTF-8, but the file is read as Windows-1252",
          "save the file as Windows-1252 so that it reads " + in_quotes(*utf8));
    }
  }

  void station(const ObservedRecord& r, const ObservedRecord*& previous) {
    text_field(r, "name");
    const auto time_of = [](const ObservedRecord& s) -> std::optional<int64_t> {
      const auto h = s.number("hours"), m = s.number("minutes"), sec = s.number("seconds");
      if (!h || !m || !sec) return std::nullopt;
      return int64_t{*h} * 3600 + int64_t{*m} * 60 + *sec;
    };
    const std::optional<int64_t> time = time_of(r);
    if (!time) return;
    if (previous != nullptr) {
      if (const std::optional<int64_t> previous_time = time_of(*previous); previous_time && *time < *previous_time) {
        c_.at_field(
            code::station_time_goes_back, *r.field("hours"),
            "the station's time " + clock(*time) + " is earlier than the previous station's " + clock(*previous_time),
            "check the hours, minutes and seconds");
        c_.last().related.push_back(c_.related(*previous->field("hours"), "the previous station's time"));
      }
    }
    previous = &r;
  }

  void signal(const ObservedRecord& r) {
    if (!r.complete()) return;
    const int32_t sx = *r.number("sx"), tempo = *r.number("tempo");
    if (sx == 2 && tempo >= 1 && tempo <= 100) {
      c_.at_field(code::signal_time_raised, *r.field("tempo"), "a time of " + num(tempo) + " s is stored as 101");
    } else if (sx != 2 && tempo != 0) {
      c_.at_field(code::signal_time_unused, *r.field("tempo"),
                  "the time " + num(tempo) + " is not stored: only a signal with sx 2 keeps one");
    }
  }

  void board(const ObservedRecord& r) {
    if (!r.complete()) return;
    for (const char* name : {"vas", "vbs", "vcs", "vad", "vbd", "vcd"}) {
      const ObservedField* f = r.field(name);
      const bool d_speed = name[2] == 'd';
      if (f->number % 5 != 0 || (d_speed && f->number >= 100)) {
        c_.at_field(code::board_speed_not_stored_whole, *f,
                    std::string(name) + " " + num(f->number) +
                        " km/h does not read back from the board: each pair is vs x 20 + vd / 5",
                    "speeds in multiples of 5, d speeds under 100 km/h");
      }
    }
  }

  Context& c_;
};

}  // namespace

namespace warnings {
void record_warnings(Context& c) { RecordWarnings(c).find(); }
}  // namespace warnings

}  // namespace scenario
