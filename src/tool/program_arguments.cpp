#include "tool/program_arguments.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off
#include <shellapi.h>  // after windows.h
// clang-format on

#include <cstdlib>

#include "base/wide_text.h"
#endif

namespace scenario::tool {

#ifdef _WIN32

namespace {

UINT console_output_code_page = 0;

void restore_console_output_code_page() { SetConsoleOutputCP(console_output_code_page); }

}  // namespace

std::vector<std::string> program_arguments(int, char**) {
  // The console's code page is the console's, not the tool's: it is put back
  // when the tool ends.
  console_output_code_page = GetConsoleOutputCP();
  if (console_output_code_page != 0 && console_output_code_page != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(restore_console_output_code_page);
  }

  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(utf8_of_wide(wide[i]));
  if (wide != nullptr) LocalFree(wide);
  return arguments;
}

#else

std::vector<std::string> program_arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

#endif

}  // namespace scenario::tool
