// The Windows desktop program: one build of the scenario, next to the program.
// It takes no arguments; the window and the message boxes are all it shows.
#include "driver/form1.h"
#include "platform/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  scenario::Win32Platform platform;
  scenario::Form1 form(platform);
  form.Form_Load();
}
