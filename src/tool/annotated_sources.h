#pragma once

#include "compiler/source_format.h"
#include "sources/line_table.h"

namespace scenario::tool {

// A source file's lines with comment lines that explain it, for an author who
// starts from the template: before each section header what the section
// holds, before the first record of each kind its fields in order, with
// their units. Comments are hyphen fields of a line of their own, never two
// in a row before a keyword and without commas, so the file compiles exactly
// as the plain one does.
LineTable annotated(const LineTable& plain, const SourceFormat& format);

}  // namespace scenario::tool
