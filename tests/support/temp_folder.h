#pragma once

#include <filesystem>
#include <string>

namespace scenario::testing {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Whole-file helpers for assertions.
std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::string& bytes);

}  // namespace scenario::testing
