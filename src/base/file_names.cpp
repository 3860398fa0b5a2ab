#include "base/file_names.h"

namespace scenario {

namespace {

// `name` without `suffix`, when it ends so and something is left before it.
std::optional<std::string_view> stem(std::string_view name, std::string_view suffix) {
  if (!name.ends_with(suffix) || name.size() == suffix.size()) return std::nullopt;
  return name.substr(0, name.size() - suffix.size());
}

}  // namespace

FileKind kind_of_file(std::string_view file_name) {
  if (file_name.ends_with(FileNames::kLineSource)) return FileKind::line_source;
  if (file_name.ends_with(FileNames::kTrainSource)) return FileKind::train_source;
  if (file_name.ends_with(FileNames::kPlan)) return FileKind::plan;
  if (file_name.ends_with(FileNames::kScenario)) return FileKind::scenario;
  if (file_name.ends_with(FileNames::kRoute)) return FileKind::route;
  return FileKind::other;
}

std::optional<std::string> line_name_of_line_source(std::string_view file_name) {
  const auto line = stem(file_name, FileNames::kLineSource);
  if (!line) return std::nullopt;
  return std::string(*line);
}

std::optional<std::string> train_number_of_train_source(std::string_view file_name, std::string_view line_name) {
  const auto name_and_number = stem(file_name, FileNames::kTrainSource);
  if (!name_and_number) return std::nullopt;
  std::string_view number;
  const std::string prefix = std::string(line_name) + "_";
  if (name_and_number->size() > prefix.size() && name_and_number->starts_with(prefix)) {
    number = name_and_number->substr(prefix.size());
  } else if (const std::size_t underscore = name_and_number->rfind('_'); underscore != std::string_view::npos) {
    number = name_and_number->substr(underscore + 1);
  }
  if (number.empty()) return std::nullopt;
  return std::string(number);
}

std::optional<FileNames> names_of_compiled_file(std::string_view file_name) {
  std::optional<std::string_view> name_and_number = stem(file_name, FileNames::kScenario);
  if (!name_and_number && !file_name.ends_with(FileNames::kPlan)) name_and_number = stem(file_name, FileNames::kRoute);
  if (!name_and_number) return std::nullopt;
  const std::size_t underscore = name_and_number->rfind('_');
  if (underscore == std::string_view::npos || underscore == 0 || underscore + 1 == name_and_number->size()) {
    return std::nullopt;
  }
  return FileNames{std::string(name_and_number->substr(0, underscore)),
                   std::string(name_and_number->substr(underscore + 1))};
}

}  // namespace scenario
