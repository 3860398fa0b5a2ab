#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "driver/platform.h"

namespace scenario::testing {

// Thrown by RecordingPlatform::end_process to unwind the build the way the
// real process end would stop it. Deliberately not a std::exception, so that
// no handler inside the program can mistake it for a run-time failure.
struct ProcessEnded {
  int status;
};

// A platform that records what the driver asked of it, in order.
class RecordingPlatform final : public Platform {
 public:
  explicit RecordingPlatform(std::filesystem::path folder) : folder_(std::move(folder)) {}

  void show_waiting_window() override { events.push_back("window"); }
  void show_message(const std::string& text) override { events.push_back("message:" + text); }
  void show_failure(const std::string& text) override { events.push_back("failure:" + text); }
  std::filesystem::path program_folder() override { return folder_; }
  void hold_folder(const std::filesystem::path& folder) override { events.push_back("hold:" + folder.string()); }
  [[noreturn]] void end_process(int status) override {
    events.push_back("end:" + std::to_string(status));
    throw ProcessEnded{status};
  }

  std::vector<std::string> events;

 private:
  std::filesystem::path folder_;
};

}  // namespace scenario::testing
