#include "base/source_folder.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "base/file_names.h"
#include "base/run_time_failure.h"

namespace scenario {

bool DiskFolder::exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(in_folder(folder_, name), error);
}

std::string DiskFolder::read(const std::string& name) {
  std::ifstream in(in_folder(folder_, name), std::ios::binary);
  if (!in) throw RunTimeFailure("cannot open " + name);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw RunTimeFailure("cannot read " + name);
  return bytes;
}

void DiskFolder::remove(const std::string& name) {
  std::error_code error;
  std::filesystem::remove(in_folder(folder_, name), error);
  if (error) throw RunTimeFailure("cannot delete " + name + ": " + error.message());
}

std::string MemoryFolder::read(const std::string& name) {
  const auto file = files_.find(name);
  if (file == files_.end()) throw RunTimeFailure("cannot open " + name);
  return file->second;
}

void MemoryFolder::remove(const std::string& name) {
  if (files_.erase(name) != 0) removed_.push_back(name);
}

std::vector<std::string> MemoryFolder::names() const {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files_) names.push_back(name);
  return names;
}

}  // namespace scenario
