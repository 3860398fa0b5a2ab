#include "tool/lsp/features.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "base/windows1252.h"
#include "compiler/cell_rules.h"
#include "compiler/code_explanations.h"
#include "compiler/codes.h"
#include "compiler/source_reader.h"
#include "compiler/track_model.h"
#include "tool/lsp/documents.h"

namespace scenario::tool::lsp {

namespace {

std::string num(int64_t v) { return std::to_string(v); }

// One field of a line, as the compiler reads it: where it starts and ends
// (characters) and its text.
struct LineField {
  int32_t start = 0;
  int32_t end = 0;
  std::string text;
};

// A line read as one record: its keyword field, the record it names (if it
// names one in its block) and its fields, as far as they read.
struct LineRecord {
  LineField keyword;
  const RecordFormat* format = nullptr;
  std::vector<LineField> fields;  // in the format's order
  std::vector<int32_t> numbers;   // the value of each numeric field read
};

bool is_header(std::string_view field) {
  const std::size_t first = field.find_first_not_of(" \t");
  return field.find('[') != std::string_view::npos && field.find(']') != std::string_view::npos &&
         !(first != std::string_view::npos && field[first] == '-');
}

bool is_comment(std::string_view field) { return field.find('-') != std::string_view::npos; }

// Whether line `line` (from 0) of the line source file lies in its general
// block: the last header above it is "[generale]".
bool in_general_block(const std::vector<std::string_view>& lines, int32_t line) {
  for (int32_t l = line; l >= 0; --l) {
    const std::string_view text = lines[static_cast<std::size_t>(l)];
    const std::string first(text.substr(0, text.find(',')));
    if (!is_header(first)) continue;
    return contains_ignoring_case(first, kGeneralHeader) && l < line;
  }
  return false;
}

// The header of the section line `line` stands in.
std::string section_at(const std::vector<std::string_view>& lines, int32_t line) {
  for (int32_t l = std::min<int32_t>(line, static_cast<int32_t>(lines.size()) - 1); l >= 0; --l) {
    const std::string_view text = lines[static_cast<std::size_t>(l)];
    const std::string first(text.substr(0, text.find(',')));
    if (is_header(first)) {
      const std::size_t open = first.find('['), close = first.find(']');
      return first.substr(open, close - open + 1);
    }
  }
  return "";
}

const RecordFormat* recognised(std::span<const RecordFormat> formats, std::string_view keyword) {
  for (const RecordFormat& format : formats) {
    if (recognises(format, keyword)) return &format;
  }
  return nullptr;
}

LineRecord read_line(std::string_view utf8_line, SourceKind kind, bool general) {
  LineRecord record;
  SourceReader reader(to_windows1252(utf8_line) + "\r\n", "");
  const auto field_here = [&reader](std::string text) {
    return LineField{reader.column(), reader.end_column(), std::move(text)};
  };
  record.keyword = field_here(reader.read_text());
  const SourceFormat& format = format_of(kind);
  record.format = recognised(general ? format.general : format.records, record.keyword.text);
  if (record.format == nullptr || is_comment(record.keyword.text)) {
    record.format = nullptr;
    return record;
  }
  try {
    for (const FieldFormat& field : record.format->fields) {
      if (reader.at_end()) break;
      if (field.type == FieldType::text || field.type == FieldType::stored_text) {
        record.fields.push_back(field_here(reader.read_text()));
        record.numbers.push_back(0);
      } else {
        const int32_t value = reader.read_int32();
        record.fields.push_back(field_here(""));
        record.numbers.push_back(value);
      }
      if (reader.line() != 1) {  // the line ended before the record's fields did
        record.fields.pop_back();
        record.numbers.pop_back();
        break;
      }
    }
  } catch (const std::exception&) {
    // A field that is no number ends what can be told of the line.
  }
  return record;
}

int32_t value_of(const LineRecord& record, std::string_view field) {
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (record.format->fields[i].name == field) return record.numbers[i];
  }
  return 0;
}

std::string km_text(int64_t progressive) {
  const int64_t a = progressive < 0 ? -progressive : progressive;
  std::string metres = num(a % 1000);
  while (metres.size() < 3) metres = "0" + metres;
  return std::string(progressive < 0 ? "-" : "") + num(a / 1000) + "+" + metres;
}

// The value the compiler's rule stores, or why it stores none.
template <class Rule>
std::string stored(Rule rule) {
  try {
    return num(rule());
  } catch (const RunTimeFailure&) {
    return "a run-time failure: the value does not fit";
  }
}

// What the compiler makes of a field, worked out from the values on its line.
std::string becomes(const LineRecord& r, std::size_t i) {
  const FieldFormat& f = r.format->fields[i];
  const int32_t v = r.numbers[i];
  const auto field = [&r](std::string_view name) { return value_of(r, name); };
  switch (f.placement) {
    case Placement::object: {
      const int32_t cell = object_cell(v);
      return "cell " + num(cell) + " (progressive " + num(object_progressive(cell)) + ", km " + km_text(v) + ")";
    }
    case Placement::section_boundary: {
      const int32_t cell = boundary_cell(v);
      return "from cell " + num(cell) + " (progressive " + num(boundary_progressive(cell)) + ", km " + km_text(v) + ")";
    }
    case Placement::station:
      return "km " + km_text(v);
    case Placement::none:
      break;
  }
  const std::string_view id = f.name;
  switch (r.format->id) {
    case Record::segnale:
      if (id == "s1" || id == "d1")
        return "dato1 = s1 x 10 + d1 = " + stored([&] { return signal_pair(field("s1"), field("d1")); });
      if (id == "s2" || id == "d2")
        return "dato2 = s2 x 10 + d2 = " + stored([&] { return signal_pair(field("s2"), field("d2")); });
      if (id == "s3" || id == "d3")
        return "dato3 = s3 x 10 + d3 = " + stored([&] { return signal_pair(field("s3"), field("d3")); });
      if (id == "sx" || id == "dx" || id == "rapp") {
        try {
          const int32_t sides = signal_sides(field("sx"), field("dx"));
          return "dato4 = rapp x 10 + sx x 3 + dx = " + num(signal_dato4(field("rapp"), sides)) +
                 "; approach markers " + num(approach_marker(sides, 1)) + " to " + num(approach_marker(sides, 4));
        } catch (const RunTimeFailure&) {
          return "dato4 = rapp x 10 + sx x 3 + dx: a run-time failure, the value does not fit";
        }
      }
      if (id == "tempo") {
        return field("sx") == 2 ? "tempo " + num(signal_time(field("sx"), v))
                                : "tempo 0 (only a signal with sx 2 keeps a time)";
      }
      break;
    case Record::indicatori_vmax: {
      const auto pair = [&field](const char* s, const char* d, const char* dato) {
        return std::string(dato) + " = " + s + " x 20 + " + d +
               " / 5 = " + stored([&] { return board_speeds(field(s), field(d)); });
      };
      if (id == "vas" || id == "vad") return pair("vas", "vad", "dato1");
      if (id == "vbs" || id == "vbd") return pair("vbs", "vbd", "dato2");
      if (id == "vcs" || id == "vcd") return pair("vcs", "vcd", "dato3");
      if (id == "strisces" || id == "strisced") {
        return "dato4 = strisces x 10 + strisced = " +
               stored([&] { return board_stripes(field("strisces"), field("strisced")); });
      }
      break;
    }
    case Record::velocita:
      if (id == "speed") {
        try {
          const uint8_t speed = speed_field(v);
          return "velocita " + num(speed) + " (" + num(speed_of(speed)) + " km/h)";
        } catch (const RunTimeFailure&) {
          return "velocita: a run-time failure, " + num(v) + " km/h does not fit the speed field";
        }
      }
      break;
    case Record::pendenza:
      if (id == "gradient") return "pendenza " + stored([&] { return gradient_field(v); });
      break;
    case Record::stazione:
    case Record::orologio:
      if (id == "hours" || id == "minutes" || id == "seconds") {
        const int64_t t = int64_t{field("hours")} * 3600 + int64_t{field("minutes")} * 60 + field("seconds");
        return "time " + num(t / 3600) + ":" + (t / 60 % 60 < 10 ? "0" : "") + num(t / 60 % 60) + ":" +
               (t % 60 < 10 ? "0" : "") + num(t % 60) + " (" + num(t) + " s)";
      }
      break;
    default:
      break;
  }
  return "";
}

std::string record_text(const RecordFormat& format) {
  std::string text = "**" + std::string(format.keyword) + "**: " + std::string(format.meaning) + "\n\nFields:";
  for (const FieldFormat& f : format.fields) {
    text += "\n- `" + std::string(f.name) + "`" + (f.unit.empty() ? "" : " (" + std::string(f.unit) + ")") + ": " +
            std::string(f.meaning);
  }
  return text;
}

std::string field_text(const LineRecord& r, std::size_t i) {
  const FieldFormat& f = r.format->fields[i];
  std::string text = "**" + std::string(f.name) + "** of `" + std::string(r.format->keyword) + "`";
  if (!f.unit.empty()) text += ", " + std::string(f.unit);
  if (const std::string range = range_text(f); !range.empty()) text += " (" + range + ")";
  text += "\n\n" + std::string(f.meaning) + ".\n\nThe compiler makes of it: " + std::string(f.stored) + ".";
  const std::string worked_out = becomes(r, i);
  if (!worked_out.empty()) text += "\n\nHere: " + worked_out + ".";
  return text;
}

// The byte where character `character` of a UTF-8 line starts (the line's
// end past its last), and the character a byte offset falls in.
std::size_t byte_of_character(std::string_view utf8_line, int32_t character) {
  std::size_t i = 0;
  for (int32_t c = 0; c < character && i < utf8_line.size(); ++c) {
    ++i;
    while (i < utf8_line.size() && (static_cast<unsigned char>(utf8_line[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

int32_t character_of_byte(std::string_view utf8_line, std::size_t byte) {
  int32_t characters = 0;
  for (std::size_t i = 0; i < byte && i < utf8_line.size(); ++i) {
    if ((static_cast<unsigned char>(utf8_line[i]) & 0xC0) != 0x80) ++characters;
  }
  return characters;
}

Json position(int32_t line, int32_t character) { return {{"line", line}, {"character", character}}; }

Json range_of(int32_t line, std::string_view utf8_line, int32_t start, int32_t end) {
  return {{"start", position(line, utf16_column(utf8_line, start))},
          {"end", position(line, utf16_column(utf8_line, end))}};
}

std::string diagnostic_text(const Diagnostic& d) {
  const CodeEntry* entry = find_code(d.code);
  std::string text = "**" + std::string(severity_name(d.severity)) + " " + num(d.code) + "**" +
                     (entry != nullptr ? " `" + std::string(entry->name) + "`" : "") + ": " + d.message;
  if (!d.hint.empty()) text += "\n\n" + d.hint;
  if (const CodeExplanation* e = explanation_of(d.code)) {
    text += "\n\n*Why it matters:* " + std::string(e->why) + "\n\n*How to fix it:* " + std::string(e->fix);
  }
  return text;
}

}  // namespace

Json hover(std::string_view text, SourceKind kind, int32_t line, int32_t character, const Diagnostics& diagnostics) {
  const std::vector<std::string_view> lines = lines_of(text);
  if (line < 0 || line >= static_cast<int32_t>(lines.size())) return nullptr;
  const std::string_view utf8_line = lines[static_cast<std::size_t>(line)];
  const int32_t at = character_column(utf8_line, character);
  std::vector<std::string> parts;
  Json range;

  const bool general = kind == SourceKind::line && in_general_block(lines, line);
  const LineRecord record = read_line(utf8_line, kind, general);
  const auto within = [at](const LineField& f) { return at >= f.start && at <= std::max(f.end, f.start + 1); };
  if (within(record.keyword)) {
    if (is_comment(record.keyword.text)) {
      parts.push_back("A comment: a field with a hyphen is discarded.");
    } else if (is_header(record.keyword.text)) {
      for (const SectionFormat& section : format_of(kind).sections) {
        if (contains_ignoring_case(record.keyword.text, section.header)) {
          parts.push_back("**" + std::string(section.header) + "**: " + std::string(section.meaning));
        }
      }
    } else if (record.format != nullptr) {
      parts.push_back(record_text(*record.format));
    }
    range = range_of(line, utf8_line, record.keyword.start, record.keyword.end);
  } else if (record.format != nullptr) {
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      if (!within(record.fields[i])) continue;
      parts.push_back(field_text(record, i));
      range = range_of(line, utf8_line, record.fields[i].start, record.fields[i].end);
      break;
    }
  }
  for (const Diagnostic& d : diagnostics) {
    if (d.place.line - 1 != line) continue;
    if (at >= d.place.column && at <= d.place.column + std::max(d.length, 1)) parts.push_back(diagnostic_text(d));
  }
  if (parts.empty()) return nullptr;
  std::string value;
  for (const std::string& part : parts) value += (value.empty() ? "" : "\n\n---\n\n") + part;
  Json result = {{"contents", {{"kind", "markdown"}, {"value", value}}}};
  if (!range.is_null()) result["range"] = range;
  return result;
}

Json completion(std::string_view text, SourceKind kind, int32_t line, int32_t character) {
  const std::vector<std::string_view> lines = lines_of(text);
  if (line < 0 || line >= static_cast<int32_t>(lines.size()))
    return {{"isIncomplete", false}, {"items", Json::array()}};
  const std::string_view utf8_line = lines[static_cast<std::size_t>(line)];
  const int32_t at = character_column(utf8_line, character);  // the cursor, in characters
  const std::size_t cursor = byte_of_character(utf8_line, at);
  Json items = Json::array();
  // Keywords and headers stand only in a line's first field: in the fields
  // after it, signature help tells the field's name, unit and range.
  const std::size_t comma = utf8_line.find(',');
  if (comma != std::string_view::npos && cursor > comma) return {{"isIncomplete", false}, {"items", items}};
  // What an item replaces: the first field from its first non-blank to the
  // cursor and on to the field's end, so "lunghezza |" and "[|" become
  // "lunghezza percorso" and "[segnali]" and never hold the typed text twice.
  const std::size_t field_end = comma == std::string_view::npos ? utf8_line.size() : comma;
  std::size_t first = utf8_line.find_first_not_of(" \t");
  if (first == std::string_view::npos || first > cursor) first = cursor;
  std::size_t last = field_end;
  while (last > cursor && (utf8_line[last - 1] == ' ' || utf8_line[last - 1] == '\t')) --last;
  const int32_t from = character_of_byte(utf8_line, first), to = character_of_byte(utf8_line, last);
  const Json replaced = range_of(line, utf8_line, from, to);
  // A record whose fields already follow gets its keyword alone.
  const bool fields_follow = comma != std::string_view::npos;

  const SourceFormat& format = format_of(kind);
  const std::string section = section_at(lines, line - 1);
  const bool general = kind == SourceKind::line && contains_ignoring_case(section, kGeneralHeader);
  // The records of the section first, then the others of the block.
  std::vector<const RecordFormat*> offered;
  for (const SectionFormat& s : format.sections) {
    if (s.header != section) continue;
    for (const Record id : s.records) offered.push_back(&record_format(id));
  }
  for (const RecordFormat& record : general ? format.general : format.records) {
    if (std::find(offered.begin(), offered.end(), &record) == offered.end()) offered.push_back(&record);
  }
  int order = 0;
  for (const RecordFormat* record : offered) {
    std::string snippet(record->keyword);
    int placeholder = 1;
    if (!fields_follow) {
      for (const FieldFormat& f : record->fields)
        snippet += ",  ${" + num(placeholder++) + ":" + std::string(f.name) + "}";
    }
    const std::string sort = (order < 10 ? "0" : "") + num(order);
    ++order;
    items.push_back({{"label", std::string(record->keyword)},
                     {"kind", 14},
                     {"detail", std::string(record->meaning)},
                     {"documentation", {{"kind", "markdown"}, {"value", record_text(*record)}}},
                     {"insertText", snippet},
                     {"insertTextFormat", fields_follow ? 1 : 2},
                     {"textEdit", {{"range", replaced}, {"newText", snippet}}},
                     {"sortText", sort},
                     {"filterText", std::string(record->keyword)}});
  }
  for (const SectionFormat& s : format.sections) {
    items.push_back({{"label", std::string(s.header)},
                     {"kind", 9},
                     {"detail", std::string(s.meaning)},
                     {"insertText", std::string(s.header)},
                     {"textEdit", {{"range", replaced}, {"newText", std::string(s.header)}}},
                     {"sortText", "9" + std::string(s.header)}});
  }
  return {{"isIncomplete", false}, {"items", items}};
}

Json document_symbols(std::string_view text, SourceKind kind) {
  // An outline of a very long file is cut short rather than sent whole.
  constexpr std::size_t kMostSymbols = 5000;
  const std::vector<std::string_view> lines = lines_of(text);
  Json sections = Json::array();
  Json* current = nullptr;
  std::size_t symbols = 0;
  bool general = false;
  for (std::size_t l = 0; l < lines.size() && symbols < kMostSymbols; ++l) {
    const std::string_view utf8_line = lines[l];
    const auto line = static_cast<int32_t>(l);
    const std::string first(utf8_line.substr(0, utf8_line.find(',')));
    if (is_header(first)) {
      general = kind == SourceKind::line && contains_ignoring_case(first, kGeneralHeader);
      const Json range = range_of(line, utf8_line, 0, static_cast<int32_t>(utf8_line.size()));
      sections.push_back({{"name", first.substr(first.find_first_not_of(" \t"))},
                          {"kind", 3},
                          {"range", range},
                          {"selectionRange", range},
                          {"children", Json::array()}});
      current = &sections.back();
      ++symbols;
      continue;
    }
    if (current == nullptr) continue;
    const LineRecord record = read_line(utf8_line, kind, general);
    if (record.format == nullptr) continue;
    std::string name;
    int symbol_kind = 0;
    switch (record.format->id) {
      case Record::stazione:
        if (record.fields.size() == record.format->fields.size()) name = record.fields.back().text;
        if (name.empty()) name = "stazione";
        name += " (km " + km_text(record.numbers.empty() ? 0 : record.numbers.front()) + ")";
        symbol_kind = 20;  // a key: a place on the line
        break;
      case Record::segnale:
        name = "segnale " + km_text(record.numbers.empty() ? 0 : record.numbers.front());
        symbol_kind = 24;  // an event
        break;
      case Record::curva:
        name = record.keyword.text + " " + km_text(record.numbers.empty() ? 0 : record.numbers.front());
        symbol_kind = 12;  // a function: a turn
        break;
      default:
        break;
    }
    if (symbol_kind == 0) continue;
    const Json range = range_of(line, utf8_line, 0, static_cast<int32_t>(utf8_line.size()));
    const Json selection = range_of(line, utf8_line, record.keyword.start, record.keyword.end);
    (*current)["children"].push_back(
        {{"name", name}, {"kind", symbol_kind}, {"range", range}, {"selectionRange", selection}});
    ++symbols;
  }
  // A section's range runs to the line before the next header.
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const int32_t end = i + 1 < sections.size() ? sections[i + 1]["range"]["start"]["line"].get<int32_t>() - 1
                                                : static_cast<int32_t>(lines.size()) - 1;
    const int32_t start = sections[i]["range"]["start"]["line"];
    sections[i]["range"]["end"] = position(std::max(start, end), 0);
  }
  return sections;
}

Json folding_ranges(std::string_view text) {
  const std::vector<std::string_view> lines = lines_of(text);
  std::vector<int32_t> headers;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::string first(lines[l].substr(0, lines[l].find(',')));
    if (is_header(first)) headers.push_back(static_cast<int32_t>(l));
  }
  Json ranges = Json::array();
  for (std::size_t i = 0; i < headers.size(); ++i) {
    int32_t end = i + 1 < headers.size() ? headers[i + 1] - 1 : static_cast<int32_t>(lines.size()) - 1;
    while (end > headers[i] && lines[static_cast<std::size_t>(end)].find_first_not_of(" \t") == std::string_view::npos)
      --end;
    if (end > headers[i]) ranges.push_back({{"startLine", headers[i]}, {"endLine", end}, {"kind", "region"}});
  }
  return ranges;
}

Json lsp_diagnostic(const Diagnostic& d, const std::vector<std::string_view>& lines) {
  const int32_t line = d.place.line > 0 ? d.place.line - 1 : 0;
  std::string_view utf8_line;
  if (d.place.line > 0 && line < static_cast<int32_t>(lines.size())) utf8_line = lines[static_cast<std::size_t>(line)];
  const CodeEntry* entry = find_code(d.code);
  Json diagnostic = {{"range", range_of(line, utf8_line, d.place.column, d.place.column + d.length)},
                     {"severity", d.severity == Severity::error     ? 1
                                  : d.severity == Severity::warning ? 2
                                                                    : 3},
                     {"code", d.code},
                     {"source", "scenario"},
                     {"message", d.message + (d.hint.empty() ? "" : "\n" + d.hint)}};
  if (entry != nullptr) diagnostic["data"] = {{"name", std::string(entry->name)}};
  return diagnostic;
}

namespace {

// Whether each line of a text stands in the line file's general block.
std::vector<bool> general_lines(const std::vector<std::string_view>& lines, SourceKind kind) {
  std::vector<bool> general(lines.size(), false);
  if (kind != SourceKind::line) return general;
  bool inside = false;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::string first(lines[l].substr(0, lines[l].find(',')));
    if (is_header(first)) {
      inside = contains_ignoring_case(first, kGeneralHeader);
      continue;
    }
    general[l] = inside;
  }
  return general;
}

std::string field_label(const FieldFormat& f) {
  return std::string(f.name) + (f.unit.empty() ? "" : " " + std::string(f.unit));
}

}  // namespace

Json signature_help(std::string_view text, SourceKind kind, int32_t line, int32_t character) {
  const std::vector<std::string_view> lines = lines_of(text);
  if (line < 0 || line >= static_cast<int32_t>(lines.size())) return nullptr;
  const std::string_view utf8_line = lines[static_cast<std::size_t>(line)];
  const int32_t at = character_column(utf8_line, character);
  const LineRecord record = read_line(utf8_line, kind, kind == SourceKind::line && in_general_block(lines, line));
  if (record.format == nullptr || record.format->fields.empty() || at <= record.keyword.end) return nullptr;
  // The field under the cursor: one read there, else the one after as many
  // commas as stand before the cursor.
  const std::size_t cursor = byte_of_character(utf8_line, at);
  int64_t active = static_cast<int64_t>(
                       std::count(utf8_line.begin(), utf8_line.begin() + static_cast<std::ptrdiff_t>(cursor), ',')) -
                   1;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (at >= record.fields[i].start && at <= record.fields[i].end) active = static_cast<int64_t>(i);
  }
  const auto count = static_cast<int64_t>(record.format->fields.size());
  active = std::clamp<int64_t>(active, 0, count - 1);
  std::string label(record.format->keyword);
  Json parameters = Json::array();
  for (const FieldFormat& f : record.format->fields) {
    label += ", ";
    const std::string name = field_label(f);
    // Offsets in UTF-16 units; the format's names are ASCII.
    parameters.push_back(
        {{"label", Json::array({label.size(), label.size() + name.size()})},
         {"documentation",
          {{"kind", "markdown"},
           {"value", std::string(f.meaning) + (f.range.empty() ? "" : " (" + std::string(f.range) + ")") +
                         ".\n\nThe compiler makes of it: " + std::string(f.stored) + "."}}}});
    label += name;
  }
  return {
      {"signatures",
       Json::array(
           {{{"label", label}, {"documentation", std::string(record.format->meaning)}, {"parameters", parameters}}})},
      {"activeSignature", 0},
      {"activeParameter", active}};
}

Json inlay_hints(std::string_view text, SourceKind kind, int32_t first_line, int32_t last_line) {
  // Hints for a very long file are cut short rather than sent whole.
  constexpr std::size_t kMostHints = 20000;
  const std::vector<std::string_view> lines = lines_of(text);
  const std::vector<bool> general = general_lines(lines, kind);
  Json hints = Json::array();
  const auto last = std::min<int64_t>(last_line, static_cast<int64_t>(lines.size()) - 1);
  for (int64_t l = std::max(first_line, 0); l <= last && hints.size() < kMostHints; ++l) {
    const std::string_view utf8_line = lines[static_cast<std::size_t>(l)];
    const LineRecord record = read_line(utf8_line, kind, general[static_cast<std::size_t>(l)]);
    if (record.format == nullptr) continue;
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      hints.push_back({{"position", position(static_cast<int32_t>(l), utf16_column(utf8_line, record.fields[i].end))},
                       {"label", field_label(record.format->fields[i])},
                       {"kind", 2},
                       {"paddingLeft", true}});
    }
  }
  return hints;
}

std::string formatted(std::string_view text, SourceKind kind) {
  const std::vector<std::string_view> lines = lines_of(text);
  const std::vector<bool> general = general_lines(lines, kind);
  // Each record line parted at its commas: the keyword field as it stands,
  // then each field without the blanks before it (the compiler skips them).
  struct Parted {
    std::string keyword;
    std::vector<std::string> fields;
    const RecordFormat* format = nullptr;
  };
  std::vector<std::optional<Parted>> parted(lines.size());
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const LineRecord record = read_line(lines[l], kind, general[l]);
    if (record.format == nullptr) continue;
    Parted p;
    p.format = record.format;
    std::size_t start = 0;
    for (std::size_t comma = lines[l].find(',');; comma = lines[l].find(',', start)) {
      const std::string_view field =
          lines[l].substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
      if (start == 0) {
        p.keyword = std::string(field);
      } else {
        const std::size_t first = field.find_first_not_of(" \t");
        p.fields.emplace_back(first == std::string_view::npos ? std::string_view() : field.substr(first));
      }
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    parted[l] = std::move(p);
  }
  // Widths by record kind within each section: the keyword field, then each
  // field right-aligned under the same field of the rows above and below.
  std::string out;
  std::size_t l = 0;
  const auto width = [](std::string_view utf8) {
    return static_cast<std::size_t>(character_of_byte(utf8, utf8.size()));
  };
  while (l < lines.size()) {
    std::size_t end = l;
    while (end < lines.size() && (end == l || !is_header(std::string(lines[end].substr(0, lines[end].find(','))))))
      ++end;
    std::map<const RecordFormat*, std::vector<std::size_t>> widths;
    std::map<const RecordFormat*, std::size_t> keyword_widths;
    for (std::size_t k = l; k < end; ++k) {
      if (!parted[k]) continue;
      std::vector<std::size_t>& w = widths[parted[k]->format];
      if (w.size() < parted[k]->fields.size()) w.resize(parted[k]->fields.size(), 0);
      for (std::size_t i = 0; i < parted[k]->fields.size(); ++i) w[i] = std::max(w[i], width(parted[k]->fields[i]));
      std::size_t& kw = keyword_widths[parted[k]->format];
      kw = std::max(kw, width(parted[k]->keyword));
    }
    for (std::size_t k = l; k < end; ++k) {
      if (!parted[k]) {
        out += lines[k];
      } else {
        const Parted& p = *parted[k];
        const std::vector<std::size_t>& w = widths[p.format];
        out += p.keyword;
        for (std::size_t i = 0; i < p.fields.size(); ++i) {
          // A text field keeps its own blanks after it; only those before a
          // field change.
          const std::size_t pad =
              (i == 0 ? keyword_widths[p.format] - width(p.keyword) : 0) + w[i] - width(p.fields[i]);
          out += "," + std::string(pad + 2, ' ') + p.fields[i];
        }
      }
      // Each line keeps its own end.
      const std::size_t line_end = static_cast<std::size_t>(lines[k].data() - text.data()) + lines[k].size();
      std::size_t next = line_end;
      if (next < text.size() && text[next] == '\r') ++next;
      if (next < text.size() && text[next] == '\n' && (next == line_end || text[line_end] == '\r')) ++next;
      out += text.substr(line_end, next - line_end);
    }
    l = end;
  }
  return out;
}

Json code_actions(std::string_view text, const std::string& uri, const Diagnostics& diagnostics, int32_t first_line,
                  int32_t last_line) {
  const std::vector<std::string_view> lines = lines_of(text);
  Json actions = Json::array();
  for (const Diagnostic& d : diagnostics) {
    const int32_t line = d.place.line - 1;
    if (line < first_line || line > last_line || line < 0 || line >= static_cast<int32_t>(lines.size())) continue;
    // Only the fixes the checker names exactly: the keyword it means, the
    // progressive of the cell a record lands in.
    std::string replacement, title;
    if (d.code == code::unknown_keyword && d.hint.starts_with("did you mean \"") && d.hint.ends_with("\"?")) {
      replacement = d.hint.substr(14, d.hint.size() - 16);
      title = "Change to \"" + replacement + "\"";
    } else if (d.code == code::rounded_into_a_cell && d.message.ends_with(" m)")) {
      const std::size_t open = d.message.rfind('(');
      if (open == std::string::npos) continue;
      replacement = d.message.substr(open + 1, d.message.size() - open - 4);
      title = "Move to " + replacement + ", the start of the cell it lands in";
    } else {
      continue;
    }
    const std::string_view utf8_line = lines[static_cast<std::size_t>(line)];
    const Json range = range_of(line, utf8_line, d.place.column, d.place.column + d.length);
    actions.push_back({{"title", title},
                       {"kind", "quickfix"},
                       {"isPreferred", true},
                       {"diagnostics", Json::array({lsp_diagnostic(d, lines)})},
                       {"edit", {{"changes", {{uri, Json::array({{{"range", range}, {"newText", replacement}}})}}}}}});
  }
  return actions;
}

Json definition(std::string_view train_text, int32_t line, std::string_view line_text, const std::string& line_uri) {
  const std::vector<std::string_view> lines = lines_of(train_text);
  if (line < 0 || line >= static_cast<int32_t>(lines.size())) return Json::array();
  const LineRecord record = read_line(lines[static_cast<std::size_t>(line)], SourceKind::train, false);
  if (record.format == nullptr || record.numbers.empty()) return Json::array();
  if (record.format->id != Record::stazione && record.format->id != Record::rallentamento) return Json::array();
  const int64_t at = record.numbers.front();
  // The gradient row in force there (the last that starts at or before it)
  // and the curve that holds it, if one does.
  const std::vector<std::string_view> line_lines = lines_of(line_text);
  const std::vector<bool> general = general_lines(line_lines, SourceKind::line);
  std::optional<std::size_t> gradient, curve;
  int64_t gradient_from = INT64_MIN;
  for (std::size_t l = 0; l < line_lines.size(); ++l) {
    if (general[l]) continue;
    const LineRecord row = read_line(line_lines[l], SourceKind::line, false);
    if (row.format == nullptr || row.numbers.empty()) continue;
    const int64_t start = row.numbers[0];
    if (row.format->id == Record::pendenza && start <= at && start >= gradient_from) {
      gradient = l;
      gradient_from = start;
    } else if (row.format->id == Record::curva && row.numbers.size() >= 2 && start <= at &&
               at < start + int64_t{row.numbers[1]} && !curve) {
      curve = l;
    }
  }
  Json locations = Json::array();
  for (const std::optional<std::size_t>& l : {gradient, curve}) {
    if (!l) continue;
    const std::string_view utf8_line = line_lines[*l];
    locations.push_back(
        {{"uri", line_uri},
         {"range", range_of(static_cast<int32_t>(*l), utf8_line, 0, character_of_byte(utf8_line, utf8_line.size()))}});
  }
  return locations;
}

Json skipped_line_tokens(std::string_view text, SourceKind kind) {
  const std::vector<std::string_view> lines = lines_of(text);
  const std::vector<bool> general = general_lines(lines, kind);
  std::vector<int32_t> data;
  int32_t previous = 0;
  bool started = false;  // everything before "[generale]" is skipped
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::string_view utf8_line = lines[l];
    const std::size_t first = utf8_line.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    const std::string keyword(utf8_line.substr(0, utf8_line.find(',')));
    if (is_header(keyword)) {
      started = started || contains_ignoring_case(keyword, kGeneralHeader);
      continue;
    }
    if (started && read_line(utf8_line, kind, general[l]).format != nullptr) continue;
    // A line that names no record: the compiler skips it (a comment, an
    // unknown keyword, anything before the general block).
    const int32_t from = utf16_column(utf8_line, character_of_byte(utf8_line, first));
    const int32_t to = utf16_column(utf8_line, character_of_byte(utf8_line, utf8_line.size()));
    data.insert(data.end(), {static_cast<int32_t>(l) - previous, from, to - from, 0, 0});
    previous = static_cast<int32_t>(l);
  }
  return {{"data", data}};
}

}  // namespace scenario::tool::lsp
