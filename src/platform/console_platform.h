#pragma once

#include <filesystem>
#include <optional>

#include "driver/platform.h"

namespace scenario {

// The Linux console program: the waiting window becomes the line "Attendere"
// on standard error, messages go to standard error, and the build's folder is
// the one given on the command line or, without one, the folder of the running
// executable, unless that is an installed command's folder: then the working
// folder (builder_output_folder).
// The folder is held by the folder lock (the system's lock on the folder, or
// a lock file where the file system has none), or refused.
class ConsolePlatform final : public Platform {
 public:
  explicit ConsolePlatform(std::optional<std::filesystem::path> folder = std::nullopt) : folder_(std::move(folder)) {}

  void show_waiting_window() override;
  void show_message(const std::string& text) override;
  void show_failure(const std::string& text) override;
  std::filesystem::path program_folder() override;
  void hold_folder(const std::filesystem::path& folder) override;
  [[noreturn]] void end_process(int status) override;

 private:
  std::optional<std::filesystem::path> folder_;
};

}  // namespace scenario
