// scenario_tool sources: the built-in line and train source files, as a
// template for an author's own scenario.
#include <filesystem>
#include <iostream>

#include "base/file_names.h"
#include "driver/form1.h"
#include "sources/text_writers.h"
#include "tool/annotated_sources.h"
#include "tool/command_line.h"
#include "tool/commands.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kSourcesCommand = {
    "sources",
    "scenario_tool sources [DIR] [--force] [--annotated]",
    "Writes the built-in scenario's line and train source files into DIR (default:\n"
    "the working directory), as a template to start from:\n"
    "\n"
    "  Corvalle_Brinta_linea.txt     the line: length, kilometre references, curves,\n"
    "                                gradients, mountains, speed boards, signs\n"
    "  Corvalle_Brinta_24817-.txt    the train: composition, clock, speed and adhesion\n"
    "                                profiles, stations, slowdowns, signals\n"
    "\n"
    "The files are Windows-1252 text with CR LF line ends, as the compiler reads\n"
    "them. DIR is created when missing. An existing file of the same name is never\n"
    "replaced unless --force is given.\n"
    "\n"
    "Options:\n"
    "  --force        replace existing files\n"
    "  --annotated    with comment lines that explain each section and the fields\n"
    "                 of each record; the files compile to the same bytes\n"
    "\n"
    "Exit status: 0 written; 2 nothing written (a file exists, or cannot be\n"
    "written); 64 usage error.\n",
    sources_command,
};

int sources_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--force", "--annotated"}, {});
  arguments.expect_operands(0, 1);
  const fs::path folder = arguments.operands().empty() ? fs::path(".") : path_from_utf8(arguments.operands()[0]);

  TrackModel model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  const FileNames names{model.nome_linea, model.numero_treno};
  const fs::path line_file = in_folder(folder, names.line_source());
  const fs::path train_file = in_folder(folder, names.train_source());

  if (refuses_to_replace(arguments, {line_file, train_file})) return kExitNoFiles;

  fs::create_directories(folder);
  if (arguments.has("--annotated")) {
    annotated(line_source_table(), line_format()).write(line_file);
    annotated(train_source_table(), train_format()).write(train_file);
  } else {
    dati_linea(folder, model);
    dati_treno(folder, model);
  }
  std::cout << "wrote " << utf8_of_path(line_file) << "\nwrote " << utf8_of_path(train_file) << "\n";
  return kExitClean;
}

}  // namespace scenario::tool
