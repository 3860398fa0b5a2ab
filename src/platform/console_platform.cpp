#include "platform/console_platform.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "base/folder_lock.h"
#include "base/run_time_failure.h"
#include "base/system_reason.h"
#include "base/visible_text.h"
#include "driver/builder_command_line.h"

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
  namespace fs = std::filesystem;
  std::error_code error;
  if (folder_) {
    const fs::path folder = fs::absolute(*folder_, error);
    if (error) throw RunTimeFailure("impossibile trovare la cartella " + folder_->string() + ": " + error.message());
    return folder;
  }
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) throw RunTimeFailure("impossibile trovare la cartella del programma: " + error.message());
  const fs::path working_folder = fs::current_path(error);
  if (error) throw RunTimeFailure("impossibile trovare la cartella corrente: " + error.message());
  // The search path's folders as the executable's path names them: links
  // resolved (/bin is often /usr/bin).
  std::vector<fs::path> search_path;
  const char* path = std::getenv("PATH");
  for (const fs::path& entry : split_search_path(path != nullptr ? path : "")) {
    if (!entry.is_absolute()) continue;
    std::error_code unresolved;
    const fs::path resolved = fs::weakly_canonical(entry, unresolved);
    search_path.push_back(unresolved ? entry : resolved);
  }
  return builder_output_folder(executable.parent_path(), working_folder, search_path);
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
