#include "support/memory_write_folder.h"

namespace scenario::testing {

std::map<std::string, std::string> MemoryWriteFolder::contents() const {
  std::map<std::string, std::string> contents;
  for (const auto& [name, bytes] : files_) contents[name] = *bytes;
  return contents;
}

StepFailure MemoryWriteFolder::step(const std::string& what) {
  const int number = steps_++;
  if (kill_at_ == number) throw Killed{};
  log_.push_back(what);
  if (fail_at_ == number) return "injected failure";
  return std::nullopt;
}

StepFailure MemoryWriteFolder::write_new(const std::string& name, std::string_view bytes) {
  if (auto failure = step("write " + name)) return failure;
  if (files_.contains(name)) return "File exists";
  put(name, std::string(bytes));
  return std::nullopt;
}

StepFailure MemoryWriteFolder::link(const std::string& name, const std::string& second) {
  if (auto failure = step("link " + name + " " + second)) return failure;
  if (!links_) return "Operation not permitted";
  if (!files_.contains(name)) return "No such file or directory";
  if (files_.contains(second)) return "File exists";
  files_[second] = files_[name];
  return std::nullopt;
}

StepFailure MemoryWriteFolder::rename(const std::string& from, const std::string& to) {
  if (auto failure = step("rename " + from + " " + to)) return failure;
  const auto file = files_.find(from);
  if (file == files_.end()) return "No such file or directory";
  const auto target = files_.find(to);
  if (target != files_.end() && target->second == file->second) return std::nullopt;  // one file: nothing happens
  files_[to] = file->second;
  files_.erase(from);
  return std::nullopt;
}

StepFailure MemoryWriteFolder::remove(const std::string& name) {
  if (auto failure = step("remove " + name)) return failure;
  files_.erase(name);
  return std::nullopt;
}

StepFailure MemoryWriteFolder::sync() { return step("sync"); }

std::optional<std::string> MemoryWriteFolder::read(const std::string& name) {
  const auto file = files_.find(name);
  if (file == files_.end()) return std::nullopt;
  return *file->second;
}

std::vector<std::string> MemoryWriteFolder::names() {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files_) names.push_back(name);
  return names;
}

}  // namespace scenario::testing
