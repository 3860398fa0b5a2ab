#include "tool/annotated_sources.h"

#include <set>
#include <string>

#include "compiler/source_reader.h"

namespace scenario::tool {

namespace {

// A comment line: a hyphen field, and so no comma in it.
std::string comment(std::string text) {
  for (char& c : text) {
    if (c == ',') c = ';';
  }
  return "-- " + text;
}

std::string fields_text(const RecordFormat& record) {
  std::string text = std::string(record.keyword) + ": ";
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    const FieldFormat& f = record.fields[i];
    text += (i == 0 ? "" : "; ") + std::string(f.name);
    if (!f.unit.empty()) text += " (" + std::string(f.unit) + ")";
  }
  return text + " - " + std::string(record.meaning);
}

const RecordFormat* record_of(const SourceFormat& format, std::string_view keyword, bool general) {
  for (const RecordFormat& record : general ? format.general : format.records) {
    if (recognises(record, keyword)) return &record;
  }
  return nullptr;
}

const SectionFormat* section_of(const SourceFormat& format, std::string_view header) {
  for (const SectionFormat& section : format.sections) {
    if (section.header == header) return &section;
  }
  return nullptr;
}

}  // namespace

LineTable annotated(const LineTable& plain, const SourceFormat& format) {
  LineTable out;
  out.add(comment(format.kind == SourceKind::line
                      ? "The line source file: read from the general block on; a line that starts with a hyphen is a "
                        "comment."
                      : "The train source file: read from the general block on; a line that starts with a hyphen is "
                        "a comment."));
  std::set<Record> described;
  bool in_general = false;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const std::string& line = plain[i];
    const std::string keyword = SourceReader(line, "").read_text();
    if (const SectionFormat* section = section_of(format, keyword)) {
      if (section->header != kGeneralHeader) out.add(comment(std::string(section->meaning)));
      out.add(line);
      in_general = section->header == kGeneralHeader && !format.general.empty();
      continue;
    }
    const RecordFormat* record = record_of(format, keyword, in_general);
    if (record != nullptr && described.insert(record->id).second) out.add(comment(fields_text(*record)));
    out.add(line);
  }
  return out;
}

}  // namespace scenario::tool
