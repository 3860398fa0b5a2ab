// scenario_tool check: every problem of an author's two source files in one
// run, errors, warnings and notes, with codes, places and hints.
#include <iostream>
#include <optional>
#include <string>

#include "checker/checker.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/diagnostic_output.h"
#include "tool/run_analysis.h"

namespace scenario::tool {

const Command kCheckCommand = {
    "check",
    "scenario_tool check LINE TRAIN [--line-name NAME] [--train-number NUM] [--format text|json|sarif]\n"
    "                    [--disable CODE]... [--warnings-as-errors] [--max-errors N]\n"
    "                    [--run [--rolling-stock FILE.json|ID] [--allowance PCT] [--dwell S]]",
    "Reads the line source file LINE and the train source file TRAIN, writes\n"
    "nothing, and reports every problem it finds:\n"
    "\n"
    "  error     what stops or spoils a build: every code the compile would set,\n"
    "            in the order a build meets them (the first is the one compile\n"
    "            reports), the finishing codes 11 to 13, and 1250/1251\n"
    "  warning   what compiles but is almost certainly not meant: a misspelled\n"
    "            keyword, a stray field, rows out of order, a curve that turns\n"
    "            the wrong way, ...\n"
    "  note      what is worth knowing: a value rounded into a cell, ...\n"
    "\n"
    "Each as FILE:LINE:COL: SEVERITY CODE: message, with the source line, a caret\n"
    "under the field and a hint; then a summary of what was read. \"scenario_tool\n"
    "explain CODE\" tells what a code means and how to fix it.\n"
    "\n"
    "Options:\n"
    "  --line-name NAME        the line name (else from LINE, NAME_linea.txt)\n"
    "  --train-number NUM      the train number (else from TRAIN, NAME_NUM-.txt)\n"
    "  --format FORMAT         text (default), json, or sarif (SARIF 2.1.0)\n"
    "  --disable CODE          leave out the warnings and notes of this code (by\n"
    "                          number or name; may be given again)\n"
    "  --warnings-as-errors    count every warning as an error\n"
    "  --max-errors N          list at most N errors (default 200; 0 lists every\n"
    "                          one); the summary says how many more there are\n"
    "  --run                   run the train too, as \"scenario_tool run\" does: legs\n"
    "                          that cannot be kept (500), thin margins (501) at\n"
    "                          the station's time, warning boards too close to\n"
    "                          brake (502) at the slowdown's record; with\n"
    "                          --rolling-stock, --allowance and --dwell as for run\n"
    "\n"
    "Exit status: 0 clean (notes allowed); 1 warnings only; 2 errors; 64 usage\n"
    "error.\n",
    check_command,
};

int check_command(const std::vector<std::string>& args) {
  std::vector<std::string_view> valued = {"--line-name", "--train-number", "--format", "--disable", "--max-errors"};
  valued.insert(valued.end(), kRunOptions.begin(), kRunOptions.end());
  const Arguments arguments(args, {"--warnings-as-errors", "--run"}, valued);
  const bool with_run = arguments.has("--run");
  if (!with_run) {
    for (const std::string_view option : kRunOptions) {
      if (arguments.value(option)) throw UsageError(std::string(option) + " goes with --run");
    }
  }
  arguments.expect_operands(2, 2);
  const OutputFormat format = output_format(arguments);
  CheckOptions options;
  options.warnings_as_errors = arguments.has("--warnings-as-errors");
  for (const std::string& given : arguments.values("--disable")) {
    const CodeEntry* entry = find_code(given);
    if (entry == nullptr && !given.empty() && given.find_first_not_of("0123456789") == std::string::npos) {
      entry = find_code(std::stoi(given));
    }
    if (entry == nullptr) throw UsageError("no code \"" + given + "\" (scenario_tool explain --list lists them)");
    if (entry->severity == Severity::error) throw UsageError("code " + given + " is an error: it cannot be disabled");
    options.disabled.push_back(entry->number);
  }
  const AuthorSources sources = read_author_sources(arguments);

  CheckLimits limits;
  if (const std::optional<std::string> most = arguments.value("--max-errors")) {
    if (most->empty() || most->size() > 9 || most->find_first_not_of("0123456789") != std::string::npos) {
      throw UsageError("--max-errors takes a whole number, 0 for no limit");
    }
    limits.most_errors = std::stoi(*most);
  }
  CheckResult result = check_scenario({sources.names, sources.line, sources.train}, limits);
  if (with_run && result.count(Severity::error) == 0) {
    // Only a scenario that builds has a line to run over.
    const RunSettings settings = run_settings(arguments);
    const CompiledSources compiled = compile_sources(sources);
    if (!compiled.code) {
      const running::RunResult run = running::run_scenario(
          compiled.view, running::train_of(compiled.view, settings.stock ? &*settings.stock : nullptr),
          settings.options);
      for (Diagnostic& d : run_diagnostics(run, compiled.places, sources.names)) {
        result.diagnostics.push_back(std::move(d));
      }
    }
  }
  apply_options(result, options);
  std::cout << check_output(result, sources, format);
  if (result.count(Severity::error) > 0) return kExitNoFiles;
  if (result.count(Severity::warning) > 0) return kExitCodeSet;
  return kExitClean;
}

}  // namespace scenario::tool
