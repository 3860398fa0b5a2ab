#include "base/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "base/run_time_failure.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace scenario {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const fs::path& target, const std::string& reason) {
  throw RunTimeFailure("cannot write " + target.string() + ": " + reason);
}

std::string errno_reason(int error) { return std::strerror(error); }

fs::path temporary_beside(const fs::path& target) {
  std::random_device random;
  const auto tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
  return target.parent_path() / ("." + target.filename().string() + "." + std::to_string(tag) + ".tmp");
}

std::FILE* open_for_writing(const fs::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

// Renames `from` over `target`, replacing an existing file in one step.
void rename_over(const fs::path& from, const fs::path& target) {
#ifdef _WIN32
  if (!MoveFileExW(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    fail(target, std::system_category().message(static_cast<int>(GetLastError())));
  }
#else
  if (std::rename(from.c_str(), target.c_str()) != 0) fail(target, errno_reason(errno));
#endif
}

}  // namespace

void replace_file(const fs::path& target, std::string_view bytes) {
  const fs::path temporary = temporary_beside(target);
  std::FILE* file = open_for_writing(temporary);
  if (file == nullptr) fail(target, errno_reason(errno));
  std::setvbuf(file, nullptr, _IONBF, 0);  // the content goes to the system in one write

  errno = 0;
  const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
  int write_error = written == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
  if (std::fflush(file) != 0 && write_error == 0) write_error = errno != 0 ? errno : EIO;
  if (std::fclose(file) != 0 && write_error == 0) write_error = errno != 0 ? errno : EIO;

  if (write_error != 0) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    fail(target, errno_reason(write_error));
  }
  try {
    rename_over(temporary, target);
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

}  // namespace scenario
