#pragma once

#include <string>

namespace scenario::tool {

// The authors' reference of the two source formats, in Markdown, made from
// the table of the formats and the table of the codes: every section, record
// and field with its meaning, unit, range and what the compiler makes of it,
// the lexical rules, and every code. docs/source-format.md is this text.
std::string format_reference();

}  // namespace scenario::tool
