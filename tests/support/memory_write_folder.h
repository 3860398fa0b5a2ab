#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/write_folder.h"

namespace scenario::testing {

// What a killed process leaves: thrown by MemoryWriteFolder at the step it
// was told to stop at, before that step happens.
struct Killed {};

// A folder held in memory that counts its steps (writes, links, renames,
// removals, flushes) and can fail one of them or stop the run at one, so
// that a test can try each step of a replacement in turn. Two names of one
// file share its bytes, as hard links do.
class MemoryWriteFolder final : public WriteFolder {
 public:
  void put(const std::string& name, std::string bytes) {
    files_[name] = std::make_shared<std::string>(std::move(bytes));
  }

  // The folder's names and their content.
  std::map<std::string, std::string> contents() const;

  void fail_at(int step) { fail_at_ = step; }
  void kill_at(int step) { kill_at_ = step; }
  void without_links() { links_ = false; }
  void reset_steps() {
    steps_ = 0;
    fail_at_.reset();
    kill_at_.reset();
  }
  int steps() const { return steps_; }
  // Each step as "write NAME", "rename FROM TO" and so on.
  const std::vector<std::string>& log() const { return log_; }

  std::filesystem::path path_of(const std::string& name) const override { return "/memory/" + name; }
  StepFailure write_new(const std::string& name, std::string_view bytes) override;
  StepFailure link(const std::string& name, const std::string& second) override;
  StepFailure rename(const std::string& from, const std::string& to) override;
  StepFailure remove(const std::string& name) override;
  StepFailure sync() override;
  bool is_file(const std::string& name) override { return files_.contains(name); }
  std::optional<std::string> read(const std::string& name) override;
  std::vector<std::string> names() override;

 private:
  // Counts a step; the failure to return when it is the one to fail.
  StepFailure step(const std::string& what);

  std::map<std::string, std::shared_ptr<std::string>> files_;
  int steps_ = 0;
  std::optional<int> fail_at_;
  std::optional<int> kill_at_;
  bool links_ = true;
  std::vector<std::string> log_;
};

}  // namespace scenario::testing
