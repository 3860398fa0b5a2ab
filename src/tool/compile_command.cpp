// scenario_tool compile: an author's two source files through the program's
// own compile and finishing steps, with every code reported at its source.
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "base/file_names.h"
#include "base/folder_lock.h"
#include "base/read_file.h"
#include "base/replace_file.h"
#include "base/source_folder.h"
#include "checker/checker.h"
#include "checker/observation.h"
#include "compiler/codes.h"
#include "output/compiled_files.h"
#include "output/memorizza_percorso.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/diagnostic_output.h"
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
    "First the checker's warnings and notes go to standard error (as \"scenario_tool\n"
    "check\" writes them), then each code of the build, one per line:\n"
    "  FILE:LINE:COL: error CODE: what went wrong   (as \"scenario_tool check\" places it)\n"
    "  FILE:cell N (progressive P): error CODE: ...   (finishing codes 11 to 13)\n"
    "The last line on standard output is \"codice_errore N\" (0 when clean) after a\n"
    "run that wrote its files, or \"errore 1250\" / \"errore 1251\" when a reserved\n"
    "value was taken and nothing was written. A summary of what \"scenario_tool\n"
    "check\" finds ends standard error.\n"
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

// What the checker finds besides the compile's own errors, before anything is
// written: its warnings and notes, with their source lines.
CheckResult warnings_first(const AuthorSources& sources) {
  CheckResult result = check_scenario({sources.names, sources.line, sources.train});
  std::cerr << diagnostics_text(result, sources, [](const Diagnostic& d) { return d.severity != Severity::error; });
  return result;
}

}  // namespace

int compile_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--no-plan"}, {"--line-name", "--train-number"});
  arguments.expect_operands(2, 3);
  const fs::path out_folder = arguments.operands().size() > 2 ? path_from_utf8(arguments.operands()[2]) : fs::path(".");
  const AuthorSources sources = read_author_sources(arguments);
  const CheckResult checked = warnings_first(sources);

  // The compiler reads its sources under its own names and deletes them: it
  // gets copies in memory.
  MemoryFolder folder;
  folder.put(sources.names.line_source(), sources.line);
  folder.put(sources.names.train_source(), sources.train);
  TrackModel model;
  model.nome_linea = sources.names.nome_linea;
  model.numero_treno = sources.names.numero_treno;
  int32_t j = arguments.has("--no-plan") ? 0 : 1;
  CompileReport report;
  Observation observation;
  const auto print_errors = [&]() {
    for (const std::string& line : compile_error_lines(report, observation, model, sources)) std::cerr << line << "\n";
  };
  Finish finish = Finish::compiled;
  try {
    finish = compile_and_finish(model, folder, report, j, &observation);
  } catch (const std::exception& failure) {
    print_errors();
    std::cerr << kToolName << ": " << failure.what() << "\n";
    if (model.celle.empty() && report.code == code::run_time_failure) {
      std::cerr << kToolName << ": the line is sized by \"lunghezza percorso\" in the [generale] block of "
                << sources.line_path << ", which must come before anything that needs the line\n";
    }
    std::cerr << summary_text(checked) << "\n";
    // Nothing is written; the last line still names the code, as after a
    // build that wrote its files.
    std::cout << "codice_errore " << (report.code != code::none ? report.code : code::run_time_failure) << "\n";
    return kExitNoFiles;
  }
  if (finish != Finish::compiled) {
    print_errors();
    std::cerr << fixed_value_line(finish, observation, model, sources) << "\n" << summary_text(checked) << "\n";
    std::cout << "errore " << errore_number(finish) << "\n";
    return kExitNoFiles;
  }

  print_errors();
  std::cerr << summary_text(checked) << "\n";
  const FileNames& names = sources.names;
  try {
    fs::create_directories(out_folder);
    // Held like the program's own folder: a build or another compile into it
    // waits, and an interrupted replacement there is undone first.
    hold_folder_lock(out_folder);
    DiskWriteFolder written(out_folder);
    recover_folder(written);
    write_compiled_files(model, out_folder);
  } catch (const std::exception& failure) {
    std::cerr << kToolName << ": " << failure.what() << "\n";
    return kExitNoFiles;
  }
  if (j != 0) std::cout << "wrote " << utf8_of_path(in_folder(out_folder, names.plan())) << "\n";
  std::cout << "wrote " << utf8_of_path(in_folder(out_folder, names.scenario())) << "\n";
  std::cout << "wrote " << utf8_of_path(in_folder(out_folder, names.route())) << "\n";
  std::cout << "codice_errore " << model.codice_errore << "\n";
  return model.codice_errore == 0 ? kExitClean : kExitCodeSet;
}

}  // namespace scenario::tool
