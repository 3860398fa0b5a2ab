#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing {

// A language server started as a process of its own and spoken to through
// pipes, as an editor does: each message a Content-Length header, an empty
// line and the JSON. Its standard error is left to this process's.
class LspProcess {
 public:
  LspProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments);
  ~LspProcess();  // a server still running is killed
  LspProcess(const LspProcess&) = delete;
  LspProcess& operator=(const LspProcess&) = delete;

  // Bytes as they stand, or one message framed. False once the server no
  // longer reads (it ended). What the server writes meanwhile is kept.
  bool write(std::string_view bytes);
  bool send(const nlohmann::json& message);
  void close_input();

  // The next message the server sent; none when none came within `wait`, or
  // its output ended.
  std::optional<nlohmann::json> next(std::chrono::milliseconds wait);

  // The server's exit status once it ended within `wait`; none while it runs.
  std::optional<int> exit_status(std::chrono::milliseconds wait);

 private:
  std::optional<nlohmann::json> framed_message();
  // Reads what the server wrote, waiting at most until `deadline`; false
  // when its output has ended.
  bool read_output(std::chrono::steady_clock::time_point deadline);

  pid_t pid_ = -1;
  int to_server_ = -1;
  int from_server_ = -1;
  std::string output_;  // read and not yet taken as messages
  std::optional<int> status_;
};

// The Content-Length framing of one message.
std::string framed(std::string_view content);

}  // namespace scenario::testing
