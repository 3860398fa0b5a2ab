#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scenario_version.h"

namespace scenario::tool {

// Exit statuses of scenario_tool.
inline constexpr int kExitClean = 0;
inline constexpr int kExitCodeSet = 1;  // a compile or finishing code was set; a dump found a bad layout
inline constexpr int kExitNoFiles = 2;  // error 1250/1251, or a run-time failure: nothing written
inline constexpr int kExitUsage = 64;   // the command line itself is wrong

inline constexpr std::string_view kToolName = "scenario_tool";
inline constexpr std::string_view kToolVersion = SCENARIO_VERSION;  // the project's version

// A command line that cannot be carried out as given. Ends the command with
// status 64 after the message and the command's usage line.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

// The arguments of one command, split into options and positional operands.
// Options take their value as the next argument or after "=" ("--line-name
// X", "--line-name=X"); "--" ends the options.
class Arguments {
 public:
  // `flags` take no value, `valued` take one; anything else that starts with
  // "-" is a usage error, as is a flag given a value or a valued option given
  // none.
  Arguments(const std::vector<std::string>& args, const std::vector<std::string_view>& flags,
            const std::vector<std::string_view>& valued);

  bool has(std::string_view flag) const;
  std::optional<std::string> value(std::string_view option) const;  // the last one given
  std::vector<std::string> values(std::string_view option) const;   // every one, in order
  const std::vector<std::string>& operands() const { return operands_; }

  // The operands must number from `least` to `most`.
  void expect_operands(std::size_t least, std::size_t most) const;

 private:
  std::vector<std::string> flags_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> operands_;
};

// The compiled and source files are named from a line name and a train
// number inside a folder: neither may be empty or lead out of it. A usage
// error naming `what` otherwise.
void check_name(const std::string& name, const char* what);

// An author's edited sources are not to be lost to a second run: whether
// any of `files` exists (each said on standard error) and --force was not
// given, so that nothing may be written.
bool refuses_to_replace(const Arguments& arguments, const std::vector<std::filesystem::path>& files);

// Whether the arguments ask for help: "--help" or "-h" before any "--".
bool asks_for_help(const std::vector<std::string>& args);

}  // namespace scenario::tool
