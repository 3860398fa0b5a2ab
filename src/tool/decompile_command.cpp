// scenario_tool decompile: editable line and train sources from compiled
// files, checked by compiling them back.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/replace_file.h"
#include "output/compiled_input.h"
#include "recovery/decompile.h"
#include "recovery/round_trip.h"
#include "recovery/source_records.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/compiled_folder.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kDecompileCommand = {
    "decompile",
    "scenario_tool decompile DIR [-o OUTDIR] [--line-name NAME] [--train-number NUM] [--force]",
    "Recovers editable sources from the compiled files in DIR (NAME_NUM.sim,\n"
    "NAME_NUM.dat and, when there, NAME_linea.dat) and writes into OUTDIR (default:\n"
    "the working directory; created when missing):\n"
    "\n"
    "  NAME_linea.txt    the line: length, kilometre references, scenery, cab-signal\n"
    "                    repetition, curves, gradients, mountains, boards, signs\n"
    "  NAME_NUM-.txt     the train: composition, clock, adhesion and speed rows,\n"
    "                    stations, slowdowns, signals, speed abatement points\n"
    "\n"
    "The sources are in the template's layout and section order. Everything a\n"
    "build adds is left out: the fixed values, the competition codes and the\n"
    "finishing pass's marks (told from an author's abatement points by running the\n"
    "pass again). Curves are read from the plan metre by metre and integrated again\n"
    "bit for bit. The sources are then compiled in memory and compared with DIR's\n"
    "files: the last line on standard output says whether they give every byte.\n"
    "\n"
    "Each file is first decoded whole: a file cut short, with bytes after its last\n"
    "record, or with a count that does not fit (a text length, the line length\n"
    "that sizes the other two files) is reported on standard error with its name\n"
    "and the byte where it stops fitting; the round trip is then not tried. What\n"
    "no source can give (a plan not made of the six curve classes, cells that no\n"
    "record produces) is reported there too, naming the cell, entry or metre. In\n"
    "both cases the closest sources are still written, and each report carries\n"
    "its code (scenario_tool explain CODE).\n"
    "\n"
    "NAME and NUM come from the compiled files' names unless given; when DIR holds\n"
    "several scenarios, they choose one. Sources named otherwise than the files\n"
    "compile to files named so, with their own competition codes.\n"
    "\n"
    "Options:\n"
    "  -o OUTDIR             where the sources go\n"
    "  --line-name NAME      the line name of the sources\n"
    "  --train-number NUM    the train number of the sources\n"
    "  --force               replace existing source files\n"
    "\n"
    "Exit status: 0 the sources give every byte of whole files; 1 written, but\n"
    "something is reported (a damaged file among them); 2 nothing written (no\n"
    "compiled files, a source file exists); 64 usage error.\n",
    decompile_command,
};

int decompile_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--force"}, {"-o", "--line-name", "--train-number"});
  arguments.expect_operands(1, 1);
  const fs::path out_folder = path_from_utf8(arguments.value("-o").value_or("."));
  const ChosenScenario chosen = choose_scenario(path_from_utf8(arguments.operands()[0]), arguments.value("--line-name"),
                                                arguments.value("--train-number"));
  check_name(chosen.names.nome_linea, "the line name");
  check_name(chosen.names.numero_treno, "the train number");

  // Every file is decoded whole before anything is recovered from it.
  const CompiledFiles files = read_compiled_files(chosen.sim_file);
  const Decompiled d = decompile(files);
  std::vector<Finding> findings = files.notes;
  findings.insert(findings.end(), d.findings.begin(), d.findings.end());
  const std::string line_bytes = source_file_bytes(render(d.line));
  const std::string train_bytes = source_file_bytes(render(d.train));

  const fs::path line_file = in_folder(out_folder, chosen.names.line_source());
  const fs::path train_file = in_folder(out_folder, chosen.names.train_source());
  if (refuses_to_replace(arguments, {line_file, train_file})) return kExitNoFiles;
  fs::create_directories(out_folder);
  replace_file(line_file, line_bytes);
  replace_file(train_file, train_bytes);
  std::cout << "wrote " << utf8_of_path(line_file) << "\nwrote " << utf8_of_path(train_file) << "\n";

  // The check compiles under the names the files store, which the
  // competition codes come from.
  const std::string line_name = d.line_name.empty() ? chosen.found.nome_linea : d.line_name;
  const std::string train_number = d.train_number.empty() ? chosen.found.numero_treno : d.train_number;
  const std::string sim_name = utf8_of_path(chosen.sim_file.filename());
  for (const Damage& damage : files.damage) std::cerr << damage_text(damage) << "\n";
  for (const Finding& f : findings) std::cerr << finding_text(sim_name, f) << "\n";
  if (!files.plan) std::cout << "no plan file: the line source has no curves\n";
  if (line_name != chosen.names.nome_linea || train_number != chosen.names.numero_treno) {
    std::cout << "the files store the names " << line_name << " and " << train_number
              << "; the sources compile to files of their own names\n";
  }
  // Files that do not decode whole have bytes no sources give: the round
  // trip is not tried on them.
  if (!files.damage.empty()) {
    std::cout << "round trip: not tried: the compiled files do not decode whole\n";
    return kExitCodeSet;
  }
  const RoundTrip trip = round_trip(files, line_name, train_number, line_bytes, train_bytes, files.plan.has_value());
  for (const Finding& f : trip.differences) {
    std::cerr << "round trip: " << f.where << ": " << f.what << " (files, recovered sources)\n";
  }
  if (trip.more_differences > 0) std::cerr << "round trip: " << trip.more_differences << " more differences\n";
  std::cout << (trip.same ? "round trip: the sources give every byte of the compiled files\n"
                          : "round trip: the sources do not give the compiled files\n");
  return findings.empty() && trip.same ? kExitClean : kExitCodeSet;
}

}  // namespace scenario::tool
