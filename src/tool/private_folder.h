#pragma once

#include <filesystem>

namespace scenario::tool {

// A new folder of the tool's own under the system's temporary folder, readable
// only by the user, removed with everything in it when the object goes away.
class PrivateFolder {
 public:
  PrivateFolder();
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace scenario::tool
