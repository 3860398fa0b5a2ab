#include "tool/scenario_files.h"

#include <algorithm>
#include <vector>

#include "base/file_names.h"
#include "base/run_time_failure.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

std::string name_of(const fs::path& file) { return file.filename().string(); }

}  // namespace

fs::path find_scenario_file(const fs::path& folder, const std::optional<std::string>& train_number) {
  if (!fs::is_directory(folder)) throw RunTimeFailure("cannot read " + folder.string() + ": not a folder");
  std::vector<fs::path> found;
  for (const auto& item : fs::directory_iterator(folder)) {
    const std::string name = item.path().filename().string();
    if (kind_of_file(name) != FileKind::scenario || !item.is_regular_file()) continue;
    if (train_number && !name.ends_with("_" + *train_number + std::string(FileNames::kScenario))) continue;
    found.push_back(item.path());
  }
  std::sort(found.begin(), found.end());
  if (found.empty()) {
    throw RunTimeFailure("no scenario file (NAME_NUM.sim" +
                         std::string(train_number ? " for train " + *train_number : "") + ") in " + folder.string());
  }
  if (found.size() > 1) {
    std::string names;
    for (const fs::path& f : found) names += (names.empty() ? "" : ", ") + f.filename().string();
    throw UsageError(folder.string() + " holds several scenario files (" + names + "): pick one with --train-number");
  }
  return found.front();
}

// The compiled files are named from the line name and the train number inside
// their folder: neither may lead out of it.
void check_name(const std::string& name, const char* what) {
  if (name.empty()) throw UsageError(std::string(what) + " is empty");
  if (name == "." || name == "..") throw UsageError(std::string(what) + " \"" + name + "\" is not a file name");
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
      throw UsageError(std::string(what) + " \"" + name + "\" contains a path separator or a control character");
    }
  }
}

std::string line_name_of(const Arguments& arguments, const std::string& line_file) {
  if (auto given = arguments.value("--line-name")) return *given;
  const std::string name = name_of(line_file);
  if (auto line = line_name_of_line_source(name)) return *line;
  throw UsageError("cannot take the line name from \"" + name + "\" (not NAME_linea.txt): give --line-name");
}

std::string train_number_of(const Arguments& arguments, const std::string& train_file, const std::string& line_name) {
  if (auto given = arguments.value("--train-number")) return *given;
  const std::string name = name_of(train_file);
  if (auto number = train_number_of_train_source(name, line_name)) return *number;
  throw UsageError("cannot take the train number from \"" + name + "\" (not NAME_NUM-.txt): give --train-number");
}

}  // namespace scenario::tool
