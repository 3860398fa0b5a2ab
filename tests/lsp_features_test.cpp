// What the language server works out from a document's text alone: inlay
// hints and formatting, on both built-in source files (plain and annotated),
// as an editor asks for them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "base/windows1252.h"
#include "checker/checker.h"
#include "compiler/track_model.h"
#include "output/compiled_files.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"
#include "support/small_scenario.h"
#include "tool/annotated_sources.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/features.h"

namespace scenario {
namespace {

using tool::lsp::Json;

// The scenario file's and the route file's bytes, when the two sources
// compile; none when they do not.
std::optional<std::string> compiled(const std::string& line, const std::string& train) {
  TrackModel model;
  model.nome_linea = "Valle";
  model.numero_treno = "123";
  const FileNames names{model.nome_linea, model.numero_treno};
  MemoryFolder folder;
  folder.put(names.line_source(), line);
  folder.put(names.train_source(), train);
  CompileReport report;
  int32_t j = 1;
  if (compile_and_finish(model, folder, report, j) != Finish::compiled || report.code != 0) return std::nullopt;
  return encode_scenario(model) + encode_route(model);
}

struct Template {
  const char* what;
  std::string line, train;  // as the editor holds them: UTF-8
};

std::vector<Template> templates() {
  const LineTable line = line_source_table(), train = train_source_table();
  return {{"plain", from_windows1252(line.bytes()), from_windows1252(train.bytes())},
          {"annotated", from_windows1252(tool::annotated(line, format_of(SourceKind::line)).bytes()),
           from_windows1252(tool::annotated(train, format_of(SourceKind::train)).bytes())}};
}

TEST(LanguageServerFeatures, FormattedTemplatesCompileToTheSameBytes) {
  for (const Template& t : templates()) {
    SCOPED_TRACE(t.what);
    const std::string line = tool::lsp::formatted(t.line, SourceKind::line);
    const std::string train = tool::lsp::formatted(t.train, SourceKind::train);
    EXPECT_NE(line, t.line);  // the template's columns are not aligned
    EXPECT_EQ(tool::lsp::lines_of(line).size(), tool::lsp::lines_of(t.line).size());
    const std::optional<std::string> before = compiled(to_windows1252(t.line), to_windows1252(t.train));
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(compiled(to_windows1252(line), to_windows1252(train)), before);
    // Formatting again changes nothing.
    EXPECT_EQ(tool::lsp::formatted(line, SourceKind::line), line);
    EXPECT_EQ(tool::lsp::formatted(train, SourceKind::train), train);
  }
}

TEST(LanguageServerFeatures, FormattingAlignsEachSectionsColumns) {
  const std::string text =
      "[generale]\r\nnumero vetture,    4\r\n[segnali]\r\n"
      "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
      "segnale,   40050,   1, 3, 4,  0, 0,    1,  3,1,0, 210\r\n"
      "-- a comment,   kept as it stands\r\n"
      "[fine]\r\n";
  EXPECT_EQ(tool::lsp::formatted(text, SourceKind::train),
            "[generale]\r\nnumero vetture,  4\r\n[segnali]\r\n"
            "segnale,   2800,  1,  4,  0,  0,  0,  0,  0,  0,  0,    0\r\n"
            "segnale,  40050,  1,  3,  4,  0,  0,  1,  3,  1,  0,  210\r\n"
            "-- a comment,   kept as it stands\r\n"
            "[fine]\r\n");
}

TEST(LanguageServerFeatures, InlayHintsNameEachFieldAndItsUnitAfterItsValue) {
  for (const Template& t : templates()) {
    SCOPED_TRACE(t.what);
    for (const auto& [text, kind] : {std::pair{t.line, SourceKind::line}, std::pair{t.train, SourceKind::train}}) {
      const std::vector<std::string_view> lines = tool::lsp::lines_of(text);
      const Json hints = tool::lsp::inlay_hints(text, kind, 0, static_cast<int32_t>(lines.size()));
      ASSERT_FALSE(hints.empty());
      for (const Json& hint : hints) {
        // Each hint stands right after a value: at a comma or the line's end.
        const std::string_view at = lines[hint["position"]["line"].get<std::size_t>()];
        const std::size_t character = hint["position"]["character"];
        ASSERT_LE(character, at.size());
        EXPECT_TRUE(character == at.size() || at[character] == ',' || at[character] == ' ') << at << " " << hint;
      }
    }
  }
  const std::string signal = "[generale]\r\nsegnale,    2800,   1, 4\r\n";
  const Json hints = tool::lsp::inlay_hints(signal, SourceKind::train, 1, 1);
  ASSERT_EQ(hints.size(), 3u) << hints.dump();
  EXPECT_EQ(hints[0]["label"], "posizione m");
  EXPECT_EQ(hints[0]["position"], Json({{"line", 1}, {"character", 16}}));
  EXPECT_EQ(hints[1]["label"], "sx");
  EXPECT_EQ(hints[2]["position"], Json({{"line", 1}, {"character", 24}}));
}

TEST(LanguageServerFeatures, SignatureHelpNamesTheFieldUnderTheCursor) {
  const std::string text = "[generale]\r\nsegnale,    2800,   1, \r\n";
  struct Case {
    int character;
    Json active;  // null: no help
  };
  const Case cases[] = {{3, nullptr}, {13, 0}, {19, 1}, {20, 1}, {23, 2}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.character);
    const Json help = tool::lsp::signature_help(text, SourceKind::train, 1, k.character);
    if (k.active.is_null()) {
      EXPECT_TRUE(help.is_null()) << help;
      continue;
    }
    ASSERT_FALSE(help.is_null());
    EXPECT_EQ(help["activeParameter"], k.active);
    const std::string label = help["signatures"][0]["label"];
    EXPECT_TRUE(label.starts_with("segnale, posizione m, sx, s1")) << label;
    const Json& range = help["signatures"][0]["parameters"][1]["label"];
    EXPECT_EQ(label.substr(range[0], range[1].get<std::size_t>() - range[0].get<std::size_t>()), "sx");
  }
}

// The diagnostics of the small scenario's line file with `line` in its place.
Diagnostics line_diagnostics(const std::vector<std::string>& line) {
  const FileNames names{"Valle", "123"};
  const CheckResult result =
      check_scenario({names, testing::crlf(line), testing::crlf(testing::kSmallTrain)}, {200, 0});
  Diagnostics found;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.place.file == names.line_source()) found.push_back(d);
  }
  return found;
}

// A text with the edits of one file applied, last first (ASCII text:
// characters are bytes).
std::string with_edits(const std::string& text, const Json& edits) {
  std::vector<std::string> lines;
  for (const std::string_view l : tool::lsp::lines_of(text)) lines.emplace_back(l);
  std::vector<Json> sorted(edits.begin(), edits.end());
  std::sort(sorted.begin(), sorted.end(), [](const Json& a, const Json& b) {
    return std::pair{a["range"]["start"]["line"].get<int>(), a["range"]["start"]["character"].get<int>()} >
           std::pair{b["range"]["start"]["line"].get<int>(), b["range"]["start"]["character"].get<int>()};
  });
  for (const Json& edit : sorted) {
    std::string& l = lines[edit["range"]["start"]["line"].get<std::size_t>()];
    const std::size_t from = edit["range"]["start"]["character"], to = edit["range"]["end"]["character"];
    l = l.substr(0, from) + edit["newText"].get<std::string>() + l.substr(to);
  }
  lines.pop_back();  // the empty line after the last line end
  return testing::crlf(lines);
}

TEST(LanguageServerFeatures, QuickFixesPutRightWhatTheCheckerNamesExactly) {
  std::vector<std::string> line = testing::kSmallLine;
  line[6] = "pendensa,  1510,   -5";                                      // a misspelling, a progressive off the grid
  line[8] = "indicatori_vmax,  1580,  125,  135,  135,  0,  ,  ,  ,  0";  // lands in the cell of 1600
  const Diagnostics before = line_diagnostics(line);
  const std::string text = testing::crlf(line);
  const Json actions = tool::lsp::code_actions(text, "file:///Valle_linea.txt", before, 0, 20);
  std::vector<std::string> titles;
  Json edits = Json::array();
  for (const Json& action : actions) {
    titles.push_back(action["title"]);
    EXPECT_EQ(action["kind"], "quickfix");
    for (const Json& edit : action["edit"]["changes"]["file:///Valle_linea.txt"]) edits.push_back(edit);
  }
  EXPECT_EQ(titles,
            (std::vector<std::string>{"Change to \"pendenza\"", "Move to 1600, the start of the cell it lands in"}))
      << actions.dump(1);
  // Fixed, the lines read as meant; the gradient, read now, lands off the
  // grid too, and its fix is offered in turn.
  const std::string fixed_text = with_edits(text, edits);
  std::vector<std::string> fixed;
  for (const std::string_view l : tool::lsp::lines_of(fixed_text)) fixed.emplace_back(l);
  fixed.pop_back();
  EXPECT_EQ(fixed[6], "pendenza,  1510,   -5");
  EXPECT_EQ(fixed[8], "indicatori_vmax,  1600,  125,  135,  135,  0,  ,  ,  ,  0");
  const Diagnostics after = line_diagnostics(fixed);
  const Json again = tool::lsp::code_actions(fixed_text, "file:///Valle_linea.txt", after, 0, 20);
  ASSERT_EQ(after.size(), 1u);
  ASSERT_EQ(again.size(), 1u) << again.dump(1);
  EXPECT_EQ(again[0]["title"], "Move to 1500, the start of the cell it lands in");
}

TEST(LanguageServerFeatures, DefinitionLeadsFromAStationToTheLinesRowsWhereItLands) {
  std::vector<std::string> line = testing::kSmallLine;
  line.insert(line.begin() + 4, {"[curve]", "curvas4,  7000,  2000"});  // lines 4 and 5
  const std::string line_text = testing::crlf(line), train_text = testing::crlf(testing::kSmallTrain);
  // The station at 8050: the gradient from 1500 (line 8) and the curve.
  const Json at_station = tool::lsp::definition(train_text, 5, line_text, "file:///Valle_linea.txt");
  ASSERT_EQ(at_station.size(), 2u) << at_station.dump();
  EXPECT_EQ(at_station[0]["range"]["start"]["line"], 8);
  EXPECT_EQ(at_station[1]["range"]["start"]["line"], 5);
  EXPECT_EQ(at_station[1]["uri"], "file:///Valle_linea.txt");
  // The slowdown at 10200, past the curve's end: the gradient alone.
  EXPECT_EQ(tool::lsp::definition(train_text, 7, line_text, "x").size(), 1u);
  // A signal, a line past the end: nothing.
  EXPECT_EQ(tool::lsp::definition(train_text, 6, line_text, "x"), Json::array());
  EXPECT_EQ(tool::lsp::definition(train_text, 99, line_text, "x"), Json::array());
}

TEST(LanguageServerFeatures, SemanticTokensCoverTheLinesTheCompilerSkips) {
  const std::string text =
      "before the block\r\n[generale]\r\nnumero vetture,    4\r\n  -- a note\r\n\r\nvetturee?\r\n"
      "velocita,  0,  80\r\n";
  const Json tokens = tool::lsp::skipped_line_tokens(text, SourceKind::train);
  // Line 0 whole; line 3 from its hyphen; line 5 ("vetturee?" holds
  // "vetture": it is read).
  EXPECT_EQ(tokens["data"], Json::array({0, 0, 16, 0, 0, 3, 2, 9, 0, 0}));
}

}  // namespace
}  // namespace scenario
