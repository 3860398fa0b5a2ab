#pragma once

#include <cstddef>
#include <string>

namespace scenario::testing {

// Names the place of a byte offset in one of the build's files, so that a
// failed comparison says what differs: "cell 205, dato1", "entry 85 (col7)",
// "x of metre 1450", "line 17, column 5".
std::string describe_offset(const std::string& file_name, const std::string& bytes, std::size_t offset);

// The first offset where two byte strings differ (npos when equal).
std::size_t first_difference(const std::string& a, const std::string& b);

}  // namespace scenario::testing
