// scenario_tool compile: an author's two source files through the program's
// own compile and finishing steps, with every code reported at its source.
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/source_folder.h"
#include "compiler/codes.h"
#include "output/compiled_files.h"
#include "output/memorizza_percorso.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/diagnostics.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kCompileCommand = {
    "compile",
    "scenario_tool compile LINE TRAIN [OUTDIR] [--line-name NAME] [--train-number NUM] [--no-plan]",
    "Compiles the line source file LINE and the train source file TRAIN, finishes\n"
    "the route exactly as scenario_builder does, and writes the three compiled\n"
    "files into OUTDIR (default: the working directory; created when missing):\n"
    "\n"
    "  NAME_linea.dat    the plan (not with --no-plan; an existing one is kept)\n"
    "  NAME_NUM.sim      the scenario table\n"
    "  NAME_NUM.dat      the route\n"
    "\n"
    "LINE and TRAIN are only read: they are compiled from copies in memory and are\n"
    "never changed or deleted. The line name and the train number come from the\n"
    "file names NAME_linea.txt and NAME_NUM-.txt unless given.\n"
    "\n"
    "Each code is reported on standard error, one per line:\n"
    "  FILE:LINE: error CODE: what went wrong\n"
    "  FILE:cell N (progressive P): error CODE: ...   (finishing codes 11 to 13)\n"
    "The last line on standard output is \"codice_errore N\" (0 when clean) after a\n"
    "run that wrote its files, or \"errore 1250\" / \"errore 1251\" when a reserved\n"
    "value was taken and nothing was written.\n"
    "\n"
    "Options:\n"
    "  --line-name NAME      the line name (the compiled files are named from it)\n"
    "  --train-number NUM    the train number\n"
    "  --no-plan             do not compute or write the plan\n"
    "\n"
    "Exit status: 0 clean; 1 a compile or finishing code was set (the files are\n"
    "still written, as scenario_builder does); 2 error 1250/1251 or a run-time\n"
    "failure, no file written; 64 usage error.\n",
    compile_command,
};

namespace {

std::string name_of(const fs::path& file) { return file.filename().string(); }

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

void print_diagnostics(const CompileReport& report, const SourcePaths& paths) {
  for (const std::string& line : model_diagnostics(report, paths)) std::cerr << line << "\n";
}

}  // namespace

int compile_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--no-plan"}, {"--line-name", "--train-number"});
  arguments.expect_operands(2, 3);
  const std::string& line_file = arguments.operands()[0];
  const std::string& train_file = arguments.operands()[1];
  const fs::path out_folder = arguments.operands().size() > 2 ? fs::path(arguments.operands()[2]) : fs::path(".");

  TrackModel model;
  model.nome_linea = line_name_of(arguments, line_file);
  check_name(model.nome_linea, "the line name");
  model.numero_treno = train_number_of(arguments, train_file, model.nome_linea);
  check_name(model.numero_treno, "the train number");
  const FileNames names{model.nome_linea, model.numero_treno};
  const SourcePaths paths{line_file, train_file, names.line_source(), names.train_source()};

  // The compiler reads its sources under its own names and deletes them: it
  // gets copies in memory.
  MemoryFolder sources;
  sources.put(names.line_source(), read_file(line_file));
  sources.put(names.train_source(), read_file(train_file));

  int32_t j = arguments.has("--no-plan") ? 0 : 1;
  CompileReport report;
  Finish finish = Finish::compiled;
  try {
    finish = compile_and_finish(model, sources, report, j);
  } catch (const std::exception& failure) {
    print_diagnostics(report, paths);
    std::cerr << kToolName << ": " << failure.what() << "\n";
    if (model.celle.empty() && report.code == code::run_time_failure) {
      std::cerr << kToolName << ": the line is sized by \"lunghezza percorso\" in the [generale] block of " << line_file
                << ", which must come before anything that needs the line\n";
    }
    return kExitNoFiles;
  }
  if (finish != Finish::compiled) {
    const std::string number(errore_number(finish));
    print_diagnostics(report, paths);
    std::cerr << fixed_value_diagnostic(model, number, paths) << "\n";
    std::cout << "errore " << number << "\n";
    return kExitNoFiles;
  }

  print_diagnostics(report, paths);
  try {
    fs::create_directories(out_folder);
    write_compiled_files(model, out_folder);
  } catch (const std::exception& failure) {
    std::cerr << kToolName << ": " << failure.what() << "\n";
    return kExitNoFiles;
  }
  if (j != 0) std::cout << "wrote " << in_folder(out_folder, names.plan()).string() << "\n";
  std::cout << "wrote " << in_folder(out_folder, names.scenario()).string() << "\n";
  std::cout << "wrote " << in_folder(out_folder, names.route()).string() << "\n";
  std::cout << "codice_errore " << model.codice_errore << "\n";
  return model.codice_errore == 0 ? kExitClean : kExitCodeSet;
}

}  // namespace scenario::tool
