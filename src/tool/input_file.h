#pragma once

#include <filesystem>
#include <string>

namespace scenario::tool {

// The whole content of a file the tool only reads. A path that is missing, is
// no regular file or cannot be read is a run-time failure naming it.
std::string read_input_file(const std::filesystem::path& file);

}  // namespace scenario::tool
