#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/source_format.h"

namespace scenario {

// Source files built line by line from records, in the layout and spacing of
// the built-in template: the keyword, then each field after a comma in the
// spacing the template gives that record. The fields are those of the record's
// format (compiler/source_format.h), in its order; a record's text field is its
// last one.

struct SourceRecord {
  Record id;
  std::string keyword;           // e.g. "curvas4"; the format's keyword unless the record needs its own
  std::vector<int64_t> numbers;  // every numeric field, in the format's order
  std::string text;              // the text field, for a record that ends with one
};

// One line of a source file: a record, a section header or a comment (a field
// with a hyphen, which the compiler discards).
struct SourceLine {
  enum class Kind { record, header, comment };
  Kind kind = Kind::record;
  SourceRecord record{};
  std::string text;  // the header or the comment

  static SourceLine of(SourceRecord r) { return {Kind::record, std::move(r), {}}; }
  static SourceLine header(std::string_view h) { return {Kind::header, {}, std::string(h)}; }
  static SourceLine comment(std::string_view c) { return {Kind::comment, {}, std::string(c)}; }
};

// A record with the format's keyword and these numbers (and text).
SourceRecord make_record(Record id, std::vector<int64_t> numbers, std::string text = {});

// A numeric field of a record by its name in the record's format.
int64_t field(const SourceRecord& record, std::string_view name);

// The line as the template writes it.
std::string render(const SourceLine& line);
std::vector<std::string> render(const std::vector<SourceLine>& lines);

// A comment line: "- TEXT -", every comma of TEXT made a semicolon (a comma
// would end the field and make the rest a keyword field).
std::string comment_text(std::string_view text);

// A source file's bytes: every line in Windows-1252, each ended by CR LF.
std::string source_file_bytes(const std::vector<std::string>& lines);

}  // namespace scenario
