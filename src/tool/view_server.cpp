#include "tool/view_server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <exception>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

#include "base/file_names.h"
#include "tool/loopback_socket.h"
#include "tool/viewer_data.h"

namespace scenario::tool {

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t interrupted = 0;

// What the served responses may do: run the page's own inline script and
// style, ask its own server, and never stand in another site's frame.
constexpr std::string_view kServedPolicy =
    "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data: blob:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

extern "C" void on_interrupt(int) { interrupted = 1; }

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The value of header `name` in a request head, without blanks around it.
std::optional<std::string> header(const std::string& head, const std::string& name) {
  std::istringstream lines(head);
  std::string line;
  std::getline(lines, line);  // the request line
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || lower(line.substr(0, colon)) != name) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t") + 1);
    return value;
  }
  return std::nullopt;
}

const char* reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    default:
      return "Error";
  }
}

// What a file is now: missing, or its size and time of change.
struct Stamp {
  bool exists = false;
  std::uintmax_t size = 0;
  fs::file_time_type time{};
  bool operator==(const Stamp&) const = default;
};

Stamp stamp_of(const fs::path& file) {
  std::error_code error;
  Stamp s;
  s.time = fs::last_write_time(file, error);
  if (error) return {};
  s.size = fs::file_size(file, error);
  s.exists = !error;
  return s;
}

std::vector<Stamp> stamps_of(const std::vector<fs::path>& files) {
  std::vector<Stamp> stamps;
  for (const fs::path& f : files) stamps.push_back(stamp_of(f));
  return stamps;
}

}  // namespace

HttpResponse answer(const std::string& head, const nlohmann::json& data, uint16_t port) {
  std::istringstream request(head);
  std::string method, target, version;
  request >> method >> target >> version;
  if (method.empty() || target.empty() || !version.starts_with("HTTP/")) return {400, "text/plain", "bad request\n"};
  const std::string host = lower(header(head, "host").value_or(""));
  const std::string at = ":" + std::to_string(port);
  if (host != "127.0.0.1" + at && host != "localhost" + at) return {403, "text/plain", "only 127.0.0.1 is served\n"};
  if (method != "GET") return {405, "text/plain", "only GET\n"};
  const std::string path = target.substr(0, target.find('?'));
  if (path == "/" || path == "/index.html") return {200, "text/html; charset=utf-8", viewer_page(data)};
  if (path == "/data") return {200, "application/json", script_safe_json(data)};
  if (path == "/version") {
    const std::string server = data.value("server", std::string());
    return {200, "text/plain", std::to_string(data.value("version", 0)) + (server.empty() ? "" : " " + server) + "\n"};
  }
  return {404, "text/plain", "not found\n"};
}

std::string response_bytes(const HttpResponse& response) {
  return "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
         "\r\nContent-Type: " + response.type + "\r\nContent-Length: " + std::to_string(response.body.size()) +
         "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nContent-Security-Policy: " +
         std::string(kServedPolicy) +
         "\r\nX-Frame-Options: DENY\r\nReferrer-Policy: no-referrer\r\nConnection: close\r\n\r\n" + response.body;
}

nlohmann::json kept_build(const nlohmann::json& good, const nlohmann::json& failed, int good_version, int version) {
  nlohmann::json shown = good;
  const nlohmann::json& diagnostics = failed.contains("diagnostics") ? failed["diagnostics"] : nlohmann::json::array();
  int errors = 0;
  for (const nlohmann::json& d : diagnostics) {
    if (d.value("severity", std::string()) == "error") ++errors;
  }
  shown["diagnostics"] = diagnostics;
  // The new build's records place its diagnostics; the shown build's
  // objects are what is drawn.
  if (failed.contains("records")) shown["records"] = failed["records"];
  shown["stale"] = {{"shown", good_version}, {"version", version}, {"errors", errors}};
  return shown;
}

namespace {

// Each connection is answered on a thread of its own, so that a slow or
// silent client holds up no other: it has this long to send its request
// head, and the answer this long to go out.
constexpr auto kReadLimit = std::chrono::milliseconds(2000);
constexpr auto kSendLimit = std::chrono::milliseconds(10000);
constexpr std::size_t kHeadLimit = 16384;
// Connections beyond this many at once are closed unanswered.
constexpr int kMostConnections = 128;

bool complete_build(const nlohmann::json& data) {
  return !data.contains("build") || data["build"].value("complete", true);
}

}  // namespace

int serve_and_watch(uint16_t port, const std::vector<fs::path>& watched, const std::function<nlohmann::json()>& build,
                    const std::function<void(const nlohmann::json&)>& built, std::ostream& log) {
  interrupted = 0;
  std::signal(SIGINT, on_interrupt);
  std::signal(SIGTERM, on_interrupt);

  // Tells one run of the server from the next, so that an open page knows a
  // restarted server even when the build numbers meet.
  const std::string server = std::to_string(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
          .count());
  int version = 0;
  std::mutex mutex;
  std::shared_ptr<const nlohmann::json> served;  // what the threads answer from
  nlohmann::json good;                           // the last build that compiled
  int good_version = 0;
  const auto rebuild = [&]() {
    ++version;
    nlohmann::json data;
    try {
      data = build();
    } catch (const std::exception& failure) {
      if (good.is_null()) throw;  // nothing to show yet
      data["diagnostics"] = nlohmann::json::array({{{"file", watched.empty() ? "" : utf8_of_path(watched.front())},
                                                    {"line", 0},
                                                    {"column", 0},
                                                    {"severity", "error"},
                                                    {"code", "failure"},
                                                    {"message", failure.what()},
                                                    {"hint", "the page shows the last build that worked"}}});
      data["build"] = {{"complete", false}};
    }
    if (complete_build(data) || good.is_null()) {
      if (complete_build(data)) {
        good = data;
        good_version = version;
      }
    } else {
      data = kept_build(good, data, good_version, version);
    }
    data["version"] = version;
    data["server"] = server;
    {
      const std::lock_guard<std::mutex> lock(mutex);
      served = std::make_shared<const nlohmann::json>(data);
    }
    built(data);
  };
  std::vector<Stamp> stamps = stamps_of(watched);
  rebuild();

  LoopbackListener listener(port);
  const uint16_t listening = listener.port();
  log << "serving http://127.0.0.1:" << listening << "/ (Ctrl-C stops)" << std::endl;
  std::atomic<int> active{0};
  while (interrupted == 0) {
    if (auto connection = listener.accept(std::chrono::milliseconds(200))) {
      if (active.load() >= kMostConnections) continue;  // closed unanswered
      std::shared_ptr<const nlohmann::json> data;
      {
        const std::lock_guard<std::mutex> lock(mutex);
        data = served;
      }
      ++active;
      std::thread([&active, listening, data, client = std::shared_ptr<LoopbackConnection>(std::move(connection))]() {
        try {
          const std::string head = client->read_head(kReadLimit, kHeadLimit);
          // A connection that sent nothing in time (a browser's spare one,
          // opened ahead) is closed unanswered: the browser opens another.
          if (!head.empty()) client->write_all(response_bytes(answer(head, *data, listening)), kSendLimit);
        } catch (const std::exception&) {
          // A connection that fails is that client's loss alone.
        }
        --active;
      }).detach();
    }
    if (stamps_of(watched) != stamps) {
      // Let a save that comes in several writes finish: the files are built
      // once they have stood still for a moment (or after 2 s of writing).
      for (int waited = 0; waited < 20; ++waited) {
        stamps = stamps_of(watched);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (stamps_of(watched) == stamps) break;
      }
      stamps = stamps_of(watched);
      rebuild();
      log << "rebuilt (version " << version << ")" << std::endl;
    }
  }
  // The threads answering still end within their time limits.
  while (active.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  log << "stopped" << std::endl;
  return 0;
}

}  // namespace scenario::tool
