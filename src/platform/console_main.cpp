// The Linux console program: one build of the scenario, into the folder given
// on the command line or else the one the program chooses (see
// builder_output_folder); --help and --version print and build nothing.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/builder_command_line.h"
#include "driver/form1.h"
#include "platform/console_platform.h"

int main(int argc, char** argv) {
  const scenario::BuilderCommandLine line = scenario::parse_builder_command_line({argv + 1, argv + argc});
  switch (line.action) {
    case scenario::BuilderCommandLine::Action::help:
      std::fputs(scenario::builder_help_text().c_str(), stdout);
      return 0;
    case scenario::BuilderCommandLine::Action::version:
      std::fputs(scenario::builder_version_text().c_str(), stdout);
      return 0;
    case scenario::BuilderCommandLine::Action::usage_error:
      std::fprintf(stderr, "scenario_builder: %s\nusage: scenario_builder [DIR]\nTry \"scenario_builder --help\".\n",
                   line.error.c_str());
      return scenario::kExitUsage;
    case scenario::BuilderCommandLine::Action::build:
      break;
  }
  // A file-size limit makes a write fail like any other, which the run
  // reports with the earlier set kept, rather than end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  scenario::ConsolePlatform platform(line.folder);
  scenario::Form1 form(platform);
  form.Form_Load();
}
