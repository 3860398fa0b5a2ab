#pragma once

#include <string>

namespace scenario {

// The system's own words for why a call failed, as UTF-8 text without a line
// end: for an errno value, and on Windows for a GetLastError() code (in the
// language of the user's Windows, which may not fit the ANSI code page).
std::string errno_reason(int error);
#ifdef _WIN32
std::string windows_reason(unsigned long error);
#endif

}  // namespace scenario
