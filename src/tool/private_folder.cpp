#include "tool/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "base/run_time_failure.h"

namespace scenario::tool {

PrivateFolder::PrivateFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "scenario_tool-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw RunTimeFailure("cannot create a temporary folder in " + std::filesystem::temp_directory_path().string() +
                         ": " + std::strerror(errno));
  }
  path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace scenario::tool
