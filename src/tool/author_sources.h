#pragma once

#include <string>
#include <vector>

#include "base/file_names.h"
#include "tool/command_line.h"

namespace scenario::tool {

// An author's two source files, as the commands that read them take them:
// the paths as given, the line name and the train number (from the file
// names unless given with --line-name and --train-number), the names the
// compiler reads them under, and their bytes.
struct AuthorSources {
  std::string line_path;
  std::string train_path;
  FileNames names;
  std::string line;
  std::string train;

  // The author's path for one of the compiler's names (the name itself for
  // any other).
  const std::string& path_of(const std::string& compiler_name) const;
};

// The options that name the scenario, for a command's Arguments.
inline const std::vector<std::string_view> kNameOptions = {"--line-name", "--train-number"};

// The two operands LINE TRAIN (the first two of `arguments`); a name that
// cannot be taken is a usage error, a file that cannot be read a run-time
// failure.
AuthorSources read_author_sources(const Arguments& arguments);

}  // namespace scenario::tool
