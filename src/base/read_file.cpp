#include "base/read_file.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "base/run_time_failure.h"

namespace scenario {

std::string read_file(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    const bool exists = std::filesystem::exists(file, error);
    throw RunTimeFailure("cannot read " + file.string() + ": " + (exists ? "not a regular file" : "no such file"));
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw RunTimeFailure("cannot open " + file.string());
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw RunTimeFailure("cannot read " + file.string());
  return bytes;
}

}  // namespace scenario
