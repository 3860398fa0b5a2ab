#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// One command of scenario_tool: its name, the usage line and help it prints,
// and what it runs with the arguments that follow its name. A command
// returns the exit status; it throws UsageError for a wrong command line and
// lets a run-time failure (std::exception) escape, which ends the tool with
// status 2.
struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view help;
  int (*run)(const std::vector<std::string>& args);
};

int sources_command(const std::vector<std::string>& args);
int compile_command(const std::vector<std::string>& args);
int dump_command(const std::vector<std::string>& args);
int plot_command(const std::vector<std::string>& args);
int check_command(const std::vector<std::string>& args);
int explain_command(const std::vector<std::string>& args);
int lsp_command(const std::vector<std::string>& args);
int view_command(const std::vector<std::string>& args);
int decompile_command(const std::vector<std::string>& args);
int diff_command(const std::vector<std::string>& args);
int run_command(const std::vector<std::string>& args);

extern const Command kSourcesCommand;
extern const Command kCompileCommand;
extern const Command kDumpCommand;
extern const Command kPlotCommand;
extern const Command kCheckCommand;
extern const Command kExplainCommand;
extern const Command kLspCommand;
extern const Command kViewCommand;
extern const Command kDecompileCommand;
extern const Command kDiffCommand;
extern const Command kRunCommand;

}  // namespace scenario::tool
