#include "platform/win32_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/folder_lock.h"
#include "base/run_time_failure.h"
#include "base/system_reason.h"
#include "platform/win32_message_box.h"

namespace scenario {

namespace {

// Texts inside the program are UTF-8. A system message that came back in the
// ANSI code page instead is shown as it is rather than lost.
std::wstring to_wide(const std::string& text) {
  for (const UINT code_page : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = code_page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int length = MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) continue;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(code_page, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
  }
  return {};
}

std::string system_reason() { return windows_reason(GetLastError()); }

}  // namespace

Win32Platform::Win32Platform() { SetProcessDPIAware(); }

void Win32Platform::show_waiting_window() { window_.show(); }

void Win32Platform::show_message(const std::string& text) {
  show_message_box(window_.handle(), to_wide(text), kProgramTitle, MB_OK);
}

void Win32Platform::show_failure(const std::string& text) {
  show_message_box(window_.handle(), to_wide(text), kProgramTitle, MB_OK | MB_ICONERROR);
}

void Win32Platform::hold_folder(const std::filesystem::path& folder) {
  try {
    hold_folder_lock(folder);
  } catch (const FolderLockFailure& failure) {
    throw RunTimeFailure("impossibile riservare la cartella: " + failure.reason());
  }
}

std::filesystem::path Win32Platform::program_folder() {
  // The path may be longer than MAX_PATH; grow the buffer until it fits.
  std::wstring executable(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, executable.data(), static_cast<DWORD>(executable.size()));
    if (length == 0) {
      throw RunTimeFailure("impossibile trovare la cartella del programma: " + system_reason());
    }
    if (length < executable.size()) {
      executable.resize(length);
      return std::filesystem::path(executable).parent_path();
    }
    executable.resize(executable.size() * 2);
  }
}

void Win32Platform::end_process(int status) {
  // Open files are closed and the window goes with the process; the next run
  // waiting for the folder goes on.
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace scenario
