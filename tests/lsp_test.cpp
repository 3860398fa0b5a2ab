// The language server as an editor meets it: scenario_tool lsp started as a
// process of its own, spoken to through pipes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <deque>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "support/lsp_process.h"
#include "support/small_scenario.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using namespace std::chrono_literals;

// Long enough for a loaded machine; a server that hangs fails at it.
constexpr std::chrono::milliseconds kWait = 20s;

std::string uri_of(const fs::path& file) { return "file://" + file.string(); }

std::string text_of(const std::vector<std::string>& lines) { return testing::crlf(lines); }

// An editor's side of the conversation: requests answered in order,
// notifications kept until asked for.
class Editor {
 public:
  explicit Editor(std::chrono::milliseconds wait = kWait) : server_(SCENARIO_TOOL_EXE, {"lsp"}), wait_(wait) {}

  testing::LspProcess& server() { return server_; }

  Json request(const std::string& method, const Json& params) {
    const int id = next_id_++;
    server_.send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    return response(id);
  }

  // The response to request `id`; what comes before it is kept.
  Json response(int id) {
    while (std::optional<Json> message = server_.next(wait_)) {
      if (message->contains("id") && (*message)["id"] == id) return *message;

      kept_.push_back(*message);
    }
    ADD_FAILURE() << "no response to request " << id;
    return nullptr;
  }

  void notify(const std::string& method, const Json& params) {
    server_.send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }

  // The next diagnostics published for `uri`.
  Json diagnostics(const std::string& uri) {
    const auto published = [&uri](const Json& m) {
      return m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri;
    };
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
      if (!published(*it)) continue;
      const Json list = (*it)["params"]["diagnostics"];
      kept_.erase(it);
      return list;
    }
    while (std::optional<Json> message = server_.next(wait_)) {
      if (published(*message)) return (*message)["params"]["diagnostics"];
      kept_.push_back(*message);
    }
    ADD_FAILURE() << "no diagnostics for " << uri;
    return nullptr;
  }

  Json initialize() {
    const Json answer = request("initialize", {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", {}}});
    notify("initialized", Json::object());
    return answer;
  }

  void open(const fs::path& file, const std::string& text) {
    notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri_of(file)}, {"languageId", "plaintext"}, {"version", 1}, {"text", text}}}});
  }

  // Shutdown, exit, and the server's exit status.
  std::optional<int> shut_down() {
    EXPECT_EQ(request("shutdown", nullptr)["result"], nullptr);
    notify("exit", nullptr);
    return server_.exit_status(wait_);
  }

  const std::deque<Json>& kept() const { return kept_; }

 private:
  testing::LspProcess server_;
  const std::chrono::milliseconds wait_;
  std::deque<Json> kept_;
  int next_id_ = 1;
};

Json at(const fs::path& file, int64_t line, int64_t character) {
  return {{"textDocument", {{"uri", uri_of(file)}}}, {"position", {{"line", line}, {"character", character}}}};
}

std::string hover_text(const Json& response) { return response["result"]["contents"]["value"].get<std::string>(); }

TEST(LanguageServer, DiagnosticsWhileTypingHoverCompletionAndAnOrderlyEnd) {
  testing::TempFolder folder;
  const fs::path line_file = folder / "Valle_linea.txt";
  const fs::path train_file = folder / "Valle_123-.txt";
  std::vector<std::string> line = testing::kSmallLine;
  line[6] = "pendensa,  1500,   -5";              // line 7: a misspelled keyword
  line.insert(line.begin() + 8, "");              // line 9: a blank line among the boards
  testing::write_file(line_file, text_of(line));  // the disk keeps the misspelling throughout
  testing::write_file(train_file, text_of(testing::kSmallTrain));

  Editor editor;
  const Json capabilities = editor.initialize()["result"]["capabilities"];
  EXPECT_EQ(capabilities["textDocumentSync"]["change"], 1);
  EXPECT_EQ(capabilities["hoverProvider"], true);
  EXPECT_TRUE(capabilities.contains("completionProvider"));

  editor.open(line_file, text_of(line));
  const Json found = editor.diagnostics(uri_of(line_file));
  ASSERT_EQ(found.size(), 1u) << found.dump(2);
  EXPECT_EQ(found[0]["range"], Json::parse(R"({"start":{"line":6,"character":0},"end":{"line":6,"character":8}})"));
  EXPECT_EQ(found[0]["severity"], 2);
  EXPECT_EQ(found[0]["code"], 201);
  EXPECT_NE(found[0]["message"].get<std::string>().find("did you mean \"pendenza\"?"), std::string::npos);
  EXPECT_EQ(editor.diagnostics(uri_of(train_file)), Json::array());  // checked with its line file

  editor.open(train_file, text_of(testing::kSmallTrain));
  EXPECT_EQ(editor.diagnostics(uri_of(line_file)).size(), 1u);
  EXPECT_EQ(editor.diagnostics(uri_of(train_file)), Json::array());

  // The author fixes the keyword: the editor's text counts, not the disk's.
  line[6] = "pendenza,  1500,   -5";
  editor.notify("textDocument/didChange", {{"textDocument", {{"uri", uri_of(line_file)}, {"version", 2}}},
                                           {"contentChanges", Json::array({{{"text", text_of(line)}}})}});
  EXPECT_EQ(editor.diagnostics(uri_of(line_file)), Json::array());
  EXPECT_EQ(editor.diagnostics(uri_of(train_file)), Json::array());

  // On a keyword: the record and its fields in order.
  const std::string keyword = hover_text(editor.request("textDocument/hover", at(line_file, 6, 3)));
  EXPECT_TRUE(keyword.starts_with("**pendenza**: a gradient change")) << keyword;
  EXPECT_LT(keyword.find("`progressive` (m)"), keyword.find("`gradient` (per mille)")) << keyword;

  // On a field: what it is and what the compiler makes of it here.
  const Json field = editor.request("textDocument/hover", at(line_file, 6, 12));
  EXPECT_EQ(field["result"]["range"],
            Json::parse(R"({"start":{"line":6,"character":11},"end":{"line":6,"character":15}})"));
  const std::string progressive = hover_text(field);
  EXPECT_TRUE(progressive.starts_with("**progressive** of `pendenza`, m")) << progressive;
  EXPECT_NE(progressive.find("Here: from cell 30 (progressive 1500"), std::string::npos) << progressive;

  // On a blank line among the boards: the board record first, a placeholder
  // a field, then the other records and the headers; no hover there.
  const Json items = editor.request("textDocument/completion", at(line_file, 8, 0))["result"]["items"];
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0]["label"], "indicatori_vmax");
  EXPECT_EQ(items[0]["insertTextFormat"], 2);
  EXPECT_TRUE(items[0]["insertText"].get<std::string>().starts_with("indicatori_vmax,  ${1:posizione},  ${2:vas},"))
      << items[0].dump();
  std::vector<std::string> labels;
  for (const Json& item : items) labels.push_back(item["label"]);
  EXPECT_NE(std::find(labels.begin(), labels.end(), "pendenza"), labels.end());
  EXPECT_NE(std::find(labels.begin(), labels.end(), "[indicazioni]"), labels.end());
  EXPECT_EQ(std::find(labels.begin(), labels.end(), "stazione"), labels.end());  // a train record
  EXPECT_EQ(editor.request("textDocument/hover", at(line_file, 8, 0))["result"], nullptr);

  EXPECT_EQ(editor.shut_down(), 0);
}

// What an editor, a mistaken client or a broken pipe may send. After each the
// server answers as listed (a response by its id and error code, "result" for
// one with a result, or a notification by its method) and still serves:
// initialize (when it came first), shutdown and exit end it with status 0.
struct OddInput {
  const char* what;
  bool initialized;  // the odd bytes come after initialize
  std::vector<std::string> bytes;
  std::vector<std::string> answers;
};

std::string message(const Json& m) { return testing::framed(m.dump()); }

const OddInput kOddInputs[] = {
    {"a header line without a colon", true, {"Content-Length 12\r\n\r\n"}, {"null -32700"}},
    {"headers without a length", true, {"Content-Type: application/vscode-jsonrpc\r\n\r\n"}, {"null -32700"}},
    {"a length that is no number", true, {"Content-Length: twelve\r\n\r\n"}, {"null -32700"}},
    {"a length past any message", true, {"Content-Length: 99999999999999999999\r\n\r\n"}, {"null -32700"}},
    {"content that is not JSON", true, {testing::framed(R"({"jsonrpc":"2.0","id":1,"method")")}, {"null -32700"}},
    {"JSON that is no message", true, {testing::framed("[1,2,3]"), testing::framed("17")}, {}},
    {"a request without a method", true, {message({{"jsonrpc", "2.0"}, {"id", 4}})}, {"4 -32600"}},
    {"a request of an unknown method",
     true,
     {message({{"jsonrpc", "2.0"}, {"id", 7}, {"method", "textDocument/unknownRequest"}, {"params", {}}})},
     {"7 -32601"}},
    {"a notification of an unknown method",
     true,
     {message({{"jsonrpc", "2.0"}, {"method", "custom/anything"}}),
      message({{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 1}}}})},
     {}},
    {"positions far outside the document",
     true,
     {message(
          {{"jsonrpc", "2.0"},
           {"method", "textDocument/didOpen"},
           {"params",
            {{"textDocument",
              {{"uri", "file:///nonexistent-folder/Valle_linea.txt"}, {"version", 1}, {"text", "[generale]\r\n"}}}}}}),
      message({{"jsonrpc", "2.0"},
               {"id", 9},
               {"method", "textDocument/completion"},
               {"params", at("/nonexistent-folder/Valle_linea.txt", -2147483648, -2147483648)}}),
      message({{"jsonrpc", "2.0"},
               {"id", 10},
               {"method", "textDocument/hover"},
               {"params", at("/nonexistent-folder/Valle_linea.txt", 2147483647, 4294967295u)}})},
     {"textDocument/publishDiagnostics", "9 result", "10 result"}},
    {"an id nested 100000 deep",
     true,
     {testing::framed(R"({"jsonrpc":"2.0","method":"shutdown","id":)" + std::string(100000, '[') +
                      std::string(100000, ']') + "}")},
     {"null -32600"}},
    {"parameters nested 100000 deep",
     true,
     {testing::framed(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":)" + std::string(100000, '[') +
                      std::string(100000, ']') + "}")},
     {"null -32600"}},
    {"a request before initialize",
     false,
     {message({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "textDocument/hover"}, {"params", {}}})},
     {"3 -32002"}},
    {"parameters that do not fit",
     true,
     {message({{"jsonrpc", "2.0"}, {"id", 5}, {"method", "textDocument/hover"}, {"params", {{"textDocument", 3}}}}),
      message({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", {{"textDocument", {"a"}}}}})},
     {"5 -32602"}},
    {"a document that is no source file",
     true,
     {message({{"jsonrpc", "2.0"},
               {"method", "textDocument/didOpen"},
               {"params", {{"textDocument", {{"uri", "file:///tmp/notes.md"}, {"version", 1}, {"text", "[a]\n"}}}}}}),
      message({{"jsonrpc", "2.0"}, {"id", 6}, {"method", "textDocument/hover"}, {"params", at("/tmp/notes.md", 0, 1)}}),
      message({{"jsonrpc", "2.0"},
               {"id", 8},
               {"method", "textDocument/documentSymbol"},
               {"params", {{"textDocument", {{"uri", "untitled:Untitled-1"}}}}}})},
     {"6 result", "8 result"}},
};

std::string answer_of(const Json& m) {
  if (m.contains("method")) return m["method"];
  const std::string id = m["id"].dump();
  return m.contains("error") ? id + " " + m["error"]["code"].dump() : id + " result";
}

TEST(LanguageServer, OddInputIsAnsweredWithAnErrorOrNothingAndTheServerGoesOn) {
  for (const OddInput& odd : kOddInputs) {
    SCOPED_TRACE(odd.what);
    Editor editor;
    if (odd.initialized) {
      ASSERT_TRUE(editor.initialize().contains("result"));
    }
    for (const std::string& bytes : odd.bytes) ASSERT_TRUE(editor.server().write(bytes));
    const Json after = odd.initialized ? editor.request("shutdown", nullptr) : editor.initialize();
    EXPECT_TRUE(after.contains("result")) << after.dump();
    std::vector<std::string> answers;
    for (const Json& m : editor.kept()) answers.push_back(answer_of(m));
    EXPECT_EQ(answers, odd.answers);
    if (!odd.initialized) {
      EXPECT_EQ(editor.request("shutdown", nullptr)["result"], nullptr);
    }
    editor.notify("exit", nullptr);
    EXPECT_EQ(editor.server().exit_status(kWait), 0);
  }
}

TEST(LanguageServer, InputThatEndsEndsTheServer) {
  // Mid-message, mid-header, or before any shutdown: status 1, no hang.
  for (const std::string& last :
       {std::string("Content-Length: 1000\r\n\r\n{\"jsonrpc\""), std::string("Content-Length: 10"), std::string()}) {
    Editor editor;
    editor.initialize();
    ASSERT_TRUE(editor.server().write(last));
    editor.server().close_input();
    EXPECT_EQ(editor.server().exit_status(kWait), 1) << last;
  }
  // An exit without a shutdown first ends it with status 1.
  Editor editor;
  editor.initialize();
  editor.notify("exit", nullptr);
  EXPECT_EQ(editor.server().exit_status(kWait), 1);
}

TEST(LanguageServer, AMillionLineDocumentIsCheckedAndAnswered) {
  // A million curves, each overlapping the one before: a warning a line.
  testing::TempFolder folder;
  const fs::path line_file = folder / "Valle_linea.txt";
  std::vector<std::string> line(testing::kSmallLine.begin(), testing::kSmallLine.begin() + 4);
  line.push_back("[curve]");
  line.insert(line.end(), 1'000'000, "curvas4,  500,  950");
  line.push_back("[fine]");

  Editor editor(120s);  // slow builds (the sanitizers') take their time
  editor.initialize();
  editor.open(line_file, text_of(line));
  const Json found = editor.diagnostics(uri_of(line_file));
  ASSERT_EQ(found.size(), 1001u);  // the partner missing, overlaps, and how many more there are
  EXPECT_EQ(found[1]["code"], 211);
  EXPECT_TRUE(found.back()["message"].get<std::string>().starts_with("the first 1000 of 1000000 problems are shown"))
      << found.back().dump();
  const std::string hover = hover_text(editor.request("textDocument/hover", at(line_file, 999'000, 2)));
  EXPECT_TRUE(hover.starts_with("**curvas4**: a curve")) << hover;
  const Json outline = editor.request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri_of(line_file)}}}});
  EXPECT_TRUE(outline["result"].is_array());
  EXPECT_EQ(editor.shut_down(), 0);
}

// Folders and names an author's folder can really hold. The server publishes
// what it can for the opened file (the first diagnostic's code; 0 when a name
// gives it nothing to check), answers about it, and ends cleanly.
enum class Entry { file, folder, pipe };

struct OddFolder {
  const char* what;
  std::vector<std::pair<std::string, Entry>> beside;
  std::string opened;  // as the URI spells it
  int first_code;
};

const OddFolder kOddFolders[] = {
    {"a folder named like the line file", {{"Valle_linea.txt", Entry::folder}}, "Valle_123-.txt", 450},
    {"a pipe named like the line file", {{"Valle_linea.txt", Entry::pipe}}, "Valle_123-.txt", 450},
    {"a folder and a pipe named like train files",
     {{"Valle_123-.txt", Entry::folder}, {"Valle_124-.txt", Entry::pipe}},
     "Valle_linea.txt",
     225},
    {"a train file without a number", {{"Valle_-.txt", Entry::file}}, "Valle_linea.txt", 225},
    {"Latin-1 bytes in the name, no partner", {}, "Vall%E9_linea.txt", 225},
    {"Latin-1 bytes in the name of a train file", {}, "Vall%E9_1%FF-.txt", 225},
    {"a line file without a line name", {{"_1-.txt", Entry::file}}, "_linea.txt", 0},
    {"a NUL in the URI", {}, "Valle%00_linea.txt", 0},
};

TEST(LanguageServer, OddFoldersAndNamesNeitherKillNorHangTheServer) {
  for (const OddFolder& odd : kOddFolders) {
    SCOPED_TRACE(odd.what);
    testing::TempFolder folder;
    for (const auto& [name, entry] : odd.beside) {
      const fs::path path = folder / name;
      if (entry == Entry::file) testing::write_file(path, text_of(testing::kSmallTrain));
      if (entry == Entry::folder) fs::create_directory(path);
      if (entry == Entry::pipe) {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
      }
    }
    const bool line = odd.opened.ends_with("_linea.txt");
    const std::string uri = "file://" + folder.path().string() + "/" + odd.opened;
    Editor editor;
    editor.initialize();
    editor.notify(
        "textDocument/didOpen",
        {{"textDocument",
          {{"uri", uri}, {"version", 1}, {"text", text_of(line ? testing::kSmallLine : testing::kSmallTrain)}}}});
    if (odd.first_code != 0) {
      const Json found = editor.diagnostics(uri);
      ASSERT_FALSE(found.empty());
      EXPECT_EQ(found[0]["code"], odd.first_code) << found.dump(2);
      if (odd.opened.find('%') != std::string::npos) {
        EXPECT_NE(found[0]["message"].get<std::string>().find("\xEF\xBF\xBD"), std::string::npos) << found[0];
      }
    }
    const Json params = {{"textDocument", {{"uri", uri}}}, {"position", {{"line", 1}, {"character", 2}}}};
    EXPECT_TRUE(editor.request("textDocument/hover", params).contains("result"));
    EXPECT_TRUE(editor.request("textDocument/completion", params).contains("result"));
    EXPECT_EQ(editor.shut_down(), 0);
  }
}

// A snippet's text with each placeholder "${n:name}" as its name.
std::string expanded(std::string snippet) {
  for (std::size_t at = snippet.find("${"); at != std::string::npos; at = snippet.find("${", at)) {
    const std::size_t colon = snippet.find(':', at), close = snippet.find('}', at);
    snippet.replace(at, close + 1 - at, snippet.substr(colon + 1, close - colon - 1));
  }
  return snippet;
}

// A line with one completion item's edit applied (ASCII lines: characters
// are bytes).
std::string applied(const std::string& line, const Json& item) {
  const Json& edit = item["textEdit"];
  const std::size_t from = edit["range"]["start"]["character"], to = edit["range"]["end"]["character"];
  return line.substr(0, from) + expanded(edit["newText"]) + line.substr(to);
}

TEST(LanguageServer, CompletionReplacesExactlyTheTextItCompletes) {
  struct Case {
    const char* file;  // "line" or "train"
    int line;          // from 0, in the small scenario's file, which it replaces
    std::string text;
    int character;
    std::string label;  // the item taken; empty: none is offered
    std::string after;
  };
  const Case cases[] = {
      {"train", 6, "[", 1, "[segnali]", "[segnali]"},
      {"line", 1, "lunghezza ", 10, "lunghezza percorso", "lunghezza percorso,  length"},
      {"line", 1, "  lunghezza perc", 16, "lunghezza percorso", "  lunghezza percorso,  length"},
      {"line", 6, "pendensa,  1500,   -5", 3, "pendenza", "pendenza,  1500,   -5"},
      {"line", 6, "pend", 4, "pendenza", "pendenza,  progressive,  gradient"},
      {"train", 2, "velocita,       0,    80", 19, "", ""},  // in a numeric field
  };
  testing::TempFolder folder;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    const bool line = std::string(k.file) == "line";
    const fs::path file = folder / (line ? "Valle_linea.txt" : "Valle_123-.txt");
    std::vector<std::string> lines = line ? testing::kSmallLine : testing::kSmallTrain;
    lines[static_cast<std::size_t>(k.line)] = k.text;
    Editor editor;
    editor.initialize();
    editor.open(file, text_of(lines));
    const Json items = editor.request("textDocument/completion", at(file, k.line, k.character))["result"]["items"];
    const auto item = std::find_if(items.begin(), items.end(), [&k](const Json& i) { return i["label"] == k.label; });
    if (k.label.empty()) {
      EXPECT_EQ(items, Json::array());
    } else {
      ASSERT_NE(item, items.end()) << items.dump(1);
      EXPECT_EQ(applied(k.text, *item), k.after);
    }
    EXPECT_EQ(editor.shut_down(), 0);
  }
}

TEST(LanguageServer, AChangeToTheLineReChecksEveryOpenTrainFile) {
  testing::TempFolder folder;
  const fs::path line_file = folder / "Valle_linea.txt";
  const fs::path trains[] = {folder / "Valle_123-.txt", folder / "Valle_124-.txt"};
  Editor editor;
  editor.initialize();
  for (const fs::path& train : trains) {
    editor.open(train, text_of(testing::kSmallTrain));
    editor.diagnostics(uri_of(train));  // alone: the line is not there yet
  }
  editor.open(line_file, text_of(testing::kSmallLine));
  for (const fs::path& train : trains) EXPECT_EQ(editor.diagnostics(uri_of(train)), Json::array());
  // A shorter line leaves the second station past its end, in both trains.
  std::vector<std::string> line = testing::kSmallLine;
  line[1] = "lunghezza percorso,    3000";
  editor.notify("textDocument/didChange", {{"textDocument", {{"uri", uri_of(line_file)}, {"version", 2}}},
                                           {"contentChanges", Json::array({{{"text", text_of(line)}}})}});
  for (const fs::path& train : trains) {
    SCOPED_TRACE(train.filename().string());
    EXPECT_FALSE(editor.diagnostics(uri_of(train)).empty());
  }
  // A train file that changes on disk while not open: its line picks it up.
  testing::write_file(folder / "Valle_125-.txt", text_of(testing::kSmallTrain));
  editor.notify("workspace/didChangeWatchedFiles",
                {{"changes", Json::array({{{"uri", uri_of(folder / "Valle_125-.txt")}, {"type", 1}}})}});
  EXPECT_FALSE(editor.diagnostics(uri_of(trains[0])).empty());
  EXPECT_EQ(editor.shut_down(), 0);
}

TEST(LanguageServer, PositionsAreCountedOnTheDocumentsOwnText) {
  // Characters outside the Basic Multilingual Plane take two UTF-16 units,
  // one byte of the file; an accented letter one unit and one byte.
  struct Case {
    std::string before;  // a comment field ahead of a misspelled keyword
    int character;       // where the keyword starts, in UTF-16 units
  };
  const Case cases[] = {{"-x, ", 4}, {"-\xF0\x9F\x98\x80, ", 5}, {"-\xC3\xA8\xF0\x9F\x9A\x86\xF0\x9F\x9A\x86, ", 8}};
  testing::TempFolder folder;
  const fs::path line_file = folder / "Valle_linea.txt";
  testing::write_file(folder / "Valle_123-.txt", text_of(testing::kSmallTrain));
  for (const Case& k : cases) {
    SCOPED_TRACE(k.before);
    std::vector<std::string> line = testing::kSmallLine;
    line[6] = k.before + "pendensa,  1500,   -5";
    Editor editor;
    editor.initialize();
    editor.open(line_file, text_of(line));
    const Json found = editor.diagnostics(uri_of(line_file));
    ASSERT_EQ(found.size(), 1u) << found.dump(2);
    EXPECT_EQ(found[0]["range"]["start"], Json({{"line", 6}, {"character", k.character}}));
    EXPECT_EQ(found[0]["range"]["end"], Json({{"line", 6}, {"character", k.character + 8}}));
    EXPECT_EQ(editor.shut_down(), 0);
  }
}

// A bounded fuzz of the server as a process: a fixed number of short
// conversations, each of messages taken from an editor's and mangled (cut,
// bytes changed, numbers and URIs swapped for odd ones), in a folder of odd
// entries. Every conversation ends with the server alive: it answers the
// shutdown when the framing stayed whole, and it exits with 0 or 1, never by
// a signal or a hang.
TEST(LanguageServer, FuzzedConversationsNeverKillTheServer) {
  constexpr int kConversations = 40;
  constexpr int kMessagesEach = 6;
  testing::TempFolder folder;
  testing::write_file(folder / "Valle_linea.txt", text_of(testing::kSmallLine));
  testing::write_file(folder / "Valle_-.txt", text_of(testing::kSmallTrain));
  fs::create_directory(folder / "Valle_123-.txt");
  ASSERT_EQ(mkfifo((folder / "Monte_linea.txt").c_str(), 0600), 0);
  const std::string base = "file://" + folder.path().string() + "/";
  const std::vector<std::string> uris = {base + "Valle_linea.txt",
                                         base + "Valle_123-.txt",
                                         base + "Monte_7-.txt",
                                         base + "_linea.txt",
                                         base + "V%E9_linea.txt",
                                         base + "Valle%00_linea.txt",
                                         base + "Valle_-.txt",
                                         "file://",
                                         "untitled:1",
                                         base + "%",
                                         base + "Valle_linea.txt/x_linea.txt"};
  const std::vector<Json> numbers = {0,     -1,   1,   2147483647, -2147483648LL, 4294967296LL,
                                     1e300, -0.5, "1", nullptr,    Json::array(), Json::object()};
  // Never the small numbers of the editor's own requests.
  const std::vector<Json> odd_ids = {-1, 2147483647, "x", nullptr, 1e300, Json::array({1}), Json::object()};
  const std::vector<std::string> texts = {text_of(testing::kSmallLine),
                                          text_of(testing::kSmallTrain),
                                          "",
                                          "[",
                                          "-\xF0\x9F\x98\x80,\r\n\r\n\r",
                                          "lunghezza percorso, 99999999999\n",
                                          "[generale]\n" + std::string(2000, ',')};
  const std::vector<std::string> methods = {"textDocument/hover",          "textDocument/completion",
                                            "textDocument/documentSymbol", "textDocument/foldingRange",
                                            "textDocument/signatureHelp",  "textDocument/inlayHint",
                                            "textDocument/formatting",     "textDocument/definition",
                                            "textDocument/codeAction",     "textDocument/semanticTokens/full"};
  std::mt19937 random(28);  // fixed: every run the same conversations
  const auto pick = [&random](const auto& list) -> const auto& {
    return list[std::uniform_int_distribution<std::size_t>(0, list.size() - 1)(random)];
  };
  const auto chance = [&random](int percent) { return std::uniform_int_distribution<int>(0, 99)(random) < percent; };
  for (int c = 0; c < kConversations; ++c) {
    SCOPED_TRACE("conversation " + std::to_string(c));
    Editor editor(20s);
    editor.initialize();
    bool framing_whole = true;
    for (int m = 0; m < kMessagesEach; ++m) {
      const Json document = {{"uri", pick(uris)}, {"version", pick(numbers)}, {"text", pick(texts)}};
      const Json position = {
          {"line", chance(70) ? Json(std::uniform_int_distribution<int>(0, 12)(random)) : pick(numbers)},
          {"character", chance(70) ? Json(std::uniform_int_distribution<int>(0, 40)(random)) : pick(numbers)}};
      Json message;
      switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0:
          message = {{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", {{"textDocument", document}}}};
          break;
        case 1:
          message = {{"jsonrpc", "2.0"},
                     {"method", "textDocument/didChange"},
                     {"params",
                      {{"textDocument", {{"uri", document["uri"]}}},
                       {"contentChanges", chance(80) ? Json::array({{{"text", document["text"]}}}) : pick(numbers)}}}};
          break;
        case 2:
          message = {{"jsonrpc", "2.0"},
                     {"method", chance(50) ? "textDocument/didClose" : "workspace/didChangeWatchedFiles"},
                     {"params",
                      {{"textDocument", {{"uri", document["uri"]}}},
                       {"changes", Json::array({{{"uri", document["uri"]}, {"type", 2}}})}}}};
          break;
        default:
          message = {{"jsonrpc", "2.0"},
                     {"id", chance(80) ? Json(100 + m) : pick(odd_ids)},
                     {"method", pick(methods)},
                     {"params",
                      {{"textDocument", {{"uri", document["uri"]}}},
                       {"position", position},
                       {"range", {{"start", position}, {"end", position}}},
                       {"options", {{"tabSize", pick(numbers)}, {"insertSpaces", true}}},
                       {"context", {{"diagnostics", Json::array()}}}}}};
          break;
      }
      std::string content = message.dump();
      if (chance(15)) content.resize(std::uniform_int_distribution<std::size_t>(0, content.size())(random));
      if (chance(15) && !content.empty()) {
        for (int k = 0; k < 3; ++k) {
          content[std::uniform_int_distribution<std::size_t>(0, content.size() - 1)(random)] =
              static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        }
      }
      if (chance(5)) {
        // A header with a wrong length: the framing is lost from here on.
        framing_whole = false;
        ASSERT_TRUE(
            editor.server().write("Content-Length: " + std::to_string(content.size() / 2) + "\r\n\r\n" + content));
      } else {
        ASSERT_TRUE(editor.server().write(testing::framed(content))) << content;
      }
    }
    if (framing_whole) {
      EXPECT_EQ(editor.shut_down(), 0);
    } else {
      editor.server().close_input();
      const std::optional<int> status = editor.server().exit_status(kWait);
      ASSERT_TRUE(status.has_value());
      EXPECT_TRUE(*status == 0 || *status == 1) << *status;
    }
  }
}

}  // namespace
}  // namespace scenario
