#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace scenario {

// Every file of a build is named from the line name and the train number and
// lives in the program's own folder.
struct FileNames {
  std::string nome_linea;
  std::string numero_treno;

  // Source files, written and read back within the run, then deleted.
  std::string line_source() const { return nome_linea + std::string(kLineSource); }
  std::string train_source() const { return nome_linea + "_" + numero_treno + std::string(kTrainSource); }

  // The driver's documents.
  std::string notes() const { return nome_linea + "_" + numero_treno + "_note.txt"; }
  std::string slowdown_order() const { return nome_linea + "_" + numero_treno + "_rallentamenti.txt"; }
  std::string timetable_card() const { return nome_linea + "_" + numero_treno + "_scheda_treno.txt"; }

  // Compiled files.
  std::string plan() const { return nome_linea + std::string(kPlan); }
  std::string scenario() const { return nome_linea + "_" + numero_treno + std::string(kScenario); }
  std::string route() const { return nome_linea + "_" + numero_treno + std::string(kRoute); }

  // How the names end after the line name (and the train number).
  static constexpr std::string_view kLineSource = "_linea.txt";
  static constexpr std::string_view kTrainSource = "-.txt";
  static constexpr std::string_view kPlan = "_linea.dat";
  static constexpr std::string_view kScenario = ".sim";
  static constexpr std::string_view kRoute = ".dat";
};

// The kind of a build's file, told by the end of its name alone.
enum class FileKind { line_source, train_source, plan, scenario, route, other };
FileKind kind_of_file(std::string_view file_name);

// Names read back. The line name of NAME_linea.txt; the train number of
// NAME_NUM-.txt, after `line_name` and "_" when the name starts so, or else
// after its last "_"; the line name and the train number of NAME_NUM.sim or
// NAME_NUM.dat, parted at the last "_". Nothing when the name has not that
// shape or a part would be empty.
std::optional<std::string> line_name_of_line_source(std::string_view file_name);
std::optional<std::string> train_number_of_train_source(std::string_view file_name, std::string_view line_name);
std::optional<FileNames> names_of_compiled_file(std::string_view file_name);

// A file of the build inside `folder`. Names are UTF-8 inside the program.
inline std::filesystem::path in_folder(const std::filesystem::path& folder, const std::string& name) {
  return folder / std::filesystem::u8path(name);
}

// A path given as UTF-8 text (a command line, a message), and a path as UTF-8
// text. On Windows a plain std::string would be taken in the ANSI code page.
inline std::filesystem::path path_from_utf8(const std::string& text) { return std::filesystem::u8path(text); }
inline std::string utf8_of_path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace scenario
