#include "base/write_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "base/file_names.h"
#include "base/system_reason.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace scenario {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
StepFailure last_windows_failure() { return windows_reason(GetLastError()); }
#else
StepFailure errno_failure(int error) { return errno_reason(error != 0 ? error : EIO); }
#endif

}  // namespace

fs::path DiskWriteFolder::path_of(const std::string& name) const { return in_folder(folder_, name); }

StepFailure DiskWriteFolder::write_new(const std::string& name, std::string_view bytes) {
  const fs::path path = path_of(name);
#ifdef _WIN32
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return last_windows_failure();
  StepFailure failure;
  std::size_t at = 0;
  while (!failure && at < bytes.size()) {
    const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + at, part, &written, nullptr) || written == 0) {
      failure = last_windows_failure();
    }
    at += written;
  }
  if (!failure && !FlushFileBuffers(file)) failure = last_windows_failure();
  if (!CloseHandle(file) && !failure) failure = last_windows_failure();
#else
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file < 0) return errno_failure(errno);
  StepFailure failure;
  std::size_t at = 0;
  // One write takes the whole content; the loop only goes on after a write
  // the system cut short.
  while (!failure && at < bytes.size()) {
    const ssize_t written = ::write(file, bytes.data() + at, bytes.size() - at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failure = errno_failure(written < 0 ? errno : ENOSPC);
    } else {
      at += static_cast<std::size_t>(written);
    }
  }
  if (!failure && ::fsync(file) != 0) failure = errno_failure(errno);
  if (::close(file) != 0 && !failure) failure = errno_failure(errno);
#endif
  if (failure) {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  return failure;
}

StepFailure DiskWriteFolder::link(const std::string& name, const std::string& second) {
  std::error_code error;
  fs::create_hard_link(path_of(name), path_of(second), error);
  if (error) return error.message();
  return std::nullopt;
}

StepFailure DiskWriteFolder::rename(const std::string& from, const std::string& to) {
#ifdef _WIN32
  if (!MoveFileExW(path_of(from).c_str(), path_of(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return last_windows_failure();
  }
#else
  if (std::rename(path_of(from).c_str(), path_of(to).c_str()) != 0) return errno_failure(errno);
#endif
  return std::nullopt;
}

StepFailure DiskWriteFolder::remove(const std::string& name) {
  // Only a file of the folder is ever removed, never the folder itself.
  if (name.empty() || name == "." || name == "..") return "not a file name";
  std::error_code error;
  fs::remove(path_of(name), error);
  if (error) return error.message();
  return std::nullopt;
}

StepFailure DiskWriteFolder::sync() {
#ifdef _WIN32
  // Renames are written through (MOVEFILE_WRITE_THROUGH): the folder has no
  // flush of its own.
  return std::nullopt;
#else
  const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return errno_failure(errno);
  StepFailure failure;
  // Some file systems cannot flush a folder (EINVAL): their entries are then
  // as safe as they can be made.
  if (::fsync(folder) != 0 && errno != EINVAL && errno != EROFS) failure = errno_failure(errno);
  ::close(folder);
  return failure;
#endif
}

bool DiskWriteFolder::is_file(const std::string& name) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path_of(name), error);
  return !error && (fs::is_regular_file(status) || fs::is_symlink(status));
}

std::optional<std::string> DiskWriteFolder::read(const std::string& name) {
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path_of(name), error))) return std::nullopt;
  std::ifstream in(path_of(name), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::vector<std::string> DiskWriteFolder::names() {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(folder_, error), end; !error && entry != end; entry.increment(error)) {
    names.push_back(utf8_of_path(entry->path().filename()));
  }
  return names;
}

}  // namespace scenario
