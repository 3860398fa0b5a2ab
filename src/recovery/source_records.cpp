#include "recovery/source_records.h"

#include <algorithm>
#include <stdexcept>

#include "base/windows1252.h"

namespace scenario {

namespace {

// How the template writes one field: what stands between the previous field
// and this one (the comma and the blanks after it), the width it is
// right-aligned to, and what follows it before the next comma.
struct FieldStyle {
  std::string_view lead;
  std::size_t width = 0;
  std::string_view trail = {};
  bool empty_when_zero = false;  // the template leaves the field empty for 0
};

struct RecordStyle {
  Record id;
  std::vector<FieldStyle> fields;
};

// The spacing of every record as the built-in template writes it, e.g.
//   "velocita,    1500,   135"  and  "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0".
const std::vector<RecordStyle>& styles() {
  static const std::vector<RecordStyle> kStyles = {
      {Record::lunghezza_percorso, {{",    "}}},
      {Record::progressiva_tre, {{",    "}, {",    "}, {",    "}}},
      {Record::progressiva_due, {{",    "}, {",    "}, {",    "}}},
      {Record::progressiva_uno, {{",    "}, {",    "}, {",    "}}},
      {Record::sfondo_uno, {{",    "}}},
      {Record::sfondo_due, {{",    "}}},
      {Record::sfondo_tre, {{",    "}}},
      {Record::ripetizione_segnali, {{",    ", 0, "    "}, {","}}},
      {Record::pendenza, {{",  "}, {",   "}}},
      {Record::curva, {{",  "}, {",  "}}},
      {Record::montagna, {{",   "}, {",  "}, {",  "}}},
      {Record::indicatori_vmax,
       {{",  "},
        {",  "},
        {",  "},
        {",  "},
        {",  "},
        {",  ", 0, {}, true},
        {",  ", 0, {}, true},
        {",  ", 0, {}, true},
        {",  "}}},
      {Record::cartello_indicatore, {{",  "}, {",   "}}},
      {Record::massa_frenata, {{",    "}}},
      {Record::numero_vetture, {{",    "}}},
      {Record::velocita, {{",", 8}, {",", 6}}},
      {Record::aderenza, {{",   "}, {",    "}}},
      // The clock's three numbers are parted by blanks, and a blank ends the line.
      {Record::orologio, {{",    "}, {"              "}, {"            ", 0, " "}}},
      {Record::sabbia, {{",    "}}},
      {Record::segnale,
       {{",", 8}, {",   "}, {", "}, {", "}, {",  "}, {", "}, {",    "}, {",  "}, {","}, {","}, {", "}}},
      {Record::rallentamento, {{",", 8}, {",", 6}, {",", 5}, {",", 2}, {",", 3}, {",", 3}}},
      {Record::abbattimento, {{",  "}, {",  "}}},
      {Record::stazione,
       {{",", 8},
        {",", 3},
        {",", 5},
        {",", 3},
        {",", 2},
        {",", 2},
        {",", 3},
        {","},
        {","},
        {",", 3},
        {","},
        {","},
        {",", 5},
        {",", 4},
        {",", 2},
        {",", 2},
        {", "}}},
  };
  return kStyles;
}

const RecordStyle& style_of(Record id) {
  for (const RecordStyle& style : styles()) {
    if (style.id == id) return style;
  }
  throw std::logic_error("a record without a template style");
}

bool is_text(FieldType type) { return type == FieldType::text || type == FieldType::stored_text; }

std::string aligned(std::string value, std::size_t width) {
  if (value.size() < width) value.insert(0, width - value.size(), ' ');
  return value;
}

}  // namespace

SourceRecord make_record(Record id, std::vector<int64_t> numbers, std::string text) {
  const RecordFormat& format = record_format(id);
  std::size_t numeric = 0;
  for (const FieldFormat& f : format.fields) numeric += is_text(f.type) ? 0 : 1;
  if (numbers.size() != numeric) throw std::logic_error("a record made with the wrong number of fields");
  return {id, std::string(format.keyword), std::move(numbers), std::move(text)};
}

int64_t field(const SourceRecord& record, std::string_view name) {
  std::size_t numeric = 0;
  for (const FieldFormat& f : record_format(record.id).fields) {
    if (is_text(f.type)) continue;
    if (f.name == name) return record.numbers.at(numeric);
    ++numeric;
  }
  throw std::logic_error("no numeric field of this name in the record");
}

std::string render(const SourceLine& line) {
  if (line.kind == SourceLine::Kind::header) return line.text;
  if (line.kind == SourceLine::Kind::comment) return comment_text(line.text);
  const SourceRecord& record = line.record;
  const RecordFormat& format = record_format(record.id);
  const RecordStyle& style = style_of(record.id);
  if (style.fields.size() != format.fields.size()) throw std::logic_error("a template style with the wrong fields");
  std::string out = record.keyword;
  std::size_t numeric = 0;
  for (std::size_t i = 0; i < format.fields.size(); ++i) {
    const FieldStyle& s = style.fields[i];
    out += s.lead;
    if (is_text(format.fields[i].type)) {
      out += record.text;
    } else {
      const int64_t v = record.numbers.at(numeric++);
      out += aligned(s.empty_when_zero && v == 0 ? std::string() : std::to_string(v), s.width);
    }
    out += s.trail;
  }
  return out;
}

std::vector<std::string> render(const std::vector<SourceLine>& lines) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const SourceLine& line : lines) out.push_back(render(line));
  return out;
}

std::string comment_text(std::string_view text) {
  std::string t(text);
  std::replace(t.begin(), t.end(), ',', ';');
  return "- " + t + " -";
}

std::string source_file_bytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += to_windows1252(line);
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace scenario
