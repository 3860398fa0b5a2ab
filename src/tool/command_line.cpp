#include "tool/command_line.h"

#include <algorithm>
#include <iostream>

#include "base/file_names.h"

namespace scenario::tool {

namespace {

bool listed(const std::vector<std::string_view>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string_view>& flags,
                     const std::vector<std::string_view>& valued) {
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      operands_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (listed(flags, name)) {
      if (equals != std::string::npos) throw UsageError("option " + name + " takes no value");
      flags_.push_back(name);
    } else if (listed(valued, name)) {
      if (equals != std::string::npos) {
        values_.emplace_back(name, arg.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        values_.emplace_back(name, args[++i]);
      } else {
        throw UsageError("option " + name + " needs a value");
      }
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
}

bool Arguments::has(std::string_view flag) const {
  return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

std::optional<std::string> Arguments::value(std::string_view option) const {
  std::optional<std::string> found;
  for (const auto& [name, value] : values_) {
    if (name == option) found = value;  // the last one given counts
  }
  return found;
}

std::vector<std::string> Arguments::values(std::string_view option) const {
  std::vector<std::string> found;
  for (const auto& [name, value] : values_) {
    if (name == option) found.push_back(value);
  }
  return found;
}

void Arguments::expect_operands(std::size_t least, std::size_t most) const {
  if (operands_.size() < least) throw UsageError("missing operand");
  if (operands_.size() > most) throw UsageError("unexpected operand " + operands_[most]);
}

void check_name(const std::string& name, const char* what) {
  if (name.empty()) throw UsageError(std::string(what) + " is empty");
  if (name == "." || name == "..") throw UsageError(std::string(what) + " \"" + name + "\" is not a file name");
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
      throw UsageError(std::string(what) + " \"" + name + "\" contains a path separator or a control character");
    }
  }
}

bool refuses_to_replace(const Arguments& arguments, const std::vector<std::filesystem::path>& files) {
  if (arguments.has("--force")) return false;
  bool exists = false;
  for (const std::filesystem::path& file : files) {
    if (std::filesystem::exists(std::filesystem::symlink_status(file))) {
      std::cerr << kToolName << ": " << utf8_of_path(file) << " exists; use --force to replace it\n";
      exists = true;
    }
  }
  return exists;
}

bool asks_for_help(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

}  // namespace scenario::tool
