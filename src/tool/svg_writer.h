#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// Text for an SVG document: element text and attribute values escaped, numbers
// short and locale-free.
std::string xml_escaped(std::string_view text);
std::string svg_number(double v);  // at most two decimals, no trailing zeros

}  // namespace scenario::tool
