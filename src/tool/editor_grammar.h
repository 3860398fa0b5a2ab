#pragma once

#include <string>

#include "compiler/source_format.h"

namespace scenario::tool {

// The TextMate grammar of a source format, as editors colour it: section
// headers, comment lines (a first field with a hyphen), each record's keyword
// by the same tests the compiler applies (the general block's inside its
// block, in exact letter case where the compiler asks it), numbers and texts.
// Made from the format table; editors/vscode/syntaxes/ holds the two as JSON.
std::string textmate_grammar(SourceKind kind);

// The grammar's scope name: "source.scenario-line", "source.scenario-train".
std::string grammar_scope(SourceKind kind);

}  // namespace scenario::tool
