#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace scenario::tool {

// A response of the viewer's server.
struct HttpResponse {
  int status = 200;
  std::string type;  // Content-Type
  std::string body;
};

// The answer to one request head for the page of `data` (whose "version"
// counts the builds): "/" the page, "/data" the data, "/version" the
// version. Only GET, and only with a Host of 127.0.0.1 or localhost at
// `port`, so that no other site's page can read the scenario through a
// borrowed name.
HttpResponse answer(const std::string& head, const nlohmann::json& data, uint16_t port);

// The whole response as sent, closing the connection after it.
std::string response_bytes(const HttpResponse& response);

// The page to show when a build does not compile: the last one that did,
// `good` (build `good_version`), with the diagnostics of the one that failed
// (build `version`) and "stale" saying so.
nlohmann::json kept_build(const nlohmann::json& good, const nlohmann::json& failed, int good_version, int version);

// Serves the page on 127.0.0.1 at `port` (0: any free port) until Ctrl-C
// (SIGINT or SIGTERM): `build` makes the page's data, again whenever one of
// `watched` changes; an open page asks for the version every second and
// takes the new data, keeping its view. A build that does not compile (its
// "build" says it is not complete) or throws leaves the last one that did on
// the page, with the new diagnostics (kept_build). Connections are answered
// concurrently, each within time limits. After each build `built` is told
// the data (to write a file, say); `log` hears what happens.
int serve_and_watch(uint16_t port, const std::vector<std::filesystem::path>& watched,
                    const std::function<nlohmann::json()>& build,
                    const std::function<void(const nlohmann::json&)>& built, std::ostream& log);

}  // namespace scenario::tool
