// scenario_tool explain: what a code means, why it matters and how to fix it;
// the list of all codes; the reference of the source formats.
#include <iostream>
#include <string>

#include "compiler/code_explanations.h"
#include "compiler/codes.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/format_reference.h"

namespace scenario::tool {

const Command kExplainCommand = {
    "explain",
    "scenario_tool explain CODE | --list | --format",
    "Tells what a code of check or compile means, why it matters and how to fix\n"
    "it, with a small example. CODE is its number (16) or its name\n"
    "(signal-cell-taken).\n"
    "\n"
    "  --list      every code: number, severity, name and meaning\n"
    "  --format    the reference of the two source formats (Markdown): every\n"
    "              section, record and field, the lexical rules and the codes\n"
    "\n"
    "Exit status: 0 told; 1 no such code; 64 usage error.\n",
    explain_command,
};

namespace {

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string indented(std::string_view text) {
  std::string out = "    ";
  for (const char c : text) {
    out += c;
    if (c == '\n') out += "    ";
  }
  return out + "\n";
}

}  // namespace

int explain_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--list", "--format"}, {});
  if (arguments.has("--list")) {
    arguments.expect_operands(0, 0);
    for (const CodeEntry& entry : kCodeTable) {
      std::cout << padded(std::to_string(entry.number), 6) << padded(std::string(severity_name(entry.severity)), 9)
                << padded(std::string(entry.name), 33) << entry.text << "\n";
    }
    return kExitClean;
  }
  if (arguments.has("--format")) {
    arguments.expect_operands(0, 0);
    std::cout << format_reference();
    return kExitClean;
  }
  arguments.expect_operands(1, 1);
  const std::string& given = arguments.operands()[0];
  const CodeEntry* entry = find_code(given);
  if (entry == nullptr && !given.empty() && given.size() < 10 &&
      given.find_first_not_of("0123456789") == std::string::npos) {
    entry = find_code(std::stoi(given));
  }
  if (entry == nullptr) {
    std::cerr << kToolName << ": no code \"" << given << "\"; scenario_tool explain --list lists them\n";
    return kExitCodeSet;
  }
  std::cout << entry->number << "  " << entry->name << "  (" << severity_name(entry->severity) << ")\n"
            << entry->text << "\n";
  if (const CodeExplanation* e = explanation_of(entry->number)) {
    std::cout << "\nWhy it matters: " << e->why << "\n\nHow to fix it: " << e->fix << "\n";
    if (!e->example.empty()) std::cout << "\nExample:\n" << indented(e->example);
  }
  return kExitClean;
}

}  // namespace scenario::tool
