#pragma once

#include <filesystem>
#include <string>

namespace scenario {

// The whole content of a file. A path that is missing, is no regular file or
// cannot be read is a run-time failure naming it.
std::string read_file(const std::filesystem::path& file);

}  // namespace scenario
