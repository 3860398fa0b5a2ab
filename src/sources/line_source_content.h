#pragma once

#include <span>
#include <string_view>

namespace scenario {

// The built-in scenario's line source file, every line as it is written, in
// file order: from "[generale]" to "[fine]", 157 lines.
std::span<const std::string_view> line_source_lines();

}  // namespace scenario
