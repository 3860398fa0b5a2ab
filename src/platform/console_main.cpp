// The Linux console program: one build of the scenario, next to the program.
#include "driver/form1.h"
#include "platform/console_platform.h"

int main() {
  scenario::ConsolePlatform platform;
  scenario::Form1 form(platform);
  form.Form_Load();
}
