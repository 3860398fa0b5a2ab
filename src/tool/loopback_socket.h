#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool {

// The one thing the viewer's server needs from the operating system: a TCP
// listener on the loopback address 127.0.0.1, never on another interface, and
// the connections it accepts. POSIX sockets on Linux, Winsock on Windows; a
// failure is a RunTimeFailure naming what failed.

class LoopbackConnection {
 public:
  explicit LoopbackConnection(std::intptr_t handle) : handle_(handle) {}
  ~LoopbackConnection();
  LoopbackConnection(const LoopbackConnection&) = delete;
  LoopbackConnection& operator=(const LoopbackConnection&) = delete;

  // The bytes that arrive up to the end of a request head (an empty line),
  // at most `limit` of them, waiting no longer than `timeout` in all; what
  // came when the peer closes or the time is up.
  std::string read_head(std::chrono::milliseconds timeout, std::size_t limit);
  // Sends every byte, or as many as the peer takes before it goes away or
  // `timeout` has passed in all; whether every byte went.
  bool write_all(std::string_view bytes, std::chrono::milliseconds timeout);

 private:
  std::intptr_t handle_;
};

class LoopbackListener {
 public:
  // Listens on 127.0.0.1 at `port`; 0 takes any free port.
  explicit LoopbackListener(uint16_t port);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  uint16_t port() const { return port_; }

  // The next client, waiting at most `timeout`; none when no client came or
  // the wait was interrupted by a signal.
  std::unique_ptr<LoopbackConnection> accept(std::chrono::milliseconds timeout);

 private:
  std::intptr_t handle_ = -1;
  uint16_t port_ = 0;
};

}  // namespace scenario::tool
