#include "tool/author_sources.h"

#include <filesystem>

#include "base/read_file.h"
#include "base/run_time_failure.h"
#include "tool/scenario_files.h"

namespace scenario::tool {

const std::string& SourcePaths::author_file(const std::string& compiler_name) const {
  if (compiler_name == line_name) return line;
  if (compiler_name == train_name) return train;
  return compiler_name;
}

std::string SourcePaths::with_author_names(std::string text) const {
  for (const auto& [name, path] : {std::pair{line_name, line}, std::pair{train_name, train}}) {
    if (name == path) continue;
    const std::string place = name + ":";
    std::size_t at = 0;
    while ((at = text.find(place, at)) != std::string::npos) {
      // Only a whole name: not the end of a longer one.
      if (at > 0 && text[at - 1] != ' ' && text[at - 1] != '(') {
        at += place.size();
        continue;
      }
      text.replace(at, name.size(), path);
      at += path.size() + 1;
    }
  }
  return text;
}

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
  sources.line = read_source_file(sources.line_path);
  sources.train = read_source_file(sources.train_path);
  return sources;
}

std::string read_source_file(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_from_utf8(path), error);
  if (!error && size > kMaxSourceBytes) {
    throw RunTimeFailure(path + " holds " + std::to_string(size) + " bytes; a source file may hold at most " +
                         std::to_string(kMaxSourceBytes) + " bytes (8 MiB)");
  }
  return read_file(path_from_utf8(path));
}

}  // namespace scenario::tool
