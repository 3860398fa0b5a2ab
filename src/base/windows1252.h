#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Text inside the program is UTF-8; every file holds Windows-1252 bytes. These
// two functions are the only crossing between the two.

// UTF-8 to Windows-1252. A character the code page cannot hold, or a byte
// sequence that is not UTF-8, becomes '?', as the system's own conversion does.
std::string to_windows1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined map to
// the control characters of the same value, so the round trip keeps every byte.
std::string from_windows1252(std::string_view bytes);

}  // namespace scenario
