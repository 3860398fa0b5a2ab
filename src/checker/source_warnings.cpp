#include "checker/source_warnings.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>

#include "base/windows1252.h"
#include "checker/source_links.h"
#include "compiler/cell_rules.h"
#include "compiler/progressive_ordina.h"
#include "compiler/source_reader.h"

namespace scenario {

namespace {

std::string num(int64_t v) { return std::to_string(v); }
std::string in_quotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool is_number(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Edits (insert, delete, change, swap of two neighbours) from a to b.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// Letters and blanks of a keyword, lower case: digits and marks aside.
std::string letters_of(std::string_view text) {
  std::string out;
  for (const char c : lower(trimmed(text))) {
    if ((c >= 'a' && c <= 'z') || c == ' ' || c == '_') out += c;
  }
  return out;
}

SourceKind kind_of(const FileNames& names, std::string_view file) {
  return file == names.line_source() ? SourceKind::line : SourceKind::train;
}

const RecordFormat* recognising(std::span<const RecordFormat> formats, std::string_view keyword,
                                bool ignore_case = false) {
  for (const RecordFormat& format : formats) {
    if (recognises(format, keyword)) return &format;
    if (ignore_case) {
      RecordFormat any_case = format;
      any_case.exact_case = false;
      if (recognises(any_case, keyword)) return &format;
    }
  }
  return nullptr;
}

bool before(const SourcePlace& a, const SourcePlace& b) {
  return a.line != b.line ? a.line < b.line : a.column < b.column;
}

// The lines of the line source file's general block: from "[generale]" to the
// header that ends it.
struct Block {
  int32_t first = 0;
  int32_t last = 0;
  bool contains(int32_t line) const { return line > first && line < last; }
};

Block general_block(const Observation& o, const FileNames& names) {
  Block block{-1, -1};
  for (const PassedOverField& f : o.passed) {
    if (f.place.file != names.line_source() || f.why != PassedOver::header) continue;
    if (block.first < 0) {
      if (contains_ignoring_case(f.text, kGeneralHeader)) block.first = f.place.line;
    } else {
      block.last = f.place.line;
      break;
    }
  }
  if (block.first >= 0 && block.last < 0) block.last = INT32_MAX;
  return block;
}

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

class Warnings {
 public:
  Warnings(const Observation& o, const TrackModel& model, const FileNames& names)
      : o_(o), names_(names), general_(general_block(o, names)) {
    length_ =
        model.ultima_cella() >= 0 ? std::optional<int32_t>(model.tabella_sim[voce::treno_e_linea].fine) : std::nullopt;
  }

  Diagnostics find() {
    passed_over_fields();
    train_without_general_block();
    records();
    kilometre_references();
    profiles_start_at_origin();
    std::stable_sort(found_.begin(), found_.end(), [this](const Diagnostic& a, const Diagnostic& b) {
      const bool a_line = a.place.file == names_.line_source(), b_line = b.place.file == names_.line_source();
      if (a_line != b_line) return a_line;
      return before(a.place, b.place);
    });
    return std::move(found_);
  }

 private:
  void add(int32_t code, const SourcePlace& place, int32_t length, std::string message, std::string hint = {}) {
    found_.push_back(diagnostic(code, place, length, std::move(message), std::move(hint)));
  }
  void at_field(int32_t code, const ObservedField& field, std::string message, std::string hint = {}) {
    const bool number = field.format->type != FieldType::text && field.format->type != FieldType::stored_text;
    add(code, field.place, field_length(o_, field.place, number), std::move(message), std::move(hint));
  }
  void at_keyword(int32_t code, const ObservedRecord& record, std::string message, std::string hint = {}) {
    add(code, record.place, static_cast<int32_t>(trimmed(record.keyword).size()), std::move(message), std::move(hint));
  }

  // The record of the same file whose fields end on `place`'s line before it.
  const ObservedRecord* record_ending_on(const SourcePlace& place) const {
    for (auto it = o_.records.rbegin(); it != o_.records.rend(); ++it) {
      if (it->place.file != place.file) continue;
      const SourcePlace& last = it->fields.empty() ? it->place : it->fields.back().place;
      if (last.line == place.line && before(last, place)) return &*it;
      if (before(it->place, place)) return nullptr;
    }
    return nullptr;
  }

  void passed_over_fields() {
    std::set<std::pair<std::string, int32_t>> skipped_lines;  // lines whose first field was reported
    for (const PassedOverField& f : o_.passed) {
      const std::string_view text = trimmed(f.text);
      const SourceKind kind = kind_of(names_, f.place.file);
      const SourceFormat& format = format_of(kind);
      const bool in_general = kind == SourceKind::line && general_.contains(f.place.line);
      const auto line_key = std::make_pair(f.place.file, f.place.line);
      if (f.why == PassedOver::comment) {
        std::string as_keyword(text);
        std::replace(as_keyword.begin(), as_keyword.end(), '-', '_');
        const bool one_word = as_keyword.find(' ') == std::string::npos && !as_keyword.starts_with("_");
        const RecordFormat* meant = recognising(in_general ? format.general : format.records, as_keyword);
        if (one_word && meant != nullptr) {
          skipped_lines.insert(line_key);
          add(code::keyword_in_comment, f.place, static_cast<int32_t>(f.text.size()),
              "the hyphen makes " + in_quotes(text) + " a comment: it is discarded and the record " +
                  in_quotes(meant->keyword) + " is skipped",
              "write " + in_quotes(meant->keyword));
        }
        continue;
      }
      if (f.why != PassedOver::unknown || text.empty()) continue;
      if (const ObservedRecord* record = record_ending_on(f.place); record != nullptr && record->complete()) {
        if (!skipped_lines.insert(line_key).second) continue;
        stray_field(f, *record);
        continue;
      }
      if (!skipped_lines.insert(line_key).second) continue;
      unknown_keyword(f, kind, in_general);
    }
  }

  void stray_field(const PassedOverField& f, const ObservedRecord& record) {
    const ObservedField& last = record.fields.empty() ? ObservedField{} : record.fields.back();
    const std::string_view text = trimmed(f.text);
    std::string hint;
    if (last.format != nullptr &&
        (last.format->type == FieldType::text || last.format->type == FieldType::stored_text)) {
      hint = "a comma ends a text: write " + in_quotes(last.text + f.text) + " without the comma";
    } else if (is_number(text)) {
      hint = "numbers are whole: " + num(last.number) + "," + std::string(text) + " is read as " + num(last.number) +
             " and a stray " + std::string(text);
    } else {
      hint = "write the number alone: no unit or word after it";
    }
    add(code::stray_field, f.place, static_cast<int32_t>(f.text.size()),
        in_quotes(text) + " follows the last field of " + in_quotes(record.format->keyword) + " (" +
            std::string(record.format->fields.back().name) + "); it is read as a keyword field and skipped",
        hint);
  }

  void unknown_keyword(const PassedOverField& f, SourceKind kind, bool in_general) {
    const std::string_view text = trimmed(f.text);
    const SourceFormat& format = format_of(kind);
    const SourceFormat& other = format_of(kind == SourceKind::line ? SourceKind::train : SourceKind::line);
    const int32_t length = static_cast<int32_t>(f.text.size());
    if (is_number(text)) {
      add(code::unknown_keyword, f.place, length,
          "a line that starts with a number, " + in_quotes(text) +
              ": a record starts with its keyword, so it is skipped",
          "give the record's keyword first, or join the line to the record before it");
      return;
    }
    if (in_general) {
      if (const RecordFormat* meant = recognising(format.general, text, true)) {
        add(code::general_keyword_case, f.place, length,
            in_quotes(text) + " is not recognised: the general block's keywords are matched in exact letter case",
            "write " + in_quotes(meant->keyword));
        return;
      }
      if (const RecordFormat* meant = recognising(format.records, text)) {
        add(code::unknown_keyword, f.place, length,
            in_quotes(text) + " stands in the general block, which reads only its own records: it is skipped",
            "end the general block with a section header (such as " + in_quotes(format.sections[1].header) +
                ") before " + in_quotes(meant->keyword));
        return;
      }
    }
    for (const auto records : {other.general, other.records}) {
      if (const RecordFormat* meant = recognising(records, text)) {
        add(code::record_of_the_other_file, f.place, length,
            in_quotes(text) + " is a record of the " + (kind == SourceKind::line ? "train" : "line") +
                " source file: this file skips it",
            "move " + in_quotes(meant->keyword) + " to the " + (kind == SourceKind::line ? "train" : "line") +
                " source file");
        return;
      }
    }
    const std::string_view nearest = nearest_keyword(text, kind, in_general);
    add(code::unknown_keyword, f.place, length,
        in_quotes(text) + " names no record" + (in_general ? " of the general block" : "") + ": it is skipped",
        nearest.empty() ? "check the keyword" : "did you mean " + in_quotes(nearest) + "?");
  }

  void train_without_general_block() {
    if (!o_.files.contains(names_.train_source())) return;
    for (const ObservedRecord& r : o_.records) {
      if (r.place.file == names_.train_source()) return;
    }
    SourcePlace place{names_.train_source(), 1, 0};
    int32_t length = 0;
    std::string hint = "start the train's general block with \"[generale]\"";
    bool any = false;
    for (const PassedOverField& f : o_.passed) {
      if (f.place.file != names_.train_source()) continue;
      if (f.why == PassedOver::header) return;  // "[generale]" found, the file holds no record
      if (f.why != PassedOver::before_general_block) continue;
      any = true;
      if (trimmed(f.text).starts_with("[")) {
        place = f.place;
        length = static_cast<int32_t>(f.text.size());
        hint = "the train's general block starts with \"[generale]\", not " + in_quotes(trimmed(f.text));
        break;
      }
    }
    if (!any) return;
    add(code::train_without_general_block, place, length,
        "the train source file has no \"[generale]\": nothing of it is read (no stations, no signals, no speed limit)",
        hint);
  }

  void records() {
    std::map<Record, const ObservedRecord*> general_seen;
    std::map<Record, int32_t> previous_row;  // pendenza, velocita, aderenza: the last progressive
    std::optional<int64_t> curve_start, curve_end;
    std::optional<int32_t> station_time;
    for (const ObservedRecord& r : o_.records) {
      const std::string_view keyword = trimmed(r.keyword);
      if (keyword.starts_with("#")) {
        at_keyword(code::hash_is_no_comment, r,
                   "the line starts with \"#\" but is read as the record " + in_quotes(r.format->keyword) +
                       ": this format has no # comments",
                   "start a comment with a hyphen: \"-- ...\"");
      }
      const bool general = std::any_of(line_format().general.begin(), line_format().general.end(),
                                       [&r](const RecordFormat& f) { return &f == r.format; });
      if (general) {
        if (const auto seen = general_seen.find(r.format->id); seen != general_seen.end()) {
          at_keyword(code::general_record_twice, r,
                     in_quotes(r.format->keyword) + " is given again (first at line " + num(seen->second->place.line) +
                         "): this one counts");
        }
        general_seen[r.format->id] = &r;
      }
      for (const ObservedField& f : r.fields) {
        if (f.place.line != r.place.line) {
          const std::string_view text = line_of(o_, r.place.file, r.place.line);
          add(code::record_continues_on_next_line, {r.place.file, r.place.line, static_cast<int32_t>(text.size())}, 0,
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
          curve(r, curve_start, curve_end);
          break;
        case Record::montagna:
          mountain(r);
          break;
        case Record::stazione:
          station(r, station_time);
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
            at_field(code::slowdown_without_warning_board, *r.field("x"),
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
            at_field(code::speed_rounded, *speed,
                     "the speed " + num(speed->number) + " km/h is stored in steps of 5: as " + num(*stored) + " km/h",
                     "give a multiple of 5");
          }
        }
      }
    }
  }

  // Past the line's end, and rounded into a cell.
  void progressive_checks(const ObservedRecord& r) {
    for (const ObservedField& f : r.fields) {
      const Placement placement = f.format->placement;
      const bool progressive =
          placement != Placement::none || (r.format->id == Record::curva && f.format->name == "start");
      if (!progressive) continue;
      if (length_ && f.number > *length_) {
        at_field(code::past_the_line_end, f,
                 "the " + std::string(f.format->name) + " " + num(f.number) + " lies past the end of the line (" +
                     num(*length_) + " m), in the 7000 m the line runs on",
                 "move the record inside the line, or make \"lunghezza percorso\" longer");
      }
      if (f.number % 50 != 0 && (placement == Placement::object || placement == Placement::section_boundary)) {
        const int32_t cell = placement == Placement::object ? object_cell(f.number) : boundary_cell(f.number);
        const int64_t cell_progressive =
            placement == Placement::object ? object_progressive(cell) : boundary_progressive(cell);
        at_field(code::rounded_into_a_cell, f,
                 "progressive " + num(f.number) + " is not a multiple of 50: it lands in cell " + num(cell) + " (" +
                     num(cell_progressive) + " m)");
      }
    }
  }

  void row_order(const ObservedRecord& r, std::map<Record, int32_t>& previous) {
    const ObservedField* p = r.field("progressive");
    if (p == nullptr) return;
    if (const auto before_it = previous.find(r.format->id);
        before_it != previous.end() && p->number < before_it->second) {
      at_field(code::rows_out_of_order, *p,
               in_quotes(r.format->keyword) + " at " + num(p->number) + " comes after one at " +
                   num(before_it->second) + ": it writes one cell and gives its value to the rest of the line",
               "put the rows in ascending progressive");
    }
    previous[r.format->id] = p->number;
  }

  void curve(const ObservedRecord& r, std::optional<int64_t>& previous_start, std::optional<int64_t>& previous_end) {
    const std::string keyword = lower(trimmed(r.keyword));
    const std::size_t at = keyword.find("curva");
    const std::string after = at == std::string::npos ? keyword : keyword.substr(at + 5);
    if (keyword.find('s') != std::string::npos && (after.empty() || after[0] != 's')) {
      at_keyword(code::curve_side_from_an_s, r,
                 "the curve turns left: its keyword " + in_quotes(trimmed(r.keyword)) +
                     " holds an \"s\", and any \"s\" makes a curve turn left",
                 "write the side right after \"curva\": \"curvas\" turns left, \"curvad\" right");
    }
    int digits = 0;
    for (char d = '1'; d <= '6'; ++d) digits += keyword.find(d) != std::string::npos ? 1 : 0;
    if (digits > 1) {
      at_keyword(code::curve_with_two_classes, r,
                 "the keyword " + in_quotes(trimmed(r.keyword)) + " holds more than one class digit: the lowest counts",
                 "write one class digit, 1 to 6");
    }
    const ObservedField* start = r.field("start");
    const auto length = r.number("length");
    if (start == nullptr || !length) return;
    if (previous_start && start->number < *previous_start) {
      at_field(code::rows_out_of_order, *start,
               "the curve starts at " + num(start->number) + ", before the previous curve (" + num(*previous_start) +
                   "): curves are integrated in file order",
               "put the curves in ascending start");
    } else if (previous_end && start->number < *previous_end) {
      at_field(code::curves_overlap, *start,
               "the curve starts at " + num(start->number) + ", before the previous curve ends (" + num(*previous_end) +
                   "): the turn goes on from there",
               "start the curve at " + num(*previous_end) + " or later");
    }
    previous_start = start->number;
    previous_end = int64_t{start->number} + *length;
  }

  void mountain(const ObservedRecord& r) {
    const auto inizio = r.number("inizio"), fine = r.number("fine");
    if (!inizio || !fine) return;
    if (mountain_cells(*inizio, *fine).empty()) {
      at_field(code::mountain_ends_before_start, *r.field("fine"),
               "the mountain from " + num(*inizio) + " ends at " + num(*fine) + ": it covers no cell",
               "give an end after the start");
    }
  }

  void text_field(const ObservedRecord& r, std::string_view name) {
    const ObservedField* f = r.field(name);
    if (f == nullptr) return;
    if (trimmed(f->text).empty()) {
      at_field(code::empty_text, *f, "the " + std::string(name) + " is empty", "give the text");
      return;
    }
    const std::string_view line = line_of(o_, f->place.file, f->place.line);
    const std::size_t column = static_cast<std::size_t>(f->place.column);
    if (column > line.size()) return;
    const std::string_view bytes = line.substr(column, static_cast<std::size_t>(field_length(o_, f->place, false)));
    if (const auto utf8 = as_utf8(bytes)) {
      at_field(code::text_in_utf8, *f,
               "the text " + in_quotes(from_windows1252(bytes)) +
                   " looks like UTF-8, but the file is read as "
                   "Windows-1252",
               "save the file as Windows-1252 so that it reads " + in_quotes(*utf8));
    }
  }

  void station(const ObservedRecord& r, std::optional<int32_t>& previous_time) {
    text_field(r, "name");
    const auto h = r.number("hours"), m = r.number("minutes"), s = r.number("seconds");
    if (!h || !m || !s) return;
    const int64_t time = int64_t{*h} * 3600 + int64_t{*m} * 60 + *s;
    if (previous_time && time < *previous_time) {
      at_field(code::station_time_goes_back, *r.field("hours"),
               "the station's time " + clock(time) + " is earlier than the previous station's " + clock(*previous_time),
               "check the hours, minutes and seconds");
    }
    previous_time = static_cast<int32_t>(std::clamp<int64_t>(time, INT32_MIN, INT32_MAX));
  }

  static std::string clock(int64_t seconds) {
    const auto two = [](int64_t v) { return (v < 10 ? "0" : "") + num(v); };
    return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
  }

  void signal(const ObservedRecord& r) {
    if (!r.complete()) return;
    for (const char* name : {"s1", "s2", "s3", "d1", "d2", "d3"}) {
      const ObservedField* f = r.field(name);
      if (f->number < 0 || f->number > 9) {
        at_field(code::value_overlaps_digits, *f,
                 std::string(name) + " " + num(f->number) + " does not fit its decimal digit: dato" + name[1] + " = s" +
                     name[1] + " x 10 + d" + name[1] + " will not read back as given",
                 std::string(name) + ": 0 to 9");
      }
    }
    const int32_t sx = *r.number("sx"), dx = *r.number("dx"), tempo = *r.number("tempo");
    if (int64_t{sx} * 3 + dx < 0 || int64_t{sx} * 3 + dx > 9) {
      at_field(code::value_overlaps_digits, *r.field("sx"),
               "sx x 3 + dx = " + num(int64_t{sx} * 3 + dx) +
                   " does not fit the units of dato4 and the tens of the "
                   "approach markers",
               "sx: 1 or 2; dx: 0 to 2");
    }
    if (sx == 2 && tempo >= 1 && tempo <= 100) {
      at_field(code::signal_time_raised, *r.field("tempo"), "a time of " + num(tempo) + " s is stored as 101");
    } else if (sx != 2 && tempo != 0) {
      at_field(code::signal_time_unused, *r.field("tempo"),
               "the time " + num(tempo) + " is not stored: only a signal with sx 2 keeps one");
    }
  }

  void board(const ObservedRecord& r) {
    if (!r.complete()) return;
    for (const char* name : {"vas", "vbs", "vcs", "vad", "vbd", "vcd"}) {
      const ObservedField* f = r.field(name);
      const bool d_speed = name[2] == 'd';
      if (f->number % 5 != 0 || (d_speed && f->number >= 100)) {
        at_field(code::board_speed_not_stored_whole, *f,
                 std::string(name) + " " + num(f->number) + " km/h does not read back from the board: each pair is " +
                     "vs x 20 + vd / 5",
                 "speeds in multiples of 5, d speeds under 100 km/h");
      }
    }
    for (const char* name : {"strisces", "strisced"}) {
      const ObservedField* f = r.field(name);
      if (f->number < 0 || f->number > 9) {
        at_field(code::value_overlaps_digits, *f,
                 std::string(name) + " " + num(f->number) + " does not fit its decimal digit of dato4",
                 std::string(name) + ": 0 to 9");
      }
    }
  }

  void kilometre_references() {
    TrackModel references;
    std::array<const ObservedRecord*, 3> given{};
    const Record ids[] = {Record::progressiva_tre, Record::progressiva_due, Record::progressiva_uno};
    for (std::size_t i = 0; i < 3; ++i) {
      const std::vector<const ObservedRecord*> records = o_.of(ids[i]);
      if (records.empty() || !records.back()->complete()) continue;
      given[i] = records.back();
      voce_sim& e = references.tabella_sim[static_cast<std::size_t>(voce::progressiva_tre) + i];
      e.inizio = *given[i]->number("start");
      e.fine = *given[i]->number("kilometre");
      e.posizione = *given[i]->number("direction");
    }
    const bool any = std::any_of(given.begin(), given.end(), [](const ObservedRecord* r) {
      return r != nullptr && (*r->number("start") != 0 || *r->number("kilometre") != 0 || *r->number("direction") != 0);
    });
    if (!any) return;
    if (!progressive_order(references)) {
      int64_t sum = 0;
      int32_t greatest = INT32_MIN;
      for (const ObservedRecord* r : given) {
        const int32_t start = r != nullptr ? *r->number("start") : 0;
        sum += start;
        greatest = std::max(greatest, start);
      }
      for (std::size_t i = 0; i < 3; ++i) {
        const ObservedRecord* r = given[i];
        if (r == nullptr) continue;
        if (sum == 0) {
          at_field(code::references_share_start, *r->field("kilometre"),
                   "all the kilometre references start at 0 and none has a kilometre value above 0: the ordering "
                   "clears all three",
                   "give one reference a positive kilometre value, or a start");
        } else if (*r->number("start") == greatest) {
          at_field(
              code::references_share_start, *r->field("start"),
              "two kilometre references share the greatest start, " + num(greatest) + ": the ordering clears all three",
              "give each reference its own start");
        }
      }
      return;
    }
    for (const ObservedRecord* r : given) {
      if (r != nullptr && *r->number("direction") == 1) {
        at_field(code::direction_raises_kilometre, *r->field("kilometre"),
                 "direction 1: the kilometre value " + num(*r->number("kilometre")) + " is stored as " +
                     num(int64_t{*r->number("kilometre")} + 100));
      }
    }
  }

  void profiles_start_at_origin() {
    if (!o_.files.contains(names_.train_source())) return;
    const bool train_read = std::any_of(o_.records.begin(), o_.records.end(), [this](const ObservedRecord& r) {
      return r.place.file == names_.train_source();
    });
    if (!train_read) return;
    const struct {
      Record id;
      int32_t code;
      const char* what;
      const char* value;
    } profiles[] = {{Record::velocita, code::no_speed_at_origin, "speed limit", "0 km/h"},
                    {Record::aderenza, code::no_adhesion_at_origin, "adhesion", "0"}};
    for (const auto& profile : profiles) {
      const std::vector<const ObservedRecord*> rows = o_.of(profile.id);
      if (rows.empty()) {
        add(profile.code, {names_.train_source(), 0, 0}, 0,
            std::string("no \"") + std::string(record_format(profile.id).keyword) + "\" row: the " + profile.what +
                " is " + profile.value + " over the whole line",
            std::string("give a row at progressive 0"));
        continue;
      }
      const ObservedField* p = rows.front()->field("progressive");
      if (p != nullptr && boundary_cell(p->number) > 0) {
        at_field(profile.code, *p,
                 std::string("the first \"") + std::string(record_format(profile.id).keyword) + "\" row stands at " +
                     num(p->number) + ": the " + profile.what + " is " + profile.value + " before it",
                 "give a row at progressive 0");
      }
    }
  }

  const Observation& o_;
  const FileNames& names_;
  const Block general_;
  std::optional<int32_t> length_;
  Diagnostics found_;
};

}  // namespace

Diagnostics source_warnings(const Observation& observation, const TrackModel& model, const FileNames& names) {
  return Warnings(observation, model, names).find();
}

std::string_view nearest_keyword(std::string_view keyword, SourceKind kind, bool general_block) {
  const SourceFormat& format = format_of(kind);
  const std::string wanted = letters_of(keyword);
  if (wanted.empty()) return {};
  std::string_view best;
  std::size_t best_distance = std::max<std::size_t>(2, wanted.size() / 3) + 1;
  for (const RecordFormat& record : general_block ? format.general : format.records) {
    for (const std::string_view candidate : {record.keyword, record.tests[0]}) {
      // The distance is at least the difference of the lengths: a keyword
      // far longer than every candidate (a line of megabytes) costs nothing.
      const std::string letters = letters_of(candidate);
      if (wanted.size() >= letters.size() + best_distance) continue;
      const std::size_t distance = edit_distance(wanted, letters);
      if (distance < best_distance) {
        best_distance = distance;
        best = record.keyword;
      }
    }
  }
  return best;
}

}  // namespace scenario
