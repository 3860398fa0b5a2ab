#include "tool/author_sources.h"

#include <filesystem>

#include "base/read_file.h"

namespace scenario::tool {

namespace {

std::string name_of(const std::string& file) { return std::filesystem::path(file).filename().string(); }

// The compiled files are named from the line name and the train number inside
// OUTDIR: neither may lead out of it.
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

}  // namespace

const std::string& AuthorSources::path_of(const std::string& compiler_name) const {
  if (compiler_name == names.line_source()) return line_path;
  if (compiler_name == names.train_source()) return train_path;
  return compiler_name;
}

AuthorSources read_author_sources(const Arguments& arguments) {
  AuthorSources sources;
  sources.line_path = arguments.operands().at(0);
  sources.train_path = arguments.operands().at(1);
  sources.names.nome_linea = line_name_of(arguments, sources.line_path);
  check_name(sources.names.nome_linea, "the line name");
  sources.names.numero_treno = train_number_of(arguments, sources.train_path, sources.names.nome_linea);
  check_name(sources.names.numero_treno, "the train number");
  sources.line = read_file(sources.line_path);
  sources.train = read_file(sources.train_path);
  return sources;
}

}  // namespace scenario::tool
