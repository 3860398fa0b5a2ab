// The loopback listener on Winsock (Windows).
#if defined(_WIN32)

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <string>

#include "base/run_time_failure.h"
#include "tool/loopback_socket.h"

namespace scenario::tool {

namespace {

SOCKET socket_of(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

[[noreturn]] void fail(const std::string& what) {
  throw RunTimeFailure("cannot " + what + " on 127.0.0.1: Winsock error " + std::to_string(WSAGetLastError()));
}

bool readable(SOCKET s, long ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  return ::select(0, &set, nullptr, nullptr, &wait) > 0;
}

// Winsock is started once, for as long as the tool runs.
void start_winsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) fail("start Winsock");
}

}  // namespace

LoopbackConnection::~LoopbackConnection() { ::closesocket(socket_of(handle_)); }

std::string LoopbackConnection::read_head(std::chrono::milliseconds timeout, std::size_t limit) {
  std::string head;
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (head.size() < limit && head.find("\r\n\r\n") == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !readable(socket_of(handle_), static_cast<long>(left.count()))) break;
    char buffer[2048];
    const int got = ::recv(socket_of(handle_), buffer, sizeof buffer, 0);
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
    // A send waits no longer than the time left.
    const DWORD wait = static_cast<DWORD>(left.count());
    ::setsockopt(socket_of(handle_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
    const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16));
    const int sent = ::send(socket_of(handle_), bytes.data(), chunk, 0);
    if (sent <= 0) return false;  // the page went away, or the time is up
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

LoopbackListener::LoopbackListener(uint16_t port) {
  start_winsock();
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) fail("open a socket");
  handle_ = static_cast<std::intptr_t>(s);
  // Only this program may take the port while it listens.
  BOOL exclusive = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    fail("listen at port " + std::to_string(port));
  }
  if (::listen(s, 16) != 0) {
    ::closesocket(s);
    fail("listen");
  }
  int size = sizeof address;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() { ::closesocket(socket_of(handle_)); }

std::unique_ptr<LoopbackConnection> LoopbackListener::accept(std::chrono::milliseconds timeout) {
  if (!readable(socket_of(handle_), static_cast<long>(timeout.count()))) return nullptr;
  const SOCKET client = ::accept(socket_of(handle_), nullptr, nullptr);
  if (client == INVALID_SOCKET) return nullptr;
  return std::make_unique<LoopbackConnection>(static_cast<std::intptr_t>(client));
}

}  // namespace scenario::tool

#endif
