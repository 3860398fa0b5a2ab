#pragma once

#include <filesystem>
#include <string>

#include "base/run_time_failure.h"

namespace scenario {

// A folder that cannot be held: the folder, and why.
class FolderLockFailure : public RunTimeFailure {
 public:
  FolderLockFailure(const std::filesystem::path& folder, const std::string& reason);

  const std::filesystem::path& folder() const { return folder_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path folder_;
  std::string reason_;
};

// The name of the lock file, beside the outputs, where the system's own lock
// on the folder is not to be had.
inline constexpr const char* kLockFileName = ".scenario_builder.lock";

// Holds `folder` for the rest of the process, first waiting for any other run
// or tool command that holds it: two of them writing one folder at once would
// write and delete the same files under each other.
//
// The lock is the system's lock on the folder itself, which goes with the
// process however it ends. Where the file system has no such locks (some
// network and user-space file systems), a lock file is created exclusively
// beside the outputs, naming its owner (machine, process and the process's
// start); one whose owner on this machine is no longer running is stale and
// taken over, one of another machine is waited for. The lock holds the path
// given: a folder deleted and made again under that path while a run waits is
// held anew. When no lock can be had the folder is refused, never written
// unguarded (FolderLockFailure).
//
// Holding a folder twice in one process is no error.
void hold_folder_lock(const std::filesystem::path& folder);

#ifndef _WIN32
// The lock file alone, as where the system's lock is not to be had.
void hold_folder_lock_file(const std::filesystem::path& folder);
#endif

}  // namespace scenario
