#include "tool/compiled_folder.h"

#include <algorithm>
#include <vector>

#include "base/file_names.h"
#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "tool/command_line.h"

namespace scenario::tool {

namespace fs = std::filesystem;

ChosenScenario choose_scenario(const fs::path& place, const std::optional<std::string>& line_name,
                               const std::optional<std::string>& train_number) {
  std::vector<std::pair<fs::path, FileNames>> found;
  // A journal is there only while a set is being replaced, or after a kill
  // interrupted it: the files may then be part of two sets.
  const fs::path folder = fs::is_directory(place) ? place : place.parent_path();
  std::error_code ignored;
  if (fs::exists(in_folder(folder.empty() ? fs::path(".") : folder, std::string(kJournalName)), ignored)) {
    throw RunTimeFailure(utf8_of_path(folder) + " holds a replacement of its compiled files that was interrupted: " +
                         "a build or \"scenario_tool compile\" into it puts the earlier files back first");
  }
  if (fs::is_directory(place)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(place)) {
      const std::string name = utf8_of_path(entry.path().filename());
      if (kind_of_file(name) != FileKind::scenario) continue;
      if (const auto names = names_of_compiled_file(name)) found.emplace_back(entry.path(), *names);
    }
  } else if (fs::is_regular_file(place) && kind_of_file(utf8_of_path(place.filename())) == FileKind::scenario) {
    if (const auto names = names_of_compiled_file(utf8_of_path(place.filename()))) found.emplace_back(place, *names);
  } else if (!fs::exists(place)) {
    throw RunTimeFailure(utf8_of_path(place) + " does not exist");
  }
  if (found.empty()) throw RunTimeFailure("no scenario file (NAME_NUM.sim) in " + utf8_of_path(place));
  std::sort(found.begin(), found.end(), [](const auto& x, const auto& y) { return x.first < y.first; });

  std::vector<std::pair<fs::path, FileNames>> matching;
  for (const auto& candidate : found) {
    if ((!line_name || *line_name == candidate.second.nome_linea) &&
        (!train_number || *train_number == candidate.second.numero_treno)) {
      matching.push_back(candidate);
    }
  }
  if (matching.empty() && found.size() == 1) matching = found;  // the one scenario, renamed
  if (matching.size() != 1) {
    std::string list;
    for (const auto& candidate : found) list += " " + utf8_of_path(candidate.first.filename());
    throw UsageError(utf8_of_path(place) + " holds several scenarios (" + list.substr(1) +
                     "): give --line-name and --train-number");
  }
  ChosenScenario chosen{matching[0].first, matching[0].second, matching[0].second};
  if (line_name) chosen.names.nome_linea = *line_name;
  if (train_number) chosen.names.numero_treno = *train_number;
  return chosen;
}

std::string damage_text(const Damage& damage) {
  return damage.file + ": byte " + std::to_string(damage.offset) + ": error " + std::to_string(damage.code) + ": " +
         damage.what;
}

std::string finding_text(const std::string& file, const Finding& finding) {
  return file + ": " + finding.where + ": " +
         (finding.code != 0 ? "error " + std::to_string(finding.code) + ": " : "") + finding.what;
}

}  // namespace scenario::tool
