#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// The Linux program's command line: `scenario_builder [DIR]`, or --help or
// --version, which print and build nothing. (The Windows program takes no
// arguments.)
struct BuilderCommandLine {
  enum class Action { build, help, version, usage_error };
  Action action = Action::build;
  std::optional<std::filesystem::path> folder;  // DIR, when given
  std::string error;                            // what was wrong, for usage_error
};

BuilderCommandLine parse_builder_command_line(const std::vector<std::string>& arguments);

// What --help prints.
std::string builder_help_text();

// What --version prints: the program's name and version, one line.
std::string builder_version_text();

// A usage error ends the program with this status, as in the authoring tool.
inline constexpr int kExitUsage = 64;

// Where a build without DIR writes: next to the program when it runs from a
// folder of its own (a copy in the author's folder, the build tree, an
// unpacked archive), but into the working folder when the program is an
// installed command, whose folder is no place for a scenario and usually not
// the user's to write: a folder `usr/bin` or `usr/local/bin` (under any root,
// so an unpacked package counts as installed), `/bin`, or one of the command
// search path's folders. All paths absolute and in canonical form.
std::filesystem::path builder_output_folder(const std::filesystem::path& program_folder,
                                            const std::filesystem::path& working_folder,
                                            const std::vector<std::filesystem::path>& search_path);

// The folders of a command search path such as PATH ("a:b:c"), in order,
// empty entries left out.
std::vector<std::filesystem::path> split_search_path(std::string_view search_path);

}  // namespace scenario
