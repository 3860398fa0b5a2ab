#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tool/command_line.h"

namespace scenario::tool {

// The files a command works on, found the way every command finds them.

// The one scenario file NAME_NUM.sim in `folder` (of train `train_number`,
// when given). None is a run-time failure; several that the train number
// does not choose between a usage error.
std::filesystem::path find_scenario_file(const std::filesystem::path& folder,
                                         const std::optional<std::string>& train_number);

// The line name and the train number of a compile: as given by
// --line-name and --train-number, or taken from the file names NAME_linea.txt
// and NAME_NUM-.txt; a name that cannot be had is a usage error.
std::string line_name_of(const Arguments& arguments, const std::string& line_file);
std::string train_number_of(const Arguments& arguments, const std::string& train_file, const std::string& line_name);

}  // namespace scenario::tool
