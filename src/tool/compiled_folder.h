#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/file_names.h"
#include "output/compiled_input.h"

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

// A compiled file that does not decode whole, for standard error:
// "NAME: byte 3015: error 401: what".
std::string damage_text(const Damage& damage);

// Something the decompiler found, for standard error:
// "NAME.sim: cell 700 (progressive 34950): error 413: what".
std::string finding_text(const std::string& file, const Finding& finding);

}  // namespace scenario::tool
