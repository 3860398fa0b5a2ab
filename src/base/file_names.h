#pragma once

#include <filesystem>
#include <string>

namespace scenario {

// Every file of a build is named from the line name and the train number and
// lives in the program's own folder.
struct FileNames {
  std::string nome_linea;
  std::string numero_treno;

  // Source files, written and read back within the run, then deleted.
  std::string line_source() const { return nome_linea + "_linea.txt"; }
  std::string train_source() const { return nome_linea + "_" + numero_treno + "-.txt"; }

  // The driver's documents.
  std::string notes() const { return nome_linea + "_" + numero_treno + "_note.txt"; }
  std::string slowdown_order() const { return nome_linea + "_" + numero_treno + "_rallentamenti.txt"; }
  std::string timetable_card() const { return nome_linea + "_" + numero_treno + "_scheda_treno.txt"; }

  // Compiled files.
  std::string plan() const { return nome_linea + "_linea.dat"; }
  std::string scenario() const { return nome_linea + "_" + numero_treno + ".sim"; }
  std::string route() const { return nome_linea + "_" + numero_treno + ".dat"; }
};

// A file of the build inside `folder`. Names are UTF-8 inside the program.
inline std::filesystem::path in_folder(const std::filesystem::path& folder, const std::string& name) {
  return folder / std::filesystem::u8path(name);
}

}  // namespace scenario
