#include "tool/lsp/server.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "base/file_names.h"
#include "base/windows1252.h"
#include "checker/checker.h"
#include "tool/command_line.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/features.h"
#include "tool/lsp/json_rpc.h"

namespace scenario::tool::lsp {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// JSON-RPC and protocol error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

// A check of a big file stops looking for more errors after this long.
constexpr double kCheckSeconds = 2.0;

// The most diagnostics sent for one file: more than an author reads, and a
// file of a million faulty lines would otherwise make a message of hundreds
// of megabytes.
constexpr std::size_t kMostDiagnostics = 1000;

// A line for a train source file checked without its own: long enough for
// anything a train can hold.
const std::string kStandInLine = "[generale]\r\nlunghezza percorso,    1000000\r\n[fine]\r\n";

class Server {
 public:
  Server(std::ostream& out, std::chrono::milliseconds debounce) : out_(out), debounce_(debounce) {}

  // False once the server is to end.
  bool handle(const Framed& framed);
  std::optional<Clock::time_point> next_check() const;
  void run_due_checks();
  int exit_status() const { return exit_status_; }

 private:
  void send(const Json& message) { write_message(out_, message.dump()); }
  void respond(const Json& id, Json result) { send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}}); }
  void fail(const Json& id, int code, const std::string& message) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
  }
  void notify(const std::string& method, Json params) {
    send({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
  }

  bool request(const std::string& method, const Json& id, const Json& params);
  void notification(const std::string& method, const Json& params);
  Json initialize_result() const;
  void opened_or_changed(const Json& params, bool wait);
  void schedule(const fs::path& file, bool wait);
  void check(const SourcePair& pair);
  void publish(const std::string& uri, const Diagnostics& diagnostics, std::string_view text);

  // The document a request names, with its path and kind; none for a file
  // that is no source.
  struct Named {
    const Document* document;
    SourceKind kind;
  };
  std::optional<Named> named(const Json& params) const;

  std::ostream& out_;
  const std::chrono::milliseconds debounce_;
  Documents documents_;
  std::map<fs::path, Clock::time_point> pending_;  // the file that asked, by when to check its pair
  std::map<std::string, Diagnostics> published_;   // by URI, for hover
  bool initialized_ = false;
  bool shut_down_ = false;
  int exit_status_ = 1;
};

std::optional<Server::Named> Server::named(const Json& params) const {
  const Document* document = documents_.find(params.at("textDocument").at("uri").get<std::string>());
  if (document == nullptr || !document->path) return std::nullopt;
  const std::optional<SourceKind> kind = source_kind(utf8_of_path(document->path->filename()));
  if (!kind) return std::nullopt;
  return Named{document, *kind};
}

Json Server::initialize_result() const {
  return {{"capabilities",
           {{"positionEncoding", "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"completionProvider", {{"triggerCharacters", Json::array({"["})}}},
            {"documentSymbolProvider", true},
            {"foldingRangeProvider", true}}},
          {"serverInfo", {{"name", std::string(kToolName)}, {"version", std::string(kToolVersion)}}}};
}

bool Server::handle(const Framed& framed) {
  if (framed.kind == Framed::Kind::end_of_stream) return false;
  if (framed.kind == Framed::Kind::bad_header) {
    fail(nullptr, kParseError, "a message without a Content-Length header");
    return true;
  }
  Json message;
  try {
    message = Json::parse(framed.content);
  } catch (const Json::exception&) {
    fail(nullptr, kParseError, "the message is not JSON");
    return true;
  }
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // A response to a request of ours, or nothing the protocol knows.
    if (message.is_object() && message.contains("id") && !message.contains("result") && !message.contains("error")) {
      fail(message["id"], kInvalidRequest, "a request without a method");
    }
    return true;
  }
  const std::string method = message["method"];
  const Json params = message.value("params", Json::object());
  if (message.contains("id")) return request(method, message["id"], params);
  notification(method, params);
  return method != "exit";
}

bool Server::request(const std::string& method, const Json& id, const Json& params) {
  if (method == "initialize") {
    initialized_ = true;
    respond(id, initialize_result());
    return true;
  }
  if (!initialized_) {
    fail(id, kServerNotInitialized, "the server is not initialized yet");
    return true;
  }
  if (method == "shutdown") {
    shut_down_ = true;
    respond(id, nullptr);
    return true;
  }
  try {
    if (method == "textDocument/hover") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, nullptr), true;
      const Json& at = params.at("position");
      const auto found = published_.find(doc->document->uri);
      respond(id, hover(doc->document->text, doc->kind, at.at("line"), at.at("character"),
                        found == published_.end() ? Diagnostics{} : found->second));
    } else if (method == "textDocument/completion") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, nullptr), true;
      respond(id, completion(doc->document->text, doc->kind, params.at("position").at("line")));
    } else if (method == "textDocument/documentSymbol") {
      const std::optional<Named> doc = named(params);
      respond(id, doc ? document_symbols(doc->document->text, doc->kind) : Json::array());
    } else if (method == "textDocument/foldingRange") {
      const std::optional<Named> doc = named(params);
      respond(id, doc ? folding_ranges(doc->document->text) : Json::array());
    } else {
      fail(id, kMethodNotFound, "no method " + method);
    }
  } catch (const Json::exception& bad) {
    fail(id, kInvalidParams, std::string("the parameters do not fit the method: ") + bad.what());
  }
  return true;
}

void Server::notification(const std::string& method, const Json& params) {
  if (method == "exit") {
    exit_status_ = shut_down_ ? 0 : 1;
    return;
  }
  if (!initialized_) return;
  try {
    if (method == "textDocument/didOpen") {
      const Json& document = params.at("textDocument");
      documents_.put(document.at("uri"), document.at("text"), document.value("version", 0));
      opened_or_changed(params, false);
    } else if (method == "textDocument/didChange") {
      const Json& changes = params.at("contentChanges");
      if (changes.empty()) return;
      const std::string uri = params.at("textDocument").at("uri");
      // Whole documents only (the server asked for them): the last change holds the text.
      documents_.put(uri, changes.back().at("text"), params.at("textDocument").value("version", 0));
      opened_or_changed(params, true);
    } else if (method == "textDocument/didSave") {
      opened_or_changed(params, false);
    } else if (method == "textDocument/didClose") {
      const std::string uri = params.at("textDocument").at("uri");
      documents_.close(uri);
      published_.erase(uri);
      notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
    }
  } catch (const Json::exception&) {
    // A notification cannot be answered: one that does not fit is left aside.
  }
}

void Server::opened_or_changed(const Json& params, bool wait) {
  const Document* document = documents_.find(params.at("textDocument").at("uri").get<std::string>());
  if (document != nullptr && document->path) schedule(*document->path, wait);
}

void Server::schedule(const fs::path& file, bool wait) {
  pending_[file] = Clock::now() + (wait ? debounce_ : Clock::duration(0));
}

std::optional<Clock::time_point> Server::next_check() const {
  std::optional<Clock::time_point> next;
  for (const auto& [file, when] : pending_) {
    if (!next || when < *next) next = when;
  }
  return next;
}

void Server::run_due_checks() {
  const Clock::time_point now = Clock::now();
  std::vector<fs::path> due;
  for (const auto& [file, when] : pending_) {
    if (when <= now) due.push_back(file);
  }
  for (const fs::path& file : due) {
    pending_.erase(file);
    if (const std::optional<SourcePair> pair = documents_.pair_of(file)) check(*pair);
  }
}

void Server::check(const SourcePair& pair) {
  const FileNames& names = pair.names;
  std::optional<std::string> line = documents_.bytes_of(pair.line);
  const std::optional<std::string> train = documents_.bytes_of(pair.train);
  const bool line_alone = !train;
  const bool train_alone = !line && train;
  if (train_alone) line = kStandInLine;
  const CheckResult result = check_scenario({names, line, train}, {200, kCheckSeconds});

  Diagnostics line_diagnostics, train_diagnostics;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.place.file == names.line_source() && !train_alone) line_diagnostics.push_back(d);
    if (d.place.file == names.train_source() && !line_alone && !(train_alone && d.code == code::past_the_line_end)) {
      train_diagnostics.push_back(d);
    }
  }
  if (line_alone) {
    line_diagnostics.insert(
        line_diagnostics.begin(),
        diagnostic(code::partner_missing, {names.line_source(), 0, 0}, 0,
                   "no train source file (" + names.nome_linea + "_NUM-.txt) beside this file: it is checked alone"));
  }
  if (train_alone) {
    train_diagnostics.insert(train_diagnostics.begin(),
                             diagnostic(code::partner_missing, {names.train_source(), 0, 0}, 0,
                                        "no line source file " + names.line_source() +
                                            " beside this file: it is checked alone, on a line of 1000000 m"));
  }
  if (!train_alone) publish(documents_.uri_of(pair.line), line_diagnostics, from_windows1252(*line));
  if (!line_alone) publish(documents_.uri_of(pair.train), train_diagnostics, from_windows1252(*train));
}

void Server::publish(const std::string& uri, const Diagnostics& diagnostics, std::string_view text) {
  Json list = Json::array();
  const std::vector<std::string_view> lines = lines_of(text);  // once: a file may have a million
  const std::size_t shown = std::min(diagnostics.size(), kMostDiagnostics);
  for (std::size_t i = 0; i < shown; ++i) list.push_back(lsp_diagnostic(diagnostics[i], lines));
  if (shown < diagnostics.size()) {
    list.push_back({{"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}},
                    {"severity", 3},
                    {"source", "scenario"},
                    {"message", "the first " + std::to_string(shown) + " of " + std::to_string(diagnostics.size()) +
                                    " problems are shown; \"scenario_tool check\" lists them all"}});
  }
  published_[uri] = Diagnostics(diagnostics.begin(), diagnostics.begin() + static_cast<std::ptrdiff_t>(shown));
  notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", list}});
}

// What the reader thread hands the server, kept alive by both.
struct Inbox {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<Framed> messages;
};

}  // namespace

int serve(std::istream& in, std::ostream& out, std::chrono::milliseconds debounce) {
  Server server(out, debounce);
  // An input stream tied to the output flushes it before every read: from
  // the reader thread, while this one writes, that would write some answers
  // twice and mangle others. The server flushes each message itself.
  in.tie(nullptr);
  const auto inbox = std::make_shared<Inbox>();
  // Messages are read on a thread of their own, so that a change can wait
  // for the editor to be quiet before its check runs.
  std::thread([inbox, &in]() {
    for (;;) {
      Framed framed = read_message(in);
      const bool last = framed.kind == Framed::Kind::end_of_stream;
      {
        const std::lock_guard lock(inbox->mutex);
        inbox->messages.push_back(std::move(framed));
      }
      inbox->arrived.notify_one();
      if (last) return;
    }
  }).detach();

  for (;;) {
    std::optional<Framed> framed;
    {
      std::unique_lock lock(inbox->mutex);
      const std::optional<Clock::time_point> next = server.next_check();
      const auto ready = [&inbox]() { return !inbox->messages.empty(); };
      if (next) {
        inbox->arrived.wait_until(lock, *next, ready);
      } else {
        inbox->arrived.wait(lock, ready);
      }
      if (!inbox->messages.empty()) {
        framed = std::move(inbox->messages.front());
        inbox->messages.pop_front();
      }
    }
    if (framed && !server.handle(*framed)) return server.exit_status();
    server.run_due_checks();
  }
}

}  // namespace scenario::tool::lsp
