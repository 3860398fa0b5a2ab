#pragma once

#include <filesystem>
#include <string>

namespace scenario {

// What the driver needs from the machine it runs on. The Linux console program
// and the Windows desktop program each implement it; tests use a recording fake.
class Platform {
 public:
  virtual ~Platform() = default;

  // Shows the waiting window (title, the label "Attendere") without waiting for
  // the user, and paints it once before returning: the build that follows
  // processes no window messages.
  virtual void show_waiting_window() = 0;

  // A modal message with an OK button only and the program's title; returns
  // when the user has dismissed it.
  virtual void show_message(const std::string& text) = 0;

  // Reports a run-time failure that no step handles (what failed and why).
  virtual void show_failure(const std::string& text) = 0;

  // The folder that holds the running program, from the program's own path.
  virtual std::filesystem::path program_folder() = 0;

  // Holds `folder` for this run until the process ends, first waiting for any
  // other run that holds it: two runs started at once in one folder would
  // write and delete the same files under each other. The later run then
  // builds after the earlier one has ended.
  virtual void hold_folder(const std::filesystem::path& folder) = 0;

  // Ends the process at once with this exit status; nothing after it runs.
  [[noreturn]] virtual void end_process(int status) = 0;
};

// Exit statuses of the program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitErrore = 1;   // a user-visible error number was shown
inline constexpr int kExitFailure = 2;  // a run-time failure ended the run

}  // namespace scenario
