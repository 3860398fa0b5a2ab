// The loopback listener on POSIX sockets (Linux).
#if !defined(_WIN32)

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/run_time_failure.h"
#include "tool/loopback_socket.h"

namespace scenario::tool {

namespace {

int fd_of(std::intptr_t handle) { return static_cast<int>(handle); }

[[noreturn]] void fail(const std::string& what) {
  throw RunTimeFailure("cannot " + what + " on 127.0.0.1: " + std::strerror(errno));
}

// Whether `fd` becomes readable within `ms` milliseconds.
bool readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0;
}

}  // namespace

LoopbackConnection::~LoopbackConnection() { ::close(fd_of(handle_)); }

std::string LoopbackConnection::read_head(std::chrono::milliseconds timeout, std::size_t limit) {
  std::string head;
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (head.size() < limit && head.find("\r\n\r\n") == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readable(fd_of(handle_), static_cast<int>(left.count()))) break;
    char buffer[2048];
    const ssize_t got = ::recv(fd_of(handle_), buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<std::size_t>(got));
  }
  return head;
}

bool LoopbackConnection::write_all(std::string_view bytes, std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!bytes.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd_of(handle_), POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    // Never more than the socket takes at once: a slow peer cannot hold the
    // sender past its time.
    const ssize_t sent = ::send(fd_of(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (sent <= 0) return false;  // the page went away
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

LoopbackListener::LoopbackListener(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) fail("open a socket");
  handle_ = fd;
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    fail("listen at port " + std::to_string(port));
  }
  if (::listen(fd, 16) != 0) {
    ::close(fd);
    fail("listen");
  }
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() { ::close(fd_of(handle_)); }

std::unique_ptr<LoopbackConnection> LoopbackListener::accept(std::chrono::milliseconds timeout) {
  if (!readable(fd_of(handle_), static_cast<int>(timeout.count()))) return nullptr;
  const int client = ::accept(fd_of(handle_), nullptr, nullptr);
  if (client < 0) return nullptr;
  ::fcntl(client, F_SETFD, FD_CLOEXEC);
  return std::make_unique<LoopbackConnection>(client);
}

}  // namespace scenario::tool

#endif
