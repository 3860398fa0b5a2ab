#include "tool/scenario_files.h"

#include "base/file_names.h"
#include "base/run_time_failure.h"
#include "tool/compiled_folder.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

std::string name_of(const fs::path& file) { return utf8_of_path(file.filename()); }

}  // namespace

fs::path find_scenario_file(const fs::path& folder, const std::optional<std::string>& train_number) {
  if (!fs::is_directory(folder)) throw RunTimeFailure("cannot read " + utf8_of_path(folder) + ": not a folder");
  const ChosenScenario chosen = choose_scenario(folder, std::nullopt, train_number);
  // The one scenario of another train is not the one asked for.
  if (train_number && chosen.found.numero_treno != *train_number) {
    throw RunTimeFailure("no scenario file (NAME_NUM.sim for train " + *train_number + ") in " + utf8_of_path(folder));
  }
  return chosen.sim_file;
}

std::string line_name_of(const Arguments& arguments, const std::string& line_file) {
  if (auto given = arguments.value("--line-name")) return *given;
  const std::string name = name_of(path_from_utf8(line_file));
  if (auto line = line_name_of_line_source(name)) return *line;
  throw UsageError("cannot take the line name from \"" + name + "\" (not NAME_linea.txt): give --line-name");
}

std::string train_number_of(const Arguments& arguments, const std::string& train_file, const std::string& line_name) {
  if (auto given = arguments.value("--train-number")) return *given;
  const std::string name = name_of(path_from_utf8(train_file));
  if (auto number = train_number_of_train_source(name, line_name)) return *number;
  throw UsageError("cannot take the train number from \"" + name + "\" (not NAME_NUM-.txt): give --train-number");
}

}  // namespace scenario::tool
