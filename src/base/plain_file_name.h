#pragma once

#include <string_view>

namespace scenario {

// Whether `name` names a file inside a folder and nothing else: not empty,
// not "." or "..", without a separator ("/" or "\"), a drive or stream mark
// (":") or a control character. A name read from a file (a line name, a train
// number) makes a file name only when it passes, so that no file can make a
// reader open a file outside the folder it was given.
inline bool is_plain_file_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

}  // namespace scenario
