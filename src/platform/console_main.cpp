// The Linux console program: one build of the scenario, next to the program.
#include <csignal>

#include "driver/form1.h"
#include "platform/console_platform.h"

int main() {
  // A file-size limit makes a write fail like any other, which the run
  // reports with the earlier set kept, rather than end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  scenario::ConsolePlatform platform;
  scenario::Form1 form(platform);
  form.Form_Load();
}
