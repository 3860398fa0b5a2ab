// scenario_tool: the authoring tool of the scenario builder. It writes the
// built-in sources as a template, compiles an author's sources with the
// program's own compiler and finishing step, decodes compiled files and draws
// a compiled scenario, shows a scenario in a browser, recovers sources from
// compiled files and tells two builds apart.
#include <csignal>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/console_output.h"
#include "tool/program_arguments.h"
#include "tool/visible_output.h"

namespace {

using scenario::tool::Command;

const Command* const kCommands[] = {
    &scenario::tool::kSourcesCommand,   &scenario::tool::kCheckCommand, &scenario::tool::kCompileCommand,
    &scenario::tool::kDumpCommand,      &scenario::tool::kPlotCommand,  &scenario::tool::kViewCommand,
    &scenario::tool::kDecompileCommand, &scenario::tool::kDiffCommand,  &scenario::tool::kExplainCommand,
    &scenario::tool::kLspCommand,       &scenario::tool::kRunCommand};

void print_overview(std::ostream& out) {
  out << "usage: scenario_tool COMMAND [ARGUMENTS]\n"
         "\n"
         "The authoring tool of the scenario builder: from the built-in sources to an\n"
         "edited, compiled and plotted scenario.\n"
         "\n"
         "Commands:\n";
  for (const Command* command : kCommands) out << "  " << command->usage << "\n";
  out << "\n"
         "  sources    write the built-in line and train source files as a template\n"
         "  check      report every problem of an author's source files: errors,\n"
         "             warnings and notes, with codes, places and hints\n"
         "  compile    compile an author's source files, reporting every code at its\n"
         "             file and line, and write the three compiled files\n"
         "  dump       decode a route, scenario or plan file into readable text or JSON\n"
         "  plot       draw a compiled scenario as an SVG picture\n"
         "  view       write one HTML page to explore a scenario, linked to its sources;\n"
         "             with --watch, serve it and rebuild it as the sources change\n"
         "  decompile  recover editable sources from compiled files, checked by\n"
         "             compiling them back to the same bytes\n"
         "  diff       what differs between two builds, in an author's terms\n"
         "  explain    what a code means and how to fix it; the source formats\n"
         "  lsp        the language server of the source formats, for editors\n"
         "  run        the fastest run of the train: can it keep the timetable, can\n"
         "             it brake where the warning boards say\n"
         "\n"
         "  scenario_tool COMMAND --help    what a command does, its options and exit status\n"
         "  scenario_tool --version         the tool's version\n";
}

const Command* find_command(const std::string& name) {
  for (const Command* command : kCommands) {
    if (command->name == name) return command;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace scenario::tool;
#ifdef SIGXFSZ
  // A file-size limit makes a write fail like any other (exit status 2, the
  // earlier files kept) rather than end the process without a word.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  const std::vector<std::string> args = program_arguments(argc, argv);
  use_console_wide_output();
  // Text for a terminal shows no raw control character; the language server
  // speaks its protocol byte for byte.
  std::optional<scenario::tool::VisibleOutput> visible;
  if (args.empty() || args[0] != "lsp") visible.emplace();
  if (args.empty()) {
    std::cerr << kToolName << ": no command given\nTry \"" << kToolName << " --help\".\n";
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    print_overview(std::cout);
    return kExitClean;
  }
  if (first == "--version") {
    std::cout << kToolName << " " << kToolVersion << "\n";
    return kExitClean;
  }
  const Command* command = find_command(first);
  if (command == nullptr) {
    std::cerr << kToolName << ": unknown command \"" << first << "\"\nTry \"" << kToolName << " --help\".\n";
    return kExitUsage;
  }

  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (asks_for_help(rest)) {
    std::cout << "usage: " << command->usage << "\n\n" << command->help;
    return kExitClean;
  }
  try {
    return command->run(rest);
  } catch (const UsageError& error) {
    std::cerr << kToolName << " " << command->name << ": " << error.what() << "\n"
              << "usage: " << command->usage << "\n"
              << "Try \"" << kToolName << " " << command->name << " --help\".\n";
    return kExitUsage;
  } catch (const std::exception& failure) {
    std::cerr << kToolName << ": " << failure.what() << "\n";
    return kExitNoFiles;
  }
}
