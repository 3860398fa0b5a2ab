// scenario_tool lsp: the language server of the two source formats, on
// standard input and output, for editors.
#include <chrono>
#include <exception>
#include <iostream>
#include <string>

#include "tool/binary_stdio.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/editor_grammar.h"
#include "tool/lsp/server.h"

namespace scenario::tool {

const Command kLspCommand = {
    "lsp",
    "scenario_tool lsp [--debounce MS] [--grammar line|train]",
    "Runs the language server of the line and train source files on standard\n"
    "input and output (Language Server Protocol 3.17, JSON-RPC with\n"
    "Content-Length headers), for an editor to start:\n"
    "\n"
    "  diagnostics     what \"scenario_tool check\" finds, published when a file is\n"
    "                  opened, changed (once the typing pauses) or saved; a line\n"
    "                  file and its train file (NAME_linea.txt, NAME_NUM-.txt in\n"
    "                  one folder) are checked together, the editor's unsaved text\n"
    "                  before the disk's\n"
    "  hover           the record a keyword names and its fields; a field's unit,\n"
    "                  range, meaning and what it becomes; a diagnostic's\n"
    "                  explanation\n"
    "  completion      the records of the section, with a placeholder a field,\n"
    "                  replacing what is typed of the keyword or header\n"
    "  signature help  the record's fields, the one under the cursor first\n"
    "  inlay hints     each field's name and unit after its value\n"
    "  quick fixes     the nearest keyword; a progressive moved to its cell\n"
    "  formatting      a section's fields aligned in columns (reads as before)\n"
    "  definition      from a station or slowdown to the line's gradient and\n"
    "                  curve rows where it lands\n"
    "  semantic tokens the lines the compiler skips, dimmed\n"
    "  outline         sections, stations, signals and curves; folding by section\n"
    "\n"
    "Options:\n"
    "  --debounce MS           how long the typing must pause before a change is\n"
    "                          checked, in milliseconds (default 20; 0 checks every\n"
    "                          change at once)\n"
    "  --grammar line|train    print the TextMate grammar of a format instead\n"
    "\n"
    "Exit status: 0 after the editor's shutdown and exit; 1 when the input ends\n"
    "first; 64 usage error.\n",
    lsp_command,
};

int lsp_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {}, {"--grammar", "--debounce"});
  arguments.expect_operands(0, 0);
  int debounce_ms = 20;
  if (const std::optional<std::string> given = arguments.value("--debounce")) {
    std::size_t used = 0;
    try {
      debounce_ms = std::stoi(*given, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != given->size() || debounce_ms < 0 || debounce_ms > 10000) {
      throw UsageError("--debounce takes milliseconds from 0 to 10000");
    }
  }
  if (const std::optional<std::string> grammar = arguments.value("--grammar")) {
    if (*grammar != "line" && *grammar != "train") throw UsageError("--grammar takes line or train");
    std::cout << textmate_grammar(*grammar == "line" ? SourceKind::line : SourceKind::train);
    return kExitClean;
  }
  use_binary_stdio();
  std::ios::sync_with_stdio(false);
  return lsp::serve(std::cin, std::cout, std::chrono::milliseconds(debounce_ms));
}

}  // namespace scenario::tool
