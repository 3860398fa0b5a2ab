#include "base/system_reason.h"

#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "base/wide_text.h"
#endif

namespace scenario {

std::string errno_reason(int error) { return std::strerror(error); }

#ifdef _WIN32
std::string windows_reason(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length == 0 ? L"" : std::wstring(text, length);
  if (text != nullptr) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) wide.pop_back();
  if (wide.empty()) return "error " + std::to_string(error);
  return utf8_of_wide(wide);
}
#endif

}  // namespace scenario
