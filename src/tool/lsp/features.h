#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/source_format.h"
#include "checker/diagnostic.h"

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

// The records that fit the section at the line, as snippets with one
// placeholder a field, and the section headers.
Json completion(std::string_view text, SourceKind kind, int32_t line);

// Sections, stations, signals and curves for the outline; folding by section.
Json document_symbols(std::string_view text, SourceKind kind);
Json folding_ranges(std::string_view text);

// A diagnostic as the protocol has it, in the document it belongs to, given
// as its lines (lines_of; none when the file is not open).
Json lsp_diagnostic(const Diagnostic& d, const std::vector<std::string_view>& lines);

}  // namespace scenario::tool::lsp
