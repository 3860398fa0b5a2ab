#include "driver/builder_command_line.h"

#include <algorithm>

#include "driver/form1.h"
#include "scenario_version.h"

namespace scenario {

namespace fs = std::filesystem;

BuilderCommandLine parse_builder_command_line(const std::vector<std::string>& arguments) {
  BuilderCommandLine line;
  bool options_ended = false;
  for (const std::string& argument : arguments) {
    if (!options_ended && (argument == "--help" || argument == "-h")) {
      line.action = BuilderCommandLine::Action::help;
      return line;
    }
    if (!options_ended && argument == "--version") {
      line.action = BuilderCommandLine::Action::version;
      return line;
    }
    if (!options_ended && argument == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && argument.size() > 1 && argument.front() == '-') {
      line.action = BuilderCommandLine::Action::usage_error;
      line.error = "unknown option \"" + argument + "\"";
      return line;
    }
    if (argument.empty()) {
      line.action = BuilderCommandLine::Action::usage_error;
      line.error = "the folder's name is empty";
      return line;
    }
    if (line.folder) {
      line.action = BuilderCommandLine::Action::usage_error;
      line.error = "more than one folder given";
      return line;
    }
    line.folder = fs::path(argument);
  }
  return line;
}

std::string builder_help_text() {
  std::string text = "usage: scenario_builder [DIR]\n";
  text +=
      "\n"
      "Builds the scenario of the line ";
  text += kNomeLinea;
  text += ", train ";
  text += kNumeroTreno;
  text +=
      ",\n"
      "for the train-driving simulator: the plan, scenario and route files the\n"
      "simulator loads, and the driver's timetable card, slowdown order and notes,\n"
      "six files in all.\n"
      "\n"
      "The files go into DIR. Without DIR they go next to the program when it runs\n"
      "from a folder of its own, and into the current folder when it is an installed\n"
      "command (in /usr/bin, /usr/local/bin or another folder of PATH).\n"
      "An earlier build's files are replaced; a failed run keeps them whole.\n"
      "\n"
      "Options:\n"
      "  --help       print this text and build nothing\n"
      "  --version    print the program's version and build nothing\n"
      "\n"
      "Exit status:\n"
      "  0   the six files were written\n"
      "  1   an error number was shown (\" Errore n. 1250\" or \"1251\"); the compiled\n"
      "      files were not written\n"
      "  2   a file could not be written (the message names it and the reason)\n"
      "  64  usage error\n";
  return text;
}

std::string builder_version_text() { return std::string("scenario_builder ") + SCENARIO_VERSION + "\n"; }

namespace {

// Whether `folder` ends with the components of `tail`.
bool ends_with(const fs::path& folder, const fs::path& tail) {
  auto f = folder.end();
  auto t = tail.end();
  while (t != tail.begin()) {
    if (f == folder.begin()) return false;
    --f;
    --t;
    if (*f != *t) return false;
  }
  return true;
}

// The same folder, a trailing separator or not.
fs::path without_trailing_separator(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path()) {
    normal = normal.parent_path();
  }
  return normal;
}

}  // namespace

fs::path builder_output_folder(const fs::path& program_folder, const fs::path& working_folder,
                               const std::vector<fs::path>& search_path) {
  const fs::path folder = without_trailing_separator(program_folder);
  const bool installed = ends_with(folder, "usr/bin") || ends_with(folder, "usr/local/bin") || folder == "/bin" ||
                         std::any_of(search_path.begin(), search_path.end(), [&](const fs::path& entry) {
                           return without_trailing_separator(entry) == folder;
                         });
  return installed ? working_folder : program_folder;
}

std::vector<fs::path> split_search_path(std::string_view search_path) {
  std::vector<fs::path> folders;
  while (!search_path.empty()) {
    const std::size_t colon = search_path.find(':');
    const std::string_view entry = search_path.substr(0, colon);
    if (!entry.empty()) folders.emplace_back(entry);
    if (colon == std::string_view::npos) break;
    search_path.remove_prefix(colon + 1);
  }
  return folders;
}

}  // namespace scenario
