#include "base/replace_file.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/system_reason.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace scenario {

namespace fs = std::filesystem;

FileWriteFailure::FileWriteFailure(const fs::path& file, const std::string& reason)
    : RunTimeFailure("cannot write " + utf8_of_path(file) + ": " + reason), file_(file), reason_(reason) {}

namespace {

// A name beside `target` that no other file has: "." NAME "." TAG `ending`.
fs::path name_beside(const fs::path& target, const char* ending) {
  static std::random_device random;
  const auto tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
  fs::path name = ".";
  name += target.filename();
  name += "." + std::to_string(tag) + ending;
  return target.parent_path() / name;
}

std::FILE* open_for_writing(const fs::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

// Renames `from` over `to`, replacing an existing file in one step. The
// system's reason when it fails.
std::optional<std::string> rename_over(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return windows_reason(GetLastError());
  }
#else
  if (std::rename(from.c_str(), to.c_str()) != 0) return errno_reason(errno);
#endif
  return std::nullopt;
}

void remove_quietly(const fs::path& file) {
  std::error_code ignored;
  fs::remove(file, ignored);
}

// Writes `bytes` to a new temporary beside `target` with one write and returns
// its name; on failure removes it and throws.
fs::path write_temporary(const fs::path& target, std::string_view bytes) {
  const fs::path temporary = name_beside(target, ".tmp");
  std::FILE* file = open_for_writing(temporary);
  if (file == nullptr) throw FileWriteFailure(target, errno_reason(errno));
  std::setvbuf(file, nullptr, _IONBF, 0);  // the content goes to the system in one write

  errno = 0;
  const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
  int write_error = written == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
  if (std::fflush(file) != 0 && write_error == 0) write_error = errno != 0 ? errno : EIO;
  if (std::fclose(file) != 0 && write_error == 0) write_error = errno != 0 ? errno : EIO;

  if (write_error != 0) {
    remove_quietly(temporary);
    throw FileWriteFailure(target, errno_reason(write_error));
  }
  return temporary;
}

// A target replaced by its temporary, and how to put it back: its earlier
// file kept aside, or none when there was no earlier file.
struct Replaced {
  fs::path target;
  std::optional<fs::path> kept;
};

// Keeps the earlier file at `target`, if any, under a second name until the
// set is in place: a second link to it where the file system has them (the
// target then never goes missing), otherwise the file itself moved aside.
// Nothing is kept for a target that is not a file: its rename fails anyway.
std::optional<fs::path> keep_aside(const fs::path& target) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(target, error);
  if (error || !(fs::is_regular_file(status) || fs::is_symlink(status))) return std::nullopt;
  const fs::path kept = name_beside(target, ".old");
  fs::create_hard_link(target, kept, error);
  if (!error) return kept;
  if (const auto reason = rename_over(target, kept)) throw FileWriteFailure(target, *reason);
  return kept;
}

// Puts back what the renames in `done` replaced, the last first: each kept
// file is renamed over its target again (a second link then goes away with
// the rename), a target that had no earlier file is removed. Should a rename
// fail too, the earlier file stays under its kept name rather than be lost.
void put_back(const std::vector<Replaced>& done) {
  for (auto r = done.rbegin(); r != done.rend(); ++r) {
    if (r->kept) {
      rename_over(*r->kept, r->target);
    } else {
      remove_quietly(r->target);
    }
  }
}

// After a failed rename of `target`: the earlier file is still there, and a
// second link kept to it goes; a file moved aside (no second link) goes back
// to its name.
void let_go_of_kept(const fs::path& target, const fs::path& kept) {
  std::error_code error;
  if (fs::equivalent(target, kept, error)) {
    remove_quietly(kept);
  } else {
    rename_over(kept, target);
  }
}

}  // namespace

void replace_file(const fs::path& target, std::string_view bytes) {
  const NewFile file{target, bytes};
  replace_files({&file, 1});
}

void replace_files(std::span<const NewFile> files) {
  std::vector<fs::path> temporaries;
  try {
    for (const NewFile& file : files) temporaries.push_back(write_temporary(file.target, file.bytes));
  } catch (...) {
    for (const fs::path& temporary : temporaries) remove_quietly(temporary);
    throw;
  }

  std::vector<Replaced> done;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const fs::path& target = files[i].target;
    std::optional<std::string> reason;
    std::optional<fs::path> kept;
    try {
      // The last rename needs nothing kept: after it nothing can fail.
      if (i + 1 < files.size()) kept = keep_aside(target);
      reason = rename_over(temporaries[i], target);
    } catch (const FileWriteFailure& failure) {
      reason = failure.reason();
    }
    if (reason) {
      if (kept) let_go_of_kept(target, *kept);
      put_back(done);
      for (std::size_t t = i; t < temporaries.size(); ++t) remove_quietly(temporaries[t]);
      throw FileWriteFailure(target, *reason);
    }
    done.push_back({target, kept});
  }
  for (const Replaced& r : done) {
    if (r.kept) remove_quietly(*r.kept);
  }
}

}  // namespace scenario
