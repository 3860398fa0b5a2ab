#include "platform/win32_platform.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "base/run_time_failure.h"

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

}  // namespace

Win32Platform::Win32Platform() { SetProcessDPIAware(); }

void Win32Platform::show_waiting_window() { window_.show(); }

void Win32Platform::show_message(const std::string& text) {
  MessageBoxW(window_.handle(), to_wide(text).c_str(), kProgramTitle, MB_OK);
}

void Win32Platform::show_failure(const std::string& text) {
  MessageBoxW(window_.handle(), to_wide(text).c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
}

std::filesystem::path Win32Platform::program_folder() {
  // The path may be longer than MAX_PATH; grow the buffer until it fits.
  std::wstring executable(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, executable.data(), static_cast<DWORD>(executable.size()));
    if (length == 0) {
      const auto error = static_cast<int>(GetLastError());
      throw RunTimeFailure("cannot find the program's folder: " + std::system_category().message(error));
    }
    if (length < executable.size()) {
      executable.resize(length);
      return std::filesystem::path(executable).parent_path();
    }
    executable.resize(executable.size() * 2);
  }
}

void Win32Platform::end_process(int status) {
  // Open files are closed and the window goes with the process.
  std::fflush(nullptr);
  std::exit(status);
}

}  // namespace scenario
