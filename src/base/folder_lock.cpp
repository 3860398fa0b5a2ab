#include "base/folder_lock.h"

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>
#include <vector>

#include "base/file_names.h"
#include "base/system_reason.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace scenario {

namespace fs = std::filesystem;

FolderLockFailure::FolderLockFailure(const fs::path& folder, const std::string& reason)
    : RunTimeFailure("cannot hold the folder " + utf8_of_path(folder) + ": " + reason),
      folder_(folder),
      reason_(reason) {}

namespace {

constexpr auto kPause = std::chrono::milliseconds(50);

#ifdef _WIN32

// Every lock held by this process: the system closes the handles, and so
// deletes the lock files, when the process ends however it ends.
std::vector<HANDLE>& held() {
  static std::vector<HANDLE> handles;
  return handles;
}

#else

struct HeldFolder {
  dev_t device;
  ino_t inode;
};

// The lock files this process made, removed when it ends normally; a killed
// process leaves its lock file, which the next run recognises as stale.
struct LockFiles {
  std::vector<std::pair<fs::path, std::string> > files;  // path and owner text
  ~LockFiles() {
    for (const auto& [path, owner] : files) {
      std::ifstream in(path, std::ios::binary);
      const std::string now{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (now == owner) ::unlink(path.c_str());
    }
  }
};

std::vector<HeldFolder>& held_folders() {
  static std::vector<HeldFolder> folders;
  return folders;
}

LockFiles& lock_files() {
  static LockFiles files;
  return files;
}

std::string first_line_of(const char* file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

// The start of process `pid` since the machine started (field 22 of its
// stat), which tells a process from a later one given the same number.
std::string start_of(long pid) {
  const std::string stat = first_line_of(("/proc/" + std::to_string(pid) + "/stat").c_str());
  const std::size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return "";
  std::size_t at = name_end + 2;
  for (int field = 3; field < 22 && at != std::string::npos; ++field) {
    at = stat.find(' ', at);
    if (at != std::string::npos) ++at;
  }
  if (at == std::string::npos) return "";
  return stat.substr(at, stat.find(' ', at) - at);
}

std::string host_name() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

// The owner text of a lock file: machine, start of the machine, process and
// the process's start, one a line.
std::string own_owner_text() {
  const long pid = static_cast<long>(::getpid());
  return "host " + host_name() + "\nboot " + first_line_of("/proc/sys/kernel/random/boot_id") + "\npid " +
         std::to_string(pid) + "\nstart " + start_of(pid) + "\n";
}

std::string field_of(const std::string& owner, const std::string& key) {
  const std::string prefix = key + " ";
  for (std::size_t at = 0; at < owner.size();) {
    std::size_t end = owner.find('\n', at);
    if (end == std::string::npos) end = owner.size();
    if (owner.compare(at, prefix.size(), prefix) == 0)
      return owner.substr(at + prefix.size(), end - at - prefix.size());
    at = end + 1;
  }
  return "";
}

enum class Owner { running, gone, elsewhere };

Owner owner_of(const std::string& owner) {
  if (field_of(owner, "host") != host_name()) return Owner::elsewhere;
  if (field_of(owner, "boot") != first_line_of("/proc/sys/kernel/random/boot_id")) return Owner::gone;
  const std::string pid_text = field_of(owner, "pid");
  if (pid_text.empty() || pid_text.size() > 9 || pid_text.find_first_not_of("0123456789") != std::string::npos) {
    return Owner::gone;
  }
  const long pid = std::stol(pid_text);
  if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) return Owner::gone;
  return start_of(pid) == field_of(owner, "start") ? Owner::running : Owner::gone;
}

std::string read_all(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool same_folder(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool already_held(const struct stat& folder) {
  for (const HeldFolder& h : held_folders()) {
    if (h.device == folder.st_dev && h.inode == folder.st_ino) return true;
  }
  return false;
}

#endif

}  // namespace

#ifdef _WIN32

void hold_folder_lock(const fs::path& folder) {
  // A lock file that no other process may open while this one holds it, and
  // that the system deletes when the process ends: it works on every file
  // system Windows shares, and follows the path by its nature.
  const fs::path lock = folder / kLockFileName;
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    HANDLE handle = CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      held().push_back(handle);
      return;
    }
    const DWORD error = GetLastError();
    // A lock file another run is letting go of refuses access for a moment;
    // a folder that cannot be written refuses it for good.
    const bool letting_go =
        error == ERROR_ACCESS_DENIED && std::chrono::steady_clock::now() - started < std::chrono::seconds(5);
    if (error != ERROR_SHARING_VIOLATION && !letting_go) throw FolderLockFailure(folder, windows_reason(error));
    std::this_thread::sleep_for(kPause);
  }
}

#else

namespace {

// The lock file beside the outputs, for a folder whose file system has no
// locks of its own.
void hold_with_lock_file(const fs::path& folder) {
  const fs::path lock = folder / kLockFileName;
  const std::string owner = own_owner_text();
  const auto waited_since = std::chrono::steady_clock::now();
  for (;;) {
    const int file = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file >= 0) {
      const bool written =
          ::write(file, owner.data(), owner.size()) == static_cast<ssize_t>(owner.size()) && ::fsync(file) == 0;
      ::close(file);
      if (!written) {
        ::unlink(lock.c_str());
        throw FolderLockFailure(folder, "the lock file " + utf8_of_path(lock) + " cannot be written");
      }
      lock_files().files.emplace_back(lock, owner);
      return;
    }
    if (errno != EEXIST) throw FolderLockFailure(folder, errno_reason(errno));

    const std::string found = read_all(lock);
    std::error_code error;
    const auto age = fs::file_time_type::clock::now() - fs::last_write_time(lock, error);
    // An empty owner is a lock file being written, or one its owner was
    // killed while writing: stale once it is a few seconds old.
    const bool stale = found.empty() ? (!error && age > std::chrono::seconds(5)) : owner_of(found) == Owner::gone;
    if (stale) {
      if (read_all(lock) == found) ::unlink(lock.c_str());
      continue;
    }
    if (!found.empty() && owner_of(found) == Owner::elsewhere &&
        std::chrono::steady_clock::now() - waited_since > std::chrono::minutes(2)) {
      throw FolderLockFailure(folder, "held by a run on the machine " + field_of(found, "host") + " (process " +
                                          field_of(found, "pid") + "); remove " + utf8_of_path(lock) +
                                          " if no run is going on there");
    }
    std::this_thread::sleep_for(kPause);
  }
}

}  // namespace

void hold_folder_lock_file(const fs::path& folder) { hold_with_lock_file(folder); }

void hold_folder_lock(const fs::path& folder) {
  for (;;) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) throw FolderLockFailure(folder, errno_reason(errno));
    struct stat locked {};
    if (::fstat(descriptor, &locked) != 0) {
      const int error = errno;
      ::close(descriptor);
      throw FolderLockFailure(folder, errno_reason(error));
    }
    if (already_held(locked)) {
      ::close(descriptor);
      return;
    }
    int result = 0;
    while ((result = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
      const int error = errno;
      ::close(descriptor);
      if (error == ENOLCK || error == EINVAL || error == EOPNOTSUPP || error == ENOSYS) {
        hold_with_lock_file(folder);
        held_folders().push_back({locked.st_dev, locked.st_ino});
        return;
      }
      throw FolderLockFailure(folder, errno_reason(error));
    }
    // While this run waited, the folder may have been deleted and made again
    // under its path: the lock then holds a folder nobody writes, and the
    // one the path names now is held in its turn. The descriptor stays open,
    // and the lock held, until the process ends.
    struct stat now {};
    if (::stat(folder.c_str(), &now) == 0 && same_folder(now, locked)) {
      held_folders().push_back({locked.st_dev, locked.st_ino});
      return;
    }
    ::close(descriptor);
  }
}

#endif

}  // namespace scenario
