#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/diagnostic.h"
#include "compiler/source_format.h"

namespace scenario::tool::lsp {

using Json = nlohmann::json;

// What the language server answers about one document, from its text alone
// (UTF-8, as the editor holds it) and the format table: hover, completion,
// the outline and folding. Lines and characters as the editor counts them
// (lines from 0, characters in UTF-16 code units).

// The hover at a position: the record a keyword names, or a field with what
// it becomes; and the explanation of a diagnostic there. Null when there is
// nothing to tell.
Json hover(std::string_view text, SourceKind kind, int32_t line, int32_t character, const Diagnostics& diagnostics);

// In a line's first field: the records that fit the section at the line, as
// snippets with one placeholder a field (the keyword alone when fields follow
// it), and the section headers; each with the edit that replaces the field's
// text. Nothing in the fields after a keyword.
Json completion(std::string_view text, SourceKind kind, int32_t line, int32_t character);

// The record of the line and the field under the cursor, with each field's
// name, unit, range and meaning. Null outside a record's fields.
Json signature_help(std::string_view text, SourceKind kind, int32_t line, int32_t character);

// Each field's name and unit after its value, on the lines given (from 0,
// both included).
Json inlay_hints(std::string_view text, SourceKind kind, int32_t first_line, int32_t last_line);

// The text with the fields of each section's records aligned in columns,
// numbers right-aligned: only the blanks before a field change, which the
// compiler skips, so the text reads as before. Other lines stay as they are.
std::string formatted(std::string_view text, SourceKind kind);

// Quick fixes for the diagnostics on the lines given that have one exact fix:
// an unknown keyword changed to the one it is nearest, a progressive moved to
// the start of the cell it lands in.
Json code_actions(std::string_view text, const std::string& uri, const Diagnostics& diagnostics, int32_t first_line,
                  int32_t last_line);

// From a station's or a slowdown's line of a train file, the rows of its line
// file in force where it lands: the gradient row and the curve row.
Json definition(std::string_view train_text, int32_t line, std::string_view line_text, const std::string& line_uri);

// Semantic tokens (of the one type "comment") over each line the compiler
// skips: a comment, a field that names no record, anything before the
// general block.
Json skipped_line_tokens(std::string_view text, SourceKind kind);

// Sections, stations, signals and curves for the outline; folding by section.
Json document_symbols(std::string_view text, SourceKind kind);
Json folding_ranges(std::string_view text);

// A diagnostic as the protocol has it, in the document it belongs to, given
// as its lines (lines_of; none when the file is not open).
Json lsp_diagnostic(const Diagnostic& d, const std::vector<std::string_view>& lines);

}  // namespace scenario::tool::lsp
