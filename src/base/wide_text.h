#pragma once

#ifdef _WIN32
#include <string>
#include <string_view>

namespace scenario {

// Windows' own UTF-16 text (a command line, a system message) as the UTF-8
// text every name and message has inside the programs.
std::string utf8_of_wide(std::wstring_view text);

}  // namespace scenario
#endif
