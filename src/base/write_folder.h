#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Why a step on a folder failed, in the system's words; none when it worked.
using StepFailure = std::optional<std::string>;

// The folder a build writes its files in, behind the few steps that replacing
// a file or a set of files takes: a new file written and flushed, a second
// link, a rename, a removal, and the flush of the folder's own entries. The
// programs write to the disk; tests put a recording or failing folder in its
// place and look at what it holds after each step.
//
// Names are plain file names (UTF-8) inside the folder, never paths.
class WriteFolder {
 public:
  virtual ~WriteFolder() = default;

  // The path that names `name` in messages.
  virtual std::filesystem::path path_of(const std::string& name) const = 0;

  // Creates `name`, which does not exist yet, with `bytes` in one write and
  // flushes it to storage before returning. A failure leaves no file.
  virtual StepFailure write_new(const std::string& name, std::string_view bytes) = 0;

  // Gives the file `name` the second name `second` (a hard link). Fails where
  // the file system has no such links.
  virtual StepFailure link(const std::string& name, const std::string& second) = 0;

  // Renames `from` over `to` in one step; an existing `to` is replaced. When
  // both are names of one file, nothing happens.
  virtual StepFailure rename(const std::string& from, const std::string& to) = 0;

  // Removes `name`; a name that is not there is no failure.
  virtual StepFailure remove(const std::string& name) = 0;

  // Flushes the folder's entries (names made, renamed, removed) to storage.
  virtual StepFailure sync() = 0;

  // Whether `name` is a file (or a symbolic link, which is never followed);
  // false for a directory or nothing.
  virtual bool is_file(const std::string& name) = 0;

  // The whole content of `name`, or none when it cannot be read.
  virtual std::optional<std::string> read(const std::string& name) = 0;

  // Every name in the folder.
  virtual std::vector<std::string> names() = 0;
};

// A folder on disk.
class DiskWriteFolder final : public WriteFolder {
 public:
  explicit DiskWriteFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  std::filesystem::path path_of(const std::string& name) const override;
  StepFailure write_new(const std::string& name, std::string_view bytes) override;
  StepFailure link(const std::string& name, const std::string& second) override;
  StepFailure rename(const std::string& from, const std::string& to) override;
  StepFailure remove(const std::string& name) override;
  StepFailure sync() override;
  bool is_file(const std::string& name) override;
  std::optional<std::string> read(const std::string& name) override;
  std::vector<std::string> names() override;

 private:
  std::filesystem::path folder_;
};

}  // namespace scenario
