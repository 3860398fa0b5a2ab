#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace scenario {

// The folder the compile step reads its two source files from and deletes
// them in, behind the three operations it needs. The program compiles from
// the disk; the authoring tool, the tests and the fuzz target compile text
// held in memory, and see what the compile deleted.
//
// Names are plain file names (UTF-8), never paths.
class SourceFolder {
 public:
  virtual ~SourceFolder() = default;

  virtual bool exists(const std::string& name) = 0;

  // The whole file. A file that is missing or cannot be read is a run-time
  // failure naming it.
  virtual std::string read(const std::string& name) = 0;

  // Deletes the file; a file that is not there is no error. A file that
  // cannot be deleted is a run-time failure naming it.
  virtual void remove(const std::string& name) = 0;
};

// The files of a folder on disk.
class DiskFolder final : public SourceFolder {
 public:
  explicit DiskFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  bool exists(const std::string& name) override;
  std::string read(const std::string& name) override;
  void remove(const std::string& name) override;

 private:
  std::filesystem::path folder_;
};

// Files held in memory. Deleting one removes it from the folder and records
// its name, so a caller can tell what the compile deleted.
class MemoryFolder final : public SourceFolder {
 public:
  void put(const std::string& name, std::string bytes) { files_[name] = std::move(bytes); }

  bool exists(const std::string& name) override { return files_.contains(name); }
  std::string read(const std::string& name) override;
  void remove(const std::string& name) override;

  // The names still in the folder, in order, and those deleted, in the order
  // they were deleted.
  std::vector<std::string> names() const;
  const std::vector<std::string>& removed() const { return removed_; }

 private:
  std::map<std::string, std::string> files_;
  std::vector<std::string> removed_;
};

}  // namespace scenario
