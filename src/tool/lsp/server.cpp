#include "tool/lsp/server.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <iostream>
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
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

// How deep a message's arrays and objects may nest. The protocol's own
// messages stay under twenty; a deeper one is refused before it is parsed.
constexpr int kMostNesting = 128;

// Whether JSON text nests arrays and objects deeper than `most`, counted on
// the text itself (brackets inside strings do not count).
bool nested_deeper_than(std::string_view json, int most) {
  int depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > most) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// A line or character of a position: clamped to 0 and to a bound no document
// reaches, so that no arithmetic on it overflows. Not a number: a type error.
int32_t position_value(const Json& value) {
  constexpr int32_t kMost = 1 << 30;
  if (value.is_number_unsigned()) return static_cast<int32_t>(std::min<uint64_t>(value.get<uint64_t>(), kMost));
  if (value.is_number_integer()) return static_cast<int32_t>(std::clamp<int64_t>(value.get<int64_t>(), 0, kMost));
  if (value.is_number_float()) {
    const double v = value.get<double>();
    return !(v >= 0) ? 0 : v >= kMost ? kMost : static_cast<int32_t>(v);
  }
  return value.get<int32_t>();  // throws: not a number
}

// A check of a big file stops looking for more errors after this long.
constexpr double kCheckSeconds = 2.0;

// The most diagnostics sent for one file: more than an author reads, and a
// file of a million faulty lines would otherwise make a message of hundreds
// of megabytes.
constexpr std::size_t kMostDiagnostics = 1000;

// A line for a train source file checked without its own: long enough for
// anything a train can hold.
const std::string kStandInLine = "[generale]\r\nlunghezza percorso,    1000000\r\n[fine]\r\n";

// A document's version as the editor numbers it; 0 when it gives none that
// fits.
int version_of(const Json& document) {
  const auto found = document.find("version");
  if (found == document.end() || !found->is_number_integer()) return 0;
  if (found->is_number_unsigned()) return static_cast<int>(std::min<uint64_t>(found->get<uint64_t>(), INT32_MAX));
  return static_cast<int>(std::clamp<int64_t>(found->get<int64_t>(), INT32_MIN, INT32_MAX));
}

class Server {
 public:
  Server(std::ostream& out, std::chrono::milliseconds debounce) : out_(out), debounce_(debounce) {}

  // False once the server is to end.
  bool handle(const Framed& framed);
  std::optional<Clock::time_point> next_check() const;
  void run_due_checks();
  int exit_status() const { return exit_status_; }

 private:
  // Text that is not UTF-8 (a file name's bytes) is sent as U+FFFD.
  void send(const Json& message) { write_message(out_, message.dump(-1, ' ', false, Json::error_handler_t::replace)); }
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
  void watched_files_changed(const Json& params);
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
  return {
      {"capabilities",
       {{"positionEncoding", "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
        {"hoverProvider", true},
        {"completionProvider", {{"triggerCharacters", Json::array({"["})}}},
        {"signatureHelpProvider", {{"triggerCharacters", Json::array({","})}}},
        {"inlayHintProvider", true},
        {"documentFormattingProvider", true},
        {"codeActionProvider", {{"codeActionKinds", Json::array({"quickfix"})}}},
        {"definitionProvider", true},
        {"semanticTokensProvider",
         {{"legend", {{"tokenTypes", Json::array({"comment"})}, {"tokenModifiers", Json::array()}}}, {"full", true}}},
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
  if (nested_deeper_than(framed.content, kMostNesting)) {
    fail(nullptr, kInvalidRequest, "the message nests deeper than " + std::to_string(kMostNesting) + " levels");
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
      respond(id, hover(doc->document->text, doc->kind, position_value(at.at("line")),
                        position_value(at.at("character")), found == published_.end() ? Diagnostics{} : found->second));
    } else if (method == "textDocument/completion") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, nullptr), true;
      const Json& at = params.at("position");
      respond(id, completion(doc->document->text, doc->kind, position_value(at.at("line")),
                             position_value(at.at("character"))));
    } else if (method == "textDocument/signatureHelp") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, nullptr), true;
      const Json& at = params.at("position");
      respond(id, signature_help(doc->document->text, doc->kind, position_value(at.at("line")),
                                 position_value(at.at("character"))));
    } else if (method == "textDocument/inlayHint") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, Json::array()), true;
      const Json& range = params.at("range");
      respond(id, inlay_hints(doc->document->text, doc->kind, position_value(range.at("start").at("line")),
                              position_value(range.at("end").at("line"))));
    } else if (method == "textDocument/formatting") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, Json::array()), true;
      const std::string& text = doc->document->text;
      const std::string result = formatted(text, doc->kind);
      if (result == text) return respond(id, Json::array()), true;
      const std::vector<std::string_view> lines = lines_of(text);
      const auto last = static_cast<int32_t>(lines.size()) - 1;
      const Json whole = {{"start", {{"line", 0}, {"character", 0}}},
                          {"end", {{"line", last}, {"character", utf16_column(lines.back(), INT32_MAX)}}}};
      respond(id, Json::array({{{"range", whole}, {"newText", result}}}));
    } else if (method == "textDocument/codeAction") {
      const std::optional<Named> doc = named(params);
      if (!doc) return respond(id, Json::array()), true;
      const Json& range = params.at("range");
      const auto found = published_.find(doc->document->uri);
      respond(id, found == published_.end() ? Json::array()
                                            : code_actions(doc->document->text, doc->document->uri, found->second,
                                                           position_value(range.at("start").at("line")),
                                                           position_value(range.at("end").at("line"))));
    } else if (method == "textDocument/definition") {
      const std::optional<Named> doc = named(params);
      if (!doc || doc->kind != SourceKind::train) return respond(id, Json::array()), true;
      const std::vector<SourcePair> pairs = documents_.pairs_of(*doc->document->path);
      const SourceText line = pairs.empty() ? SourceText{} : documents_.source_of(pairs.front().line);
      if (!line.present()) return respond(id, Json::array()), true;
      respond(id, definition(doc->document->text, position_value(params.at("position").at("line")), line.text,
                             documents_.uri_of(pairs.front().line)));
    } else if (method == "textDocument/semanticTokens/full") {
      const std::optional<Named> doc = named(params);
      respond(id, doc ? skipped_line_tokens(doc->document->text, doc->kind) : Json{{"data", Json::array()}});
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
  } catch (const std::exception& failure) {
    // One request that fails is answered so; the server goes on.
    fail(id, kInternalError, std::string("the server failed on this request: ") + failure.what());
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
      documents_.put(document.at("uri"), document.at("text"), version_of(document));
      opened_or_changed(params, false);
    } else if (method == "textDocument/didChange") {
      const Json& changes = params.at("contentChanges");
      if (changes.empty()) return;
      const std::string uri = params.at("textDocument").at("uri");
      // Whole documents only (the server asked for them): the last change holds the text.
      documents_.put(uri, changes.back().at("text"), version_of(params.at("textDocument")));
      opened_or_changed(params, true);
    } else if (method == "textDocument/didSave") {
      opened_or_changed(params, false);
    } else if (method == "workspace/didChangeWatchedFiles") {
      watched_files_changed(params);
    } else if (method == "textDocument/didClose") {
      const std::string uri = params.at("textDocument").at("uri");
      documents_.close(uri);
      published_.erase(uri);
      notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
    }
  } catch (const std::exception&) {
    // A notification cannot be answered: one that does not fit, or fails, is
    // left aside.
  }
}

void Server::watched_files_changed(const Json& params) {
  for (const Json& change : params.at("changes")) {
    const std::optional<fs::path> path = path_of_uri(change.at("uri").get<std::string>());
    if (!path || documents_.at(*path) != nullptr) continue;  // an open document's text is the editor's
    const std::vector<SourcePair> pairs = documents_.pairs_of(*path);
    if (pairs.empty()) continue;
    // A train file on disk changed, came or went: its line picks its train
    // files again; a line file: its open train files are checked again.
    schedule(pairs.front().line, false);
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
    for (const SourcePair& pair : documents_.pairs_of(file)) {
      try {
        check(pair);
      } catch (const std::exception& failure) {
        // A check that fails leaves the diagnostics as they were; the server
        // goes on.
        std::cerr << "scenario_tool lsp: the check of " << valid_utf8(utf8_of_path(file))
                  << " failed: " << failure.what() << "\n";
      }
    }
  }
}

void Server::check(const SourcePair& pair) {
  const FileNames& names = pair.names;
  // Each file read once: its bytes go down to the checker, its own text is
  // where the diagnostics' positions are counted on the way back.
  const SourceText line = documents_.source_of(pair.line);
  const SourceText train = documents_.source_of(pair.train);
  if (!line.present() && !train.present()) return;
  const bool line_alone = !train.present();
  const bool train_alone = !line.present();
  CheckSources sources{names, std::nullopt, std::nullopt};
  sources.line = train_alone ? kStandInLine : line.bytes;
  if (!line_alone) sources.train = train.bytes;
  const CheckResult result = check_scenario(sources, {200, kCheckSeconds});

  Diagnostics line_diagnostics, train_diagnostics;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.place.file == names.line_source() && !train_alone) line_diagnostics.push_back(d);
    if (d.place.file == names.train_source() && !line_alone && !(train_alone && d.code == code::past_the_line_end)) {
      train_diagnostics.push_back(d);
    }
  }
  const auto not_a_file = [](const std::string& name) {
    return valid_utf8(name) + " beside this file is not a file (a folder, a pipe or a device): it is checked alone";
  };
  if (line_alone) {
    line_diagnostics.insert(
        line_diagnostics.begin(),
        train.state == SourceText::State::not_a_file
            ? diagnostic(code::partner_not_a_file, {names.line_source(), 0, 0}, 0, not_a_file(names.train_source()))
            : diagnostic(code::partner_missing, {names.line_source(), 0, 0}, 0,
                         "no train source file (" + valid_utf8(names.nome_linea) +
                             "_NUM-.txt) beside this file: it is checked alone"));
  }
  if (train_alone) {
    train_diagnostics.insert(
        train_diagnostics.begin(),
        line.state == SourceText::State::not_a_file
            ? diagnostic(code::partner_not_a_file, {names.train_source(), 0, 0}, 0, not_a_file(names.line_source()))
            : diagnostic(code::partner_missing, {names.train_source(), 0, 0}, 0,
                         "no line source file " + valid_utf8(names.line_source()) +
                             " beside this file: it is checked alone, on a line of 1000000 m"));
  }
  if (!train_alone && pair.line_diagnostics) publish(documents_.uri_of(pair.line), line_diagnostics, line.text);
  if (!line_alone) publish(documents_.uri_of(pair.train), train_diagnostics, train.text);
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
