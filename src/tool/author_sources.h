#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "tool/command_line.h"

namespace scenario::tool {

// The author's paths of the two source files, beside the names the compiler
// reads them under.
struct SourcePaths {
  std::string line;  // as given on the command line
  std::string train;
  std::string line_name;   // the compiler's name for the line source file
  std::string train_name;  // and for the train source file

  // The author's path for one of the compiler's names (the name itself for
  // any other).
  const std::string& author_file(const std::string& compiler_name) const;
  // A message with the compiler's "NAME:LINE" places told by the author's
  // paths.
  std::string with_author_names(std::string text) const;
};

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

  SourcePaths paths() const { return {line_path, train_path, names.line_source(), names.train_source()}; }
  const std::string& path_of(const std::string& compiler_name) const;
};

// The options that name the scenario, for a command's Arguments.
inline const std::vector<std::string_view> kNameOptions = {"--line-name", "--train-number"};

// The two operands LINE TRAIN (the first two of `arguments`); a name that
// cannot be taken is a usage error, a file that cannot be read a run-time
// failure.
AuthorSources read_author_sources(const Arguments& arguments);

// The most a source file may hold. The largest line the compiler takes
// (1,000,000 m with an object in every cell) needs some 2.5 MB; anything far
// beyond is refused before it is read, with its size and the limit.
inline constexpr std::uintmax_t kMaxSourceBytes = 8u << 20;

// A source file's bytes, refused (a run-time failure naming the file) when it
// holds more than kMaxSourceBytes.
std::string read_source_file(const std::string& path);

}  // namespace scenario::tool
