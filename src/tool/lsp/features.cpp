#include "tool/lsp/features.h"

#include <cmath>
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

Json completion(std::string_view text, SourceKind kind, int32_t line) {
  const std::vector<std::string_view> lines = lines_of(text);
  const SourceFormat& format = format_of(kind);
  const std::string section = section_at(lines, line - 1);
  const bool general = kind == SourceKind::line && contains_ignoring_case(section, kGeneralHeader);
  Json items = Json::array();
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
    std::string plain(record->keyword);
    int placeholder = 1;
    for (const FieldFormat& f : record->fields) {
      snippet += ",  ${" + num(placeholder++) + ":" + std::string(f.name) + "}";
      plain += ", " + std::string(f.name);
    }
    const std::string sort = (order < 10 ? "0" : "") + num(order);
    ++order;
    items.push_back({{"label", std::string(record->keyword)},
                     {"kind", 14},
                     {"detail", std::string(record->meaning)},
                     {"documentation", {{"kind", "markdown"}, {"value", record_text(*record)}}},
                     {"insertText", snippet},
                     {"insertTextFormat", 2},
                     {"sortText", sort},
                     {"filterText", std::string(record->keyword)}});
  }
  for (const SectionFormat& s : format.sections) {
    items.push_back({{"label", std::string(s.header)},
                     {"kind", 9},
                     {"detail", std::string(s.meaning)},
                     {"insertText", std::string(s.header)},
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

}  // namespace scenario::tool::lsp
