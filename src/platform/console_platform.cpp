#include "platform/console_platform.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "base/run_time_failure.h"

namespace scenario {

void ConsolePlatform::show_waiting_window() {
  std::fputs("Attendere\n", stderr);
  std::fflush(stderr);
}

void ConsolePlatform::show_message(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

void ConsolePlatform::show_failure(const std::string& text) {
  std::fprintf(stderr, "scenario_builder: %s\n", text.c_str());
  std::fflush(stderr);
}

std::filesystem::path ConsolePlatform::program_folder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw RunTimeFailure("cannot find the program's folder: " + error.message());
  return executable.parent_path();
}

void ConsolePlatform::end_process(int status) {
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace scenario
