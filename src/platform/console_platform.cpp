#include "platform/console_platform.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "base/folder_lock.h"
#include "base/run_time_failure.h"
#include "base/visible_text.h"

namespace scenario {

void ConsolePlatform::show_waiting_window() {
  std::fputs("Attendere\n", stderr);
  std::fflush(stderr);
}

void ConsolePlatform::show_message(const std::string& text) {
  std::fprintf(stderr, "%s\n", visible_text(text).c_str());
  std::fflush(stderr);
}

void ConsolePlatform::show_failure(const std::string& text) {
  std::fprintf(stderr, "scenario_builder: %s\n", visible_text(text).c_str());
  std::fflush(stderr);
}

std::filesystem::path ConsolePlatform::program_folder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw RunTimeFailure("impossibile trovare la cartella del programma: " + error.message());
  return executable.parent_path();
}

void ConsolePlatform::hold_folder(const std::filesystem::path& folder) {
  try {
    hold_folder_lock(folder);
  } catch (const FolderLockFailure& failure) {
    throw RunTimeFailure("impossibile riservare la cartella " + folder.string() + ": " + failure.reason());
  }
}

void ConsolePlatform::end_process(int status) {
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace scenario
