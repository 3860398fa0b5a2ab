// scenario_tool run: the fastest run of the scenario's train over its line,
// against the timetable and the slowdowns' warning boards.
#include <iostream>
#include <string>

#include "base/file_names.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/diagnostic_output.h"
#include "tool/run_analysis.h"
#include "tool/scenario_files.h"

namespace scenario::tool {

const Command kRunCommand = {
    "run",
    "scenario_tool run (LINE TRAIN | DIR) [--rolling-stock FILE.json|ID] [--format text|json] [--allowance PCT]\n"
    "                  [--dwell S] [--line-name NAME] [--train-number NUM]",
    "Runs the scenario's train over its line as fast as it can go: at full\n"
    "effort up to every speed limit (the speed profile, lowered by the\n"
    "slowdowns, and the train's own maximum; a lower limit is kept until the\n"
    "train's tail has left it), braking at the last moment before every drop\n"
    "and every stop. Then it reports:\n"
    "\n"
    "  - each leg between two stations: the scheduled time (each station's time\n"
    "    is the departure from it, at the last station the arrival), the fastest\n"
    "    time with the dwell at the stop, and the margin in per cent; a warning\n"
    "    (500) where the timetable cannot be kept, a note (501) where the margin\n"
    "    is under the allowance;\n"
    "  - each slowdown's warning board: the braking distance from the speed the\n"
    "    line allows at the board down to the slowdown's speed, against the\n"
    "    distance the board gives; a warning (502) where it is not enough.\n"
    "\n"
    "With LINE and TRAIN the sources are compiled in memory, as compile does;\n"
    "with DIR the compiled scenario in it is run. The train file gives the\n"
    "number of cars and the braked-mass percentage; what it does not carry\n"
    "(masses, tractive effort, power, resistance, lengths, maximum speed) comes\n"
    "from a rolling stock: by default a locomotive with coaches (a multiple unit\n"
    "from a braked-mass percentage of 140 on), or the one given.\n"
    "docs/running-time.md describes the model, its assumptions and sources.\n"
    "\n"
    "Options:\n"
    "  --rolling-stock X    a catalogue entry (electric-locomotive-coaches,\n"
    "                       electric-multiple-unit) or a JSON file as\n"
    "                       docs/rolling-stock.schema.json describes\n"
    "  --format FORMAT      text (default) or json: the whole run, a point a cell\n"
    "  --allowance PCT      a margin under PCT per cent is thin (default 5)\n"
    "  --dwell S            seconds at every intermediate stop (default 30)\n"
    "  --line-name NAME     the line name of the sources (as for compile)\n"
    "  --train-number NUM   the train number (of the sources, or of DIR's scenario)\n"
    "\n"
    "Exit status: 0 every leg can be kept and every board leaves room (notes\n"
    "allowed); 1 a warning; 2 the files cannot be read or compiled; 64 usage\n"
    "error.\n",
    run_command,
};

int run_command(const std::vector<std::string>& args) {
  std::vector<std::string_view> valued = {"--format", "--line-name", "--train-number"};
  valued.insert(valued.end(), kRunOptions.begin(), kRunOptions.end());
  const Arguments arguments(args, {}, valued);
  arguments.expect_operands(1, 2);
  const std::string format = arguments.value("--format").value_or("text");
  if (format != "text" && format != "json") throw UsageError("--format takes text or json");
  const RunSettings settings = run_settings(arguments);

  running::RunResult run;
  Diagnostics diagnostics;
  if (arguments.operands().size() == 1) {
    if (arguments.value("--line-name")) throw UsageError("--line-name names the line of source files, not of DIR");
    const auto sim_file =
        find_scenario_file(path_from_utf8(arguments.operands()[0]), arguments.value("--train-number"));
    const ScenarioView view = read_compiled_view(sim_file);
    run = running::run_scenario(view, running::train_of(view, settings.stock ? &*settings.stock : nullptr),
                                settings.options);
    FileNames names;
    names.nome_linea = view.line_name;
    names.numero_treno = view.train_number;
    diagnostics = run_diagnostics(run, RunPlaces{}, names);
    for (Diagnostic& d : diagnostics) d.place.file = utf8_of_path(sim_file);
  } else {
    const AuthorSources sources = read_author_sources(arguments);
    const CompiledSources compiled = compile_sources(sources);
    if (compiled.code) {
      std::cerr << kToolName << " run: the sources do not compile; \"scenario_tool check\" tells why\n";
      return kExitNoFiles;
    }
    run = running::run_scenario(
        compiled.view, running::train_of(compiled.view, settings.stock ? &*settings.stock : nullptr), settings.options);
    diagnostics = run_diagnostics(run, compiled.places, sources.names);
    const DiagnosticPrinter printer(sources);
    if (format == "text") {
      std::cout << run_text(run);
      if (!diagnostics.empty()) std::cout << "\n";
      for (const Diagnostic& d : diagnostics) std::cout << printer.text(d);
    }
  }
  if (format == "json") {
    std::cout << run_json(run).dump(1) << "\n";
  } else if (arguments.operands().size() == 1) {
    std::cout << run_text(run);
    if (!diagnostics.empty()) std::cout << "\n";
    for (const Diagnostic& d : diagnostics) {
      std::cout << d.place.file << ": " << severity_name(d.severity) << " " << d.code << ": " << d.message << "\n";
      if (!d.hint.empty()) std::cout << "  hint: " << d.hint << "\n";
    }
  }
  for (const Diagnostic& d : diagnostics) {
    if (d.severity != Severity::note) return kExitCodeSet;
  }
  return kExitClean;
}

}  // namespace scenario::tool
