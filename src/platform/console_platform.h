#pragma once

#include "driver/platform.h"

namespace scenario {

// The Linux console program: the waiting window becomes the line "Attendere"
// on standard error, messages go to standard error, and the program's folder
// is the folder of the running executable (never the working directory).
// The folder is held by the folder lock (the system's lock on the folder, or
// a lock file where the file system has none), or refused.
class ConsolePlatform final : public Platform {
 public:
  void show_waiting_window() override;
  void show_message(const std::string& text) override;
  void show_failure(const std::string& text) override;
  std::filesystem::path program_folder() override;
  void hold_folder(const std::filesystem::path& folder) override;
  [[noreturn]] void end_process(int status) override;
};

}  // namespace scenario
