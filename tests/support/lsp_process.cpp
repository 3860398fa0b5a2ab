#include "support/lsp_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace scenario::testing {

namespace {

using Clock = std::chrono::steady_clock;

int ms_until(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

std::string framed(std::string_view content) {
  return "Content-Length: " + std::to_string(content.size()) + "\r\n\r\n" + std::string(content);
}

LspProcess::LspProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  // A server that ends while a message is on its way must not end this
  // process too.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  // Close-on-exec, so that no other child holds these ends open.
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int started = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  to_server_ = in[1];
  from_server_ = out[0];
  if (started != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + program.string());
  }
  // Writes never block: a long message goes out while the answers are read.
  fcntl(to_server_, F_SETFL, fcntl(to_server_, F_GETFL) | O_NONBLOCK);
}

LspProcess::~LspProcess() {
  close_input();
  if (from_server_ >= 0) close(from_server_);
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool LspProcess::write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (to_server_ < 0) return false;
    pollfd fds[2] = {{to_server_, POLLOUT, 0}, {from_server_, POLLIN, 0}};
    if (poll(fds, from_server_ >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) return false;
    if (fds[1].revents != 0) read_output(Clock::now());
    if (fds[0].revents & (POLLERR | POLLHUP)) return false;
    if (fds[0].revents & POLLOUT) {
      const ssize_t n = ::write(to_server_, bytes.data(), bytes.size());
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  return true;
}

bool LspProcess::send(const nlohmann::json& message) { return write(framed(message.dump())); }

void LspProcess::close_input() {
  if (to_server_ >= 0) close(to_server_);
  to_server_ = -1;
}

bool LspProcess::read_output(Clock::time_point deadline) {
  if (from_server_ < 0) return false;
  pollfd fd = {from_server_, POLLIN, 0};
  const int ready = poll(&fd, 1, ms_until(deadline));
  if (ready <= 0) return true;
  char chunk[65536];
  const ssize_t n = read(from_server_, chunk, sizeof chunk);
  if (n <= 0) {
    close(from_server_);
    from_server_ = -1;
    return false;
  }
  output_.append(chunk, static_cast<std::size_t>(n));
  return true;
}

std::optional<nlohmann::json> LspProcess::framed_message() {
  const std::size_t end = output_.find("\r\n\r\n");
  if (end == std::string::npos) return std::nullopt;
  const std::string header = output_.substr(0, end);
  const std::string name = "Content-Length: ";
  if (!header.starts_with(name)) throw std::runtime_error("the server sent a header without a length: " + header);
  const std::size_t length = std::stoul(header.substr(name.size()));
  if (output_.size() < end + 4 + length) return std::nullopt;
  nlohmann::json message = nlohmann::json::parse(output_.substr(end + 4, length));
  output_.erase(0, end + 4 + length);
  return message;
}

std::optional<nlohmann::json> LspProcess::next(std::chrono::milliseconds wait) {
  const Clock::time_point deadline = Clock::now() + wait;
  for (;;) {
    if (std::optional<nlohmann::json> message = framed_message()) return message;
    if (Clock::now() >= deadline || !read_output(deadline)) return std::nullopt;
  }
}

std::optional<int> LspProcess::exit_status(std::chrono::milliseconds wait) {
  const Clock::time_point deadline = Clock::now() + wait;
  while (!status_) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (Clock::now() >= deadline) break;
    // A server blocked on a full pipe would never end: keep reading it.
    if (!read_output(std::min(deadline, Clock::now() + std::chrono::milliseconds(5)))) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return status_;
}

}  // namespace scenario::testing
