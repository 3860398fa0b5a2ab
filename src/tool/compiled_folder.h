#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/file_names.h"

namespace scenario::tool {

// One compiled scenario in a folder, chosen by its scenario file.
struct ChosenScenario {
  std::filesystem::path sim_file;
  FileNames found;  // the names of the compiled files
  FileNames names;  // those names, with the ones given in their place
};

// The scenario in `place` (a folder, or a NAME_NUM.sim file): the one whose
// names match those given, or the only one. A folder without a scenario file
// is a run-time failure; several that the names do not choose between, a
// usage error listing them.
ChosenScenario choose_scenario(const std::filesystem::path& place, const std::optional<std::string>& line_name,
                               const std::optional<std::string>& train_number);

}  // namespace scenario::tool
