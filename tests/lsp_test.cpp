// The language server as an editor meets it: scenario_tool lsp started as a
// process of its own, spoken to through pipes.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <nlohmann/json.hpp>
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

Json at(const fs::path& file, int line, int character) {
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
     {message({{"jsonrpc", "2.0"}, {"id", 7}, {"method", "textDocument/semanticTokens/full"}, {"params", {}}})},
     {"7 -32601"}},
    {"a notification of an unknown method",
     true,
     {message({{"jsonrpc", "2.0"}, {"method", "custom/anything"}}),
      message({{"jsonrpc", "2.0"}, {"method", "$/cancelRequest"}, {"params", {{"id", 1}}}})},
     {}},
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

}  // namespace
}  // namespace scenario
