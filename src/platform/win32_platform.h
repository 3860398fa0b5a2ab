#pragma once

#include "driver/platform.h"
#include "platform/win32_waiting_window.h"

namespace scenario {

// The Windows desktop program: the waiting window Form1, message boxes with
// the program's title, and the folder of the running executable. The folder
// is held by the folder lock, a lock file no other process may open that the
// system deletes when the process ends.
class Win32Platform final : public Platform {
 public:
  // Makes the process DPI-aware, so that the window's sizes in twips become
  // pixels at the screen's real DPI instead of being stretched by the system.
  Win32Platform();

  void show_waiting_window() override;
  void show_message(const std::string& text) override;
  void show_failure(const std::string& text) override;
  std::filesystem::path program_folder() override;
  void hold_folder(const std::filesystem::path& folder) override;
  [[noreturn]] void end_process(int status) override;

 private:
  WaitingWindow window_;
};

// The title of the program's message boxes: the program's name.
inline constexpr wchar_t kProgramTitle[] = L"scenario_builder";

}  // namespace scenario
