#include "base/wide_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace scenario {

std::string utf8_of_wide(std::wstring_view text) {
  if (text.empty()) return {};
  const int wide_length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide_length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace scenario
#endif
