// The authoring tool as an author runs it: the built binary in a working
// folder, its exit status, standard output and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/track_model.h"
#include "output/compiled_layout.h"
#include "scenario_version.h"
#include "support/small_scenario.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;

  std::string last_line() const {
    std::string text = out;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    const std::size_t newline = text.rfind('\n');
    return newline == std::string::npos ? text : text.substr(newline + 1);
  }
};

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (const char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs scenario_tool with `args` in `folder`.
ToolRun tool(const fs::path& folder, const std::vector<std::string>& args) {
  static int count = 0;
  const fs::path out = fs::temp_directory_path() /
                       ("scenario_tool_test_out_" + std::to_string(::getpid()) + "_" + std::to_string(count));
  const fs::path err = fs::path(out.string() + "_err");
  ++count;
  std::string command = "cd " + quoted(folder.string()) + " && " + quoted(SCENARIO_TOOL_EXE);
  for (const std::string& arg : args) command += " " + quoted(arg);
  command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
  ToolRun run;
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = testing::read_file(out);
  run.err = testing::read_file(err);
  fs::remove(out);
  fs::remove(err);
  return run;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

using testing::crlf;

const fs::path kGolden = fs::path(SCENARIO_SOURCE_DIR) / "tests" / "golden";
const std::vector<std::string> kCompiled = {"Corvalle_Brinta_linea.dat", "Corvalle_Brinta_24817.sim",
                                            "Corvalle_Brinta_24817.dat"};

const std::vector<std::string>& kLine = testing::kSmallLine;
const std::vector<std::string>& kTrain = testing::kSmallTrain;

using Edit = std::function<void(std::vector<std::string>& line, std::vector<std::string>& train)>;

// An author's folder: the two sources in src/, edited, written as the
// compiler reads them.
struct Author {
  testing::TempFolder folder;
  std::string line_bytes, train_bytes;

  explicit Author(const Edit& edit = nullptr) {
    std::vector<std::string> line = kLine, train = kTrain;
    if (edit) edit(line, train);
    line_bytes = crlf(line);
    train_bytes = crlf(train);
    fs::create_directory(folder / "src");
    testing::write_file(folder / "src/Valle_linea.txt", line_bytes);
    testing::write_file(folder / "src/Valle_123-.txt", train_bytes);
  }

  ToolRun compile(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"compile", "src/Valle_linea.txt", "src/Valle_123-.txt", "out"};
    args.insert(args.end(), options.begin(), options.end());
    return tool(folder.path(), args);
  }

  bool sources_untouched() const {
    return fs::directory_iterator(folder / "src") != fs::directory_iterator() &&
           std::distance(fs::directory_iterator(folder / "src"), fs::directory_iterator()) == 2 &&
           testing::read_file(folder / "src/Valle_linea.txt") == line_bytes &&
           testing::read_file(folder / "src/Valle_123-.txt") == train_bytes;
  }
};

TEST(ScenarioTool, SourcesThenCompileGivesTheProgramsFilesAndLeavesTheSourcesAlone) {
  testing::TempFolder author;
  const ToolRun sources = tool(author.path(), {"sources"});
  ASSERT_EQ(sources.status, 0) << sources.err;
  const std::string line = testing::read_file(author / "Corvalle_Brinta_linea.txt");
  const std::string train = testing::read_file(author / "Corvalle_Brinta_24817-.txt");
  const auto line_time = fs::last_write_time(author / "Corvalle_Brinta_linea.txt");

  // Compiled into the sources' own folder, the default.
  const ToolRun compile = tool(author.path(), {"compile", "Corvalle_Brinta_linea.txt", "Corvalle_Brinta_24817-.txt"});
  EXPECT_EQ(compile.status, 0);
  // The built-in sources have notes, and no warning or error.
  EXPECT_TRUE(lines_of(compile.err).back().starts_with("0 errors, 0 warnings, 2 notes; read 35 gradient rows"))
      << compile.err;
  EXPECT_EQ(compile.last_line(), "codice_errore 0");
  EXPECT_EQ(testing::read_file(author / "Corvalle_Brinta_linea.txt"), line);
  EXPECT_EQ(testing::read_file(author / "Corvalle_Brinta_24817-.txt"), train);
  EXPECT_EQ(fs::last_write_time(author / "Corvalle_Brinta_linea.txt"), line_time);

  testing::TempFolder program;
  fs::copy_file(SCENARIO_BUILDER_EXE, program / "scenario_builder");
  ASSERT_EQ(std::system(quoted((program / "scenario_builder").string()).append(" 2>/dev/null").c_str()), 0);
  for (const std::string& name : kCompiled) {
    EXPECT_TRUE(testing::read_file(author / name) == testing::read_file(program / name)) << name;
  }
}

TEST(ScenarioTool, SourcesNeverReplacesAnAuthorsFileUnlessForced) {
  testing::TempFolder author;
  testing::write_file(author / "Corvalle_Brinta_linea.txt", "my edits\r\n");

  const ToolRun refused = tool(author.path(), {"sources", "."});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("Corvalle_Brinta_linea.txt exists"), std::string::npos) << refused.err;
  EXPECT_EQ(testing::read_file(author / "Corvalle_Brinta_linea.txt"), "my edits\r\n");
  EXPECT_FALSE(fs::exists(author / "Corvalle_Brinta_24817-.txt"));  // nothing at all is written

  const ToolRun forced = tool(author.path(), {"sources", ".", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(lines_of(testing::read_file(author / "Corvalle_Brinta_linea.txt")).size(), 157u);
  EXPECT_TRUE(fs::exists(author / "Corvalle_Brinta_24817-.txt"));
}

// Replaces the first occurrence of `from` in the file's lines.
void replace(std::vector<std::string>& lines, const std::string& from, const std::string& to) {
  for (std::string& line : lines) {
    if (const std::size_t at = line.find(from); at != std::string::npos) {
      line.replace(at, from.size(), to);
      return;
    }
  }
  FAIL() << "no line holds " << from;
}

TEST(ScenarioTool, CompileNamesTheFileAndLineOfEveryCode) {
  const std::string signal = "segnale,  %,   1, 4, 0,  0, 0,    0,  0,0,0, 0";
  const auto signal_at = [&signal](const std::string& p) { return std::regex_replace(signal, std::regex("%"), p); };
  const struct {
    const char* what;
    Edit edit;
    std::string diagnostic;  // standard error, or its start when this ends no line
    int status;
    std::string last_line;
    bool written;
  } cases[] = {
      {"clean", nullptr, "", 0, "codice_errore 0", true},
      {"a sign on the board's cell",
       [](auto& line, auto&) { replace(line, "cartello_indicatore,  2900", "cartello_indicatore,  1550"); },
       "src/Valle_linea.txt:11:23: error 6: the sign's cell 32 (progressive 1550) already holds a maximum-speed board "
       "(src/Valle_linea.txt:9)\n",
       1, "codice_errore 6", true},
      {"a gradient past the end of the line",
       [](auto& line, auto&) { replace(line, "pendenza,  1500", "pendenza,  26950"); },
       "src/Valle_linea.txt:7:12: error 15: the record lies beyond the line's last cell (cell 540 (progressive 26950), "
       "on a line of 20000 m); the rest of the file is not read\n",
       1, "codice_errore 15", true},
      {"a station off the 50 m grid",
       [](auto&, auto& train) { replace(train, "stazione,    8050", "stazione,    8060"); },
       "src/Valle_123-.txt:6:14: error 8: the station progressive 8060 is not a multiple of 50\n", 1, "codice_errore 8",
       true},
      {"a word for a number", [](auto&, auto& train) { replace(train, "numero vetture,    4", "sabbia,  molta"); },
       "src/Valle_123-.txt:2:10: error 25: the value of \"sabbia\": \"molta\" is not a whole number\n", 1,
       "codice_errore 25", true},
      {"signals on the three cells 250 to 350 m before the slowdown",
       [&](auto&, auto& train) {
         for (const char* p : {"9950", "9900", "9850"}) train.insert(train.end() - 1, signal_at(p));
       },
       "src/Valle_123-.txt:9:11: warning 229: the approach marker 32 of this signal in cell 196 is replaced by the "
       "marker 31 of the signal of line 11: the driver is not warned of this signal there\n"
       "    segnale,  9950,   1, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "              ^~~~\n"
       "  hint: move one of the two, so that their approach markers do not share a cell\n"
       "  note: src/Valle_123-.txt:11:11: the signal whose marker takes the cell\n"
       "src/Valle_123-.txt:cell 205 (progressive 10200): error 12: no free cell for the speed abatement mark 250 "
       "to 350 m before this slowdown start: cells 200, 199 and 198 are taken\n",
       1, "codice_errore 12", true},
      {"an abatement point in cell 1",
       [](auto&, auto& train) { replace(train, "numero vetture,    4", "abbattimento,  50,  7"); },
       "src/Valle_123-.txt:cell 1 (progressive 50): error 1250: cell 1 holds a speed abatement point whose dato1 "
       "is 7; dato1 of cell 1 is reserved for the fixed value 5121, so cell 1 must hold no object; the program stops "
       "with \" Errore n. 1250\" and writes no compiled file\n",
       2, "errore 1250", false},
      {"a board in cell 1",
       [](auto& line, auto&) { replace(line, "indicatori_vmax,  1550,  125", "indicatori_vmax,  0,  0"); },
       "src/Valle_linea.txt:cell 1 (progressive 0): error 1251: cell 1 holds a maximum-speed board whose dato2 is "
       "2700; dato2 of cell 1 is reserved for the competition code, so cell 1 must hold no object; the program stops "
       "with \" Errore n. 1251\" and writes no compiled file\n",
       2, "errore 1251", false},
      {"no line length", [](auto& line, auto&) { line.erase(line.begin() + 1); },
       "src/Valle_linea.txt:4:1: error 25: the line has no length: \"lunghezza percorso\" is missing from the general "
       "block",
       2, "codice_errore 25", false},
      {"no general block", [](auto& line, auto&) { replace(line, "[generale]", "[general]"); },
       "src/Valle_linea.txt:1:1: error 102: the line source file has no \"[generale]\"", 2, "codice_errore 102", false},
  };
  for (const auto& c : cases) {
    Author author(c.edit);
    const ToolRun run = author.compile();
    // The error lines, then the checker's summary.
    const std::vector<std::string> err = lines_of(run.err);
    ASSERT_FALSE(err.empty()) << c.what;
    // As many warnings as the expected lines hold.
    std::size_t warnings = 0;
    for (std::size_t at = 0; (at = c.diagnostic.find(": warning ", at)) != std::string::npos; ++at) ++warnings;
    const std::string summary =
        c.diagnostic.empty() ? "0 errors, 0 warnings"
                             : "1 error, " + std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
    EXPECT_TRUE(err.back().starts_with(summary)) << c.what << ": " << err.back();
    const std::string before_summary = run.err.substr(0, run.err.size() - err.back().size() - 1);
    if (c.diagnostic.ends_with("\n") || c.diagnostic.empty()) {
      EXPECT_EQ(before_summary, c.diagnostic) << c.what;
    } else {
      EXPECT_EQ(before_summary.substr(0, c.diagnostic.size()), c.diagnostic) << c.what;
    }
    EXPECT_EQ(run.status, c.status) << c.what;
    EXPECT_EQ(run.last_line(), c.last_line) << c.what;
    EXPECT_EQ(fs::exists(author.folder / "out/Valle_123.sim"), c.written) << c.what;
    EXPECT_EQ(fs::exists(author.folder / "out/Valle_123.dat"), c.written) << c.what;
    EXPECT_TRUE(author.sources_untouched()) << c.what;
  }
}

TEST(ScenarioTool, CompileTakesTheNamesFromTheFilesUnlessGiven) {
  const struct {
    std::vector<std::string> files;  // line, train
    std::vector<std::string> options;
    int status;
    std::string scenario_file;  // written, when the status is below 2
  } cases[] = {
      {{"my_line_linea.txt", "my_line_7-.txt"}, {}, 0, "my_line_7.sim"},
      {{"x_linea.txt", "other_line_5-.txt"}, {}, 0, "x_5.sim"},  // the number after the last "_"
      {{"a.txt", "b.txt"}, {"--line-name", "L", "--train-number=9"}, 0, "L_9.sim"},
      {{"a.txt", "x_5-.txt"}, {}, 64, ""},     // no line name
      {{"x_linea.txt", "b.txt"}, {}, 64, ""},  // no train number
      {{"x_linea.txt", "x_5-.txt"}, {"--train-number", "../5"}, 64, ""},
      {{"x_linea.txt", "x_5-.txt"}, {"--line-name", ""}, 64, ""},
      {{"x_linea.txt", "x_5-.txt"}, {"--plan"}, 64, ""},
      {{"x_linea.txt", "missing-.txt"}, {"--train-number", "5"}, 2, ""},
  };
  for (const auto& c : cases) {
    testing::TempFolder folder;
    testing::write_file(folder / c.files[0], crlf(kLine));
    if (c.files[1] != "missing-.txt") testing::write_file(folder / c.files[1], crlf(kTrain));
    std::vector<std::string> args = {"compile", c.files[0], c.files[1], "out"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = tool(folder.path(), args);
    EXPECT_EQ(run.status, c.status) << c.files[0] << " " << c.files[1] << ": " << run.err;
    if (!c.scenario_file.empty()) {
      EXPECT_TRUE(fs::exists(folder / "out" / c.scenario_file)) << c.scenario_file;
    }
    if (c.status == 64) {
      EXPECT_NE(run.err.find("usage: scenario_tool compile"), std::string::npos) << run.err;
    }
    if (c.status >= 2) {
      EXPECT_FALSE(fs::exists(folder / "out")) << c.files[0];
    }
  }
}

TEST(ScenarioTool, CompileWithoutPlanKeepsAnEarlierPlanFile) {
  Author author;
  fs::create_directory(author.folder / "out");
  testing::write_file(author.folder / "out/Valle_linea.dat", "earlier plan");
  const ToolRun run = author.compile({"--no-plan"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "wrote out/Valle_123.sim\nwrote out/Valle_123.dat\ncodice_errore 0\n");
  EXPECT_EQ(testing::read_file(author.folder / "out/Valle_linea.dat"), "earlier plan");
}

// Rows of a text dump after its two heading lines.
std::vector<std::string> dump_rows(const ToolRun& run) {
  std::vector<std::string> lines = lines_of(run.out);
  if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
  return lines;
}

// The row of a text dump whose first column is `key`.
std::string row_of(const std::vector<std::string>& rows, long key) {
  for (const std::string& row : rows) {
    std::istringstream in(row);
    long first = -1;
    if (in >> first && first == key) return row;
  }
  return "";
}

TEST(ScenarioTool, DumpDecodesTheRouteFileCellByCell) {
  const fs::path route = kGolden / "Corvalle_Brinta_24817.dat";
  const ToolRun text = tool(kGolden, {"dump", route.string()});
  const ToolRun json = tool(kGolden, {"dump", route.string(), "--json"});
  ASSERT_EQ(text.status, 0) << text.err;
  ASSERT_EQ(json.status, 0) << json.err;

  const std::vector<std::string> rows = dump_rows(text);
  EXPECT_EQ(rows.size(), 2201u);
  const std::regex cell_object("\\{\"cell\":");
  EXPECT_EQ(std::distance(std::sregex_iterator(json.out.begin(), json.out.end(), cell_object), std::sregex_iterator()),
            2201);

  const struct {
    long cell;
    int progressive;
    std::string object;
    int dato1;
  } known[] = {
      {1, 0, "none", 5121},
      {6, 250, "station stop (entry 1)", 1},
      {8, 350, "sign board (entry 80)", 80},
      {32, 1550, "maximum-speed board", 2500},
      {57, 2800, "signal", 40},
      {181, 9000, "slowdown warning board", 50},
      {205, 10200, "slowdown start", 50},
      {212, 10600, "speed abatement point", 180},
      {213, 10600, "slowdown end", 50},
  };
  for (const auto& k : known) {
    const std::string row = row_of(rows, k.cell);
    std::istringstream in(row);
    long cell = 0, progressive = 0;
    in >> cell >> progressive;
    EXPECT_EQ(progressive, k.progressive) << row;
    const std::size_t object = row.find(k.object);
    ASSERT_NE(object, std::string::npos) << row;
    long dato1 = 0;
    std::istringstream(row.substr(object + k.object.size())) >> dato1;
    EXPECT_EQ(dato1, k.dato1) << row;

    const std::string plain_object = k.object.substr(0, k.object.find(" ("));
    const std::string json_cell = "{\"cell\":" + std::to_string(k.cell) +
                                  ",\"progressive\":" + std::to_string(k.progressive) + ",\"object\":\"" +
                                  plain_object + "\",";
    const std::size_t at = json.out.find(json_cell);
    ASSERT_NE(at, std::string::npos) << json_cell;
    EXPECT_NE(json.out.substr(at, 120).find("\"dato1\":" + std::to_string(k.dato1) + ","), std::string::npos)
        << json.out.substr(at, 120);
  }
}

TEST(ScenarioTool, DumpGivesEachScenarioEntryItsRoleAndThePlanItsValueKinds) {
  const ToolRun json = tool(kGolden, {"dump", "Corvalle_Brinta_24817.sim", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  std::map<int, std::string> roles;
  const std::regex entry("\\{\"entry\":(\\d+),\"offset\":\\d+,\"role\":\"([^\"]+)\"");
  for (auto it = std::sregex_iterator(json.out.begin(), json.out.end(), entry); it != std::sregex_iterator(); ++it) {
    roles[std::stoi((*it)[1])] = (*it)[2];
  }
  ASSERT_EQ(roles.size(), 87u);
  for (int e = 0; e < 87; ++e) {
    const std::string expected = e == 0    ? "unused"
                                 : e <= 13 ? "station"
                                 : e <= 24 ? "free"
                                 : e <= 80 ? "sign text"
                                 : e <= 83 ? "kilometre reference"
                                 : e == 84 ? "train and line figures"
                                 : e == 85 ? "line header"
                                           : "train header";
    EXPECT_EQ(roles[e], expected) << "entry " << e;
  }
  const ToolRun text = tool(kGolden, {"dump", "Corvalle_Brinta_24817.sim"});
  const std::vector<std::string> rows = dump_rows(text);
  EXPECT_EQ(rows.size(), 87u);
  EXPECT_NE(row_of(rows, 1).find("name \"CORVALLE\""), std::string::npos) << row_of(rows, 1);
  EXPECT_NE(row_of(rows, 1).find("time 13:58:00"), std::string::npos) << row_of(rows, 1);
  EXPECT_NE(row_of(rows, 81).find("start progressive 1500, kilometre value (m) -1500"), std::string::npos);
  EXPECT_NE(row_of(rows, 85).find("fixed value 610"), std::string::npos) << row_of(rows, 85);

  const ToolRun plan = tool(kGolden, {"dump", "Corvalle_Brinta_linea.dat"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  const std::vector<std::string> points = dump_rows(plan);
  EXPECT_EQ(points.size(), 110001u);
  const auto kinds = [&points](long metre) {
    std::istringstream in(row_of(points, metre));
    std::string m, x, x_kind, y, y_kind;
    in >> m >> x >> x_kind >> y >> y_kind;
    return x_kind + " " + y_kind;
  };
  EXPECT_EQ(kinds(1), "integer integer");
  EXPECT_EQ(kinds(2), "double double");
  EXPECT_EQ(kinds(109998), "double double");
  EXPECT_EQ(kinds(110000), "empty empty");
}

TEST(ScenarioTool, DumpReportsAFileThatDoesNotFitItsLayout) {
  const struct {
    std::string golden;
    std::size_t keep;       // bytes of the golden file kept
    std::string file_name;  // the cut copy's name
    std::string problem;
    std::size_t rows;  // rows still decoded
  } cases[] = {
      {"Corvalle_Brinta_24817.dat", 2201 * 15 - 7, "cut.dat",
       "33008 bytes are not a whole number of 15-byte cells: 8 bytes left over after cell 2199", 2200},
      {"Corvalle_Brinta_24817.sim", 100, "cut.sim",
       "entry 2 (byte 76) gives its text a length of 9 bytes, past the end of the file", 2},
      {"Corvalle_Brinta_linea.dat", 1000, "cut_linea.dat", "is cut short: its type code 5 needs 10 bytes", 0},
      // The whole x column and the first y value: an even count of whole values.
      {"Corvalle_Brinta_linea.dat", 8 + 109997 * 10 + 4 + 4, "half_linea.dat", "do not split into two columns", 0},
      {"Corvalle_Brinta_24817.sim", 44, "cut.bin", "not a compiled file", 0},
  };
  for (const auto& c : cases) {
    testing::TempFolder folder;
    testing::write_file(folder / c.file_name, testing::read_file(kGolden / c.golden).substr(0, c.keep));
    const ToolRun run = tool(folder.path(), {"dump", c.file_name});
    EXPECT_EQ(run.status, 1) << c.file_name;
    EXPECT_NE(run.err.find(c.problem), std::string::npos) << c.file_name << ": " << run.err;
    if (c.rows > 0) {
      EXPECT_EQ(dump_rows(run).size(), c.rows) << c.file_name;
    }
  }
}

bool name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '.' || c == '-';
}

// The inside of a start tag: a name, then name="value" attributes, then an
// optional "/".
bool parse_tag(const std::string& inside, std::string& name) {
  std::size_t i = 0;
  const auto read_name = [&]() {
    const std::size_t start = i;
    if (i >= inside.size() || !std::isalpha(static_cast<unsigned char>(inside[i]))) return std::string();
    while (i < inside.size() && name_char(inside[i])) ++i;
    return inside.substr(start, i - start);
  };
  const auto skip_blanks = [&]() {
    while (i < inside.size() && std::isspace(static_cast<unsigned char>(inside[i]))) ++i;
  };
  name = read_name();
  if (name.empty()) return false;
  for (;;) {
    const std::size_t before = i;
    skip_blanks();
    if (i == inside.size()) return true;
    if (inside[i] == '/') return i + 1 == inside.size();
    if (i == before || read_name().empty()) return false;  // attributes are set apart by blanks
    skip_blanks();
    if (i >= inside.size() || inside[i] != '=') return false;
    ++i;
    skip_blanks();
    if (i >= inside.size() || (inside[i] != '"' && inside[i] != '\'')) return false;
    const std::size_t close = inside.find(inside[i], i + 1);
    if (close == std::string::npos) return false;
    i = close + 1;
  }
}

// Whether `svg` is well-formed XML: one root element, every element closed in
// order, attribute values quoted, and "&" and "<" only as markup or entities.
::testing::AssertionResult well_formed(const std::string& svg) {
  std::size_t at = 0;
  if (svg.compare(0, 5, "<?xml") == 0) at = svg.find("?>") + 2;
  std::vector<std::string> open;
  int roots = 0;
  const std::regex entity("&(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);");
  const auto clean = [&entity](const std::string& text) {
    const std::string without = std::regex_replace(text, entity, "");
    return without.find('&') == std::string::npos && without.find('<') == std::string::npos;
  };
  while (at < svg.size()) {
    const std::size_t tag = svg.find('<', at);
    if (!clean(svg.substr(at, tag - at))) return ::testing::AssertionFailure() << "bad text before byte " << tag;
    if (tag == std::string::npos) break;
    const std::size_t end = svg.find('>', tag);
    if (end == std::string::npos) return ::testing::AssertionFailure() << "unclosed tag at " << tag;
    const std::string inside = svg.substr(tag + 1, end - tag - 1);
    if (inside.starts_with("/")) {
      if (open.empty() || open.back() != inside.substr(1)) return ::testing::AssertionFailure() << "</" << inside;
      open.pop_back();
    } else {
      std::string name;
      if (!parse_tag(inside, name)) return ::testing::AssertionFailure() << "bad tag <" << inside.substr(0, 80);
      if (!clean(inside)) return ::testing::AssertionFailure() << "bad attribute in <" << inside.substr(0, 80);
      if (open.empty()) ++roots;
      if (!inside.ends_with("/")) open.push_back(name);
    }
    at = end + 1;
  }
  if (!open.empty()) return ::testing::AssertionFailure() << "<" << open.back() << "> never closed";
  if (roots != 1) return ::testing::AssertionFailure() << roots << " root elements";
  return ::testing::AssertionSuccess();
}

long count_of(const std::string& text, const std::string& what) {
  long n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ScenarioTool, PlotDrawsWellFormedSvgWithOneMarkerPerStation) {
  testing::TempFolder folder;
  for (const std::string& name : kCompiled) fs::copy_file(kGolden / name, folder / name);
  const ToolRun run = tool(folder.path(), {"plot", ".", "-o", "line.svg"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.last_line(), "wrote line.svg");
  const std::string svg = testing::read_file(folder / "line.svg");
  EXPECT_TRUE(well_formed(svg));
  EXPECT_EQ(count_of(svg, "class=\"station\""), 13);
  EXPECT_EQ(count_of(svg, "class=\"signal\""), 29);
  EXPECT_EQ(count_of(svg, ">CORVALLE</text>"), 2);  // on the plan and over the profiles
  EXPECT_EQ(count_of(svg, "class=\"speed\""), 1);
  EXPECT_EQ(count_of(svg, "class=\"gradient\""), 1);

  // Names are escaped, and a scenario compiled without a plan is still drawn.
  Author author([](auto&, auto& train) { replace(train, "MONTE", "A&B \"C\" <D> \\E"); });
  ASSERT_EQ(author.compile().status, 0);
  const ToolRun dump = tool(author.folder.path(), {"dump", "out/Valle_123.sim", "--json"});
  EXPECT_NE(dump.out.find(R"("testo":"A&B \"C\" <D> \\E")"), std::string::npos) << dump.out.substr(0, 400);
  const ToolRun plot = tool(author.folder.path(), {"plot", "out"});
  ASSERT_EQ(plot.status, 0) << plot.err;
  const std::string escaped = testing::read_file(author.folder / "out/Valle_123.svg");
  EXPECT_TRUE(well_formed(escaped));
  EXPECT_EQ(count_of(escaped, "class=\"station\""), 2);
  EXPECT_NE(escaped.find("A&amp;B &quot;C&quot; &lt;D&gt; \\E"), std::string::npos);

  fs::remove(author.folder / "out/Valle_linea.dat");
  const ToolRun without_plan = tool(author.folder.path(), {"plot", "out", "-o", "no_plan.svg"});
  ASSERT_EQ(without_plan.status, 0) << without_plan.err;
  EXPECT_TRUE(well_formed(testing::read_file(author.folder / "no_plan.svg")));
}

TEST(ScenarioTool, CheckReportsEveryProblemAndGradesItsExitStatus) {
  const Edit misspelled = [](auto& line, auto&) { replace(line, "pendenza,  1500", "pendeza,  1500"); };
  const Edit error = [](auto&, auto& train) { replace(train, "stazione,    8050", "stazione,    8060"); };
  const struct {
    const char* what;
    Edit edit;
    std::vector<std::string> options;
    int status;
    std::string first_line;
  } cases[] = {
      {"clean",
       nullptr,
       {},
       0,
       "0 errors, 0 warnings, 0 notes; read 2 gradient rows, 1 speed board, 1 sign, 1 speed row"},
      {"a warning",
       misspelled,
       {},
       1,
       "src/Valle_linea.txt:7:1: warning 201: \"pendeza\" names no record: it is skipped"},
      {"a warning switched off by number", misspelled, {"--disable", "201"}, 0, "0 errors, 0 warnings"},
      {"a warning switched off by name", misspelled, {"--disable=unknown-keyword"}, 0, "0 errors, 0 warnings"},
      {"a warning taken as an error", misspelled, {"--warnings-as-errors"}, 2, "src/Valle_linea.txt:7:1: error 201"},
      {"an error",
       error,
       {},
       2,
       "src/Valle_123-.txt:6:14: error 8: the station progressive 8060 is not a multiple of 50"},
      {"an error cannot be switched off", error, {"--disable", "8"}, 64, ""},
      {"no such code", misspelled, {"--disable", "nonsense"}, 64, ""},
      {"no such format", nullptr, {"--format", "xml"}, 64, ""},
  };
  for (const auto& c : cases) {
    Author author(c.edit);
    std::vector<std::string> args = {"check", "src/Valle_linea.txt", "src/Valle_123-.txt"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = tool(author.folder.path(), args);
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    if (!c.first_line.empty()) {
      EXPECT_TRUE(run.out.starts_with(c.first_line)) << c.what << ": " << run.out;
    }
    EXPECT_TRUE(author.sources_untouched()) << c.what;
    EXPECT_FALSE(fs::exists(author.folder / "out")) << c.what;
  }
  // The source line and a caret under the field, then the hint.
  Author author(misspelled);
  const std::vector<std::string> lines =
      lines_of(tool(author.folder.path(), {"check", "src/Valle_linea.txt", "src/Valle_123-.txt"}).out);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], "    pendeza,  1500,   -5");
  EXPECT_EQ(lines[2], "    ^~~~~~~");
  EXPECT_EQ(lines[3], "  hint: did you mean \"pendenza\"?");
}

// SARIF 2.1.0 as editors and CI read it: its version, one run whose tool
// names its rules, and results that name a rule, a level and a place.
TEST(ScenarioTool, CheckWritesSarifAndJsonForMachines) {
  Author author([](auto& line, auto& train) {
    replace(line, "pendenza,  1500", "pendeza,  1500");
    replace(train, "stazione,    8050", "stazione,    8060");
  });
  const ToolRun sarif =
      tool(author.folder.path(), {"check", "src/Valle_linea.txt", "src/Valle_123-.txt", "--format", "sarif"});
  EXPECT_EQ(sarif.status, 2);
  const nlohmann::json log = nlohmann::json::parse(sarif.out);
  EXPECT_EQ(log.at("version"), "2.1.0");
  EXPECT_TRUE(log.at("$schema").get<std::string>().ends_with("sarif-2.1.0.json"));
  ASSERT_EQ(log.at("runs").size(), 1u);
  const nlohmann::json& run = log.at("runs")[0];
  EXPECT_EQ(run.at("tool").at("driver").at("name"), "scenario_tool");
  const nlohmann::json& rules = run.at("tool").at("driver").at("rules");
  std::vector<std::string> levels;
  for (const nlohmann::json& result : run.at("results")) {
    const std::string id = result.at("ruleId");
    const std::size_t index = result.at("ruleIndex");
    ASSERT_LT(index, rules.size());
    EXPECT_EQ(rules[index].at("id"), id);
    EXPECT_FALSE(rules[index].at("shortDescription").at("text").get<std::string>().empty());
    levels.push_back(result.at("level"));
    EXPECT_FALSE(result.at("message").at("text").get<std::string>().empty());
    const nlohmann::json& location = result.at("locations").at(0).at("physicalLocation");
    EXPECT_TRUE(location.at("artifactLocation").at("uri").get<std::string>().starts_with("file:///"));
    EXPECT_GE(location.at("region").at("startLine").get<int>(), 1);
    EXPECT_GE(location.at("region").at("startColumn").get<int>(), 1);
  }
  EXPECT_EQ(levels, (std::vector<std::string>{"warning", "error"}));
  const nlohmann::json& first = run.at("results")[0];
  EXPECT_EQ(first.at("ruleId"), "201");
  EXPECT_EQ(first.at("locations")[0].at("physicalLocation").at("region").at("startLine"), 7);
  EXPECT_TRUE(first.at("locations")[0]
                  .at("physicalLocation")
                  .at("artifactLocation")
                  .at("uri")
                  .get<std::string>()
                  .ends_with("/src/Valle_linea.txt"));

  const ToolRun json =
      tool(author.folder.path(), {"check", "src/Valle_linea.txt", "src/Valle_123-.txt", "--format", "json"});
  const nlohmann::json report = nlohmann::json::parse(json.out);
  ASSERT_EQ(report.at("diagnostics").size(), 2u);
  EXPECT_EQ(report.at("diagnostics")[1].at("code"), 8);
  EXPECT_EQ(report.at("diagnostics")[1].at("name"), "station-off-grid");
  EXPECT_EQ(report.at("diagnostics")[1].at("file"), "src/Valle_123-.txt");
  EXPECT_EQ(report.at("summary").at("errors"), 1);
  EXPECT_EQ(report.at("summary").at("read").at("stazione"), 1);
}

// A warning about a value another record replaced points at that record: a
// note line under the text, relatedLocations in SARIF, "related" in JSON.
TEST(ScenarioTool, CheckPointsAtTheRecordThatReplacedAValue) {
  Author author([](auto& line, auto&) { replace(line, "indicatori_vmax,  1550", "indicatori_vmax,  250"); });
  const std::vector<std::string> args = {"check", "src/Valle_linea.txt", "src/Valle_123-.txt"};
  const ToolRun text = tool(author.folder.path(), args);
  EXPECT_EQ(text.status, 1);
  EXPECT_NE(text.out.find("src/Valle_linea.txt:9:19: warning 229: the speed board of \"indicatori_vmax\""),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("\n  note: src/Valle_123-.txt:5:17: the station's stop that takes cell 6 (250 m)\n"),
            std::string::npos)
      << text.out;

  std::vector<std::string> sarif_args = args;
  sarif_args.insert(sarif_args.end(), {"--format", "sarif"});
  const nlohmann::json log = nlohmann::json::parse(tool(author.folder.path(), sarif_args).out);
  const nlohmann::json& result = log.at("runs")[0].at("results")[0];
  EXPECT_EQ(result.at("ruleId"), "229");
  const nlohmann::json& related = result.at("relatedLocations").at(0);
  EXPECT_EQ(related.at("physicalLocation").at("region").at("startLine"), 5);
  EXPECT_TRUE(
      related.at("physicalLocation").at("artifactLocation").at("uri").get<std::string>().ends_with("/Valle_123-.txt"));
  EXPECT_FALSE(related.at("message").at("text").get<std::string>().empty());

  std::vector<std::string> json_args = args;
  json_args.insert(json_args.end(), {"--format", "json"});
  const nlohmann::json report = nlohmann::json::parse(tool(author.folder.path(), json_args).out);
  EXPECT_EQ(report.at("diagnostics")[0].at("related")[0].at("file"), "src/Valle_123-.txt");
  EXPECT_EQ(report.at("diagnostics")[0].at("related")[0].at("line"), 5);

  // --max-errors takes a whole number.
  std::vector<std::string> bad = args;
  bad.insert(bad.end(), {"--max-errors", "many"});
  EXPECT_EQ(tool(author.folder.path(), bad).status, 64);
}

TEST(ScenarioTool, ExplainTellsEveryCodeAndTheFormatReferenceIsTheDocs) {
  testing::TempFolder folder;
  const ToolRun list = tool(folder.path(), {"explain", "--list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.out.find("16    error    signal-cell-taken"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("201   warning  unknown-keyword"), std::string::npos) << list.out;
  const ToolRun by_number = tool(folder.path(), {"explain", "16"});
  EXPECT_EQ(by_number.status, 0);
  EXPECT_NE(by_number.out.find("How to fix it:"), std::string::npos) << by_number.out;
  EXPECT_EQ(tool(folder.path(), {"explain", "signal-cell-taken"}).out, by_number.out);
  EXPECT_EQ(tool(folder.path(), {"explain", "999"}).status, 1);

  // docs/source-format.md is what explain --format prints: run
  //   build/bin/scenario_tool explain --format > docs/source-format.md
  // after a change to the format or code tables.
  const ToolRun reference = tool(folder.path(), {"explain", "--format"});
  EXPECT_EQ(reference.status, 0);
  EXPECT_TRUE(reference.out == testing::read_file(fs::path(SCENARIO_SOURCE_DIR) / "docs" / "source-format.md"))
      << "docs/source-format.md is out of date";
}

// The editor's grammars are the tool's: run
//   build/bin/scenario_tool lsp --grammar line > editors/vscode/syntaxes/scenario-line.tmLanguage.json
// (and train) after a change to the format table.
TEST(ScenarioTool, TheEditorGrammarsAreTheFormatTables) {
  testing::TempFolder folder;
  for (const char* kind : {"line", "train"}) {
    const ToolRun grammar = tool(folder.path(), {"lsp", "--grammar", kind});
    EXPECT_EQ(grammar.status, 0);
    const fs::path file = fs::path(SCENARIO_SOURCE_DIR) / "editors" / "vscode" / "syntaxes" /
                          (std::string("scenario-") + kind + ".tmLanguage.json");
    EXPECT_TRUE(grammar.out == testing::read_file(file)) << file << " is out of date";
  }
}

TEST(ScenarioTool, AnnotatedSourcesCompileToTheSameBytesAndCheckClean) {
  testing::TempFolder author;
  ASSERT_EQ(tool(author.path(), {"sources", "--annotated"}).status, 0);
  EXPECT_TRUE(testing::read_file(author / "Corvalle_Brinta_linea.txt").starts_with("-- "));
  const ToolRun check = tool(author.path(), {"check", "Corvalle_Brinta_linea.txt", "Corvalle_Brinta_24817-.txt"});
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_TRUE(lines_of(check.out).back().starts_with("0 errors, 0 warnings, 2 notes")) << check.out;
  const ToolRun compile =
      tool(author.path(), {"compile", "Corvalle_Brinta_linea.txt", "Corvalle_Brinta_24817-.txt", "out"});
  EXPECT_EQ(compile.status, 0) << compile.err;
  for (const std::string& name : kCompiled) {
    EXPECT_EQ(testing::read_file(author / "out" / name), testing::read_file(kGolden / name)) << name;
  }
}

TEST(ScenarioTool, ViewWritesOnePageFromCompiledFilesOrFromSources) {
  testing::TempFolder folder;
  for (const std::string& name : kCompiled) fs::copy_file(kGolden / name, folder / name);
  const ToolRun compiled = tool(folder.path(), {"view", "."});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_EQ(compiled.last_line(), "wrote ./Corvalle_Brinta_24817.html");
  const std::string page = testing::read_file(folder / "Corvalle_Brinta_24817.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("\"files\":[]"), std::string::npos);  // no sources to link to

  // From sources: every object links to its line; with a code set the page is
  // still written, the code reported as compile reports it, status 1.
  Author author;
  ASSERT_EQ(tool(author.folder.path(), {"view", "src/Valle_linea.txt", "src/Valle_123-.txt", "-o", "v.html"}).status,
            0);
  const std::string linked = testing::read_file(author.folder / "v.html");
  EXPECT_NE(linked.find("\"files\":[\"src/Valle_linea.txt\",\"src/Valle_123-.txt\"]"), std::string::npos);
  EXPECT_NE(linked.find("\"name\":\"MONTE\",\"p\":8050,\"src\":[1,6]"), std::string::npos);
  EXPECT_TRUE(author.sources_untouched());

  Author clash([](auto&, auto& train) {
    train.insert(train.begin() + 7, "segnale,    2810,   1, 4, 0,  0, 0,    0,  0,0,0, 0");
  });
  const ToolRun run = tool(clash.folder.path(), {"view", "src/Valle_linea.txt", "src/Valle_123-.txt"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(
      run.err.starts_with("src/Valle_123-.txt:8:13: error 16: the signal's cell 57 (progressive 2800) already "
                          "holds a signal (src/Valle_123-.txt:7)\n"))
      << run.err;
  EXPECT_NE(testing::read_file(clash.folder / "Valle_123.html").find("\"code\":\"16\""), std::string::npos);
  EXPECT_EQ(tool(clash.folder.path(), {"view", "src/none_linea.txt", "src/Valle_123-.txt"}).status, 2);
}

TEST(ScenarioTool, HelpVersionAndUsageErrors) {
  testing::TempFolder folder;
  for (const char* command :
       {"sources", "check", "compile", "dump", "plot", "view", "decompile", "diff", "explain", "lsp"}) {
    const ToolRun help = tool(folder.path(), {command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_EQ(help.out.rfind(std::string("usage: scenario_tool ") + command, 0), 0u) << help.out;
    EXPECT_NE(help.out.find("Exit status"), std::string::npos) << command;
  }
  EXPECT_EQ(tool(folder.path(), {"--help"}).status, 0);
  EXPECT_EQ(tool(folder.path(), {"--version"}).out, "scenario_tool " SCENARIO_VERSION "\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"draw"},
                                             {"dump"},
                                             {"dump", "a", "b"},
                                             {"sources", "--quiet"},
                                             {"plot"},
                                             {"compile", "--no-plan=1"},
                                             {"check", "a_linea.txt"},
                                             {"explain"},
                                             {"lsp", "--grammar", "both"},
                                             {"lsp", "--debounce", "soon"},
                                             {"view"},
                                             {"view", "a", "b", "c"},
                                             {"view", "a", "b", "--port", "80"},
                                             {"view", "a", "b", "--watch", "--port", "http"},
                                             {"decompile"},
                                             {"decompile", "a", "b"},
                                             {"diff", "a"},
                                             {"diff", "--quick", "a", "b"}}) {
    EXPECT_EQ(tool(folder.path(), args).status, 64) << (args.empty() ? "" : args[0]);
  }
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

// The golden compiled files in `folder`/`sub`.
void copy_golden(const fs::path& folder) {
  fs::create_directories(folder);
  for (const std::string& name : kCompiled) fs::copy_file(kGolden / name, folder / name);
}

TEST(ScenarioTool, DecompileWritesSourcesThatCompileBackToTheSameBytes) {
  testing::TempFolder folder;
  copy_golden(folder / "in");
  const ToolRun run = tool(folder.path(), {"decompile", "in", "-o", "rec"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.last_line(), "round trip: the sources give every byte of the compiled files");
  const ToolRun compile =
      tool(folder.path(), {"compile", "rec/Corvalle_Brinta_linea.txt", "rec/Corvalle_Brinta_24817-.txt", "out"});
  ASSERT_EQ(compile.status, 0) << compile.err;
  for (const std::string& name : kCompiled) {
    EXPECT_TRUE(testing::read_file(folder / "out" / name) == testing::read_file(kGolden / name)) << name;
  }
  // An author's sources are never replaced unless forced.
  const std::string line = testing::read_file(folder / "rec/Corvalle_Brinta_linea.txt");
  testing::write_file(folder / "rec/Corvalle_Brinta_linea.txt", "edited");
  EXPECT_EQ(tool(folder.path(), {"decompile", "in", "-o", "rec"}).status, 2);
  EXPECT_EQ(testing::read_file(folder / "rec/Corvalle_Brinta_linea.txt"), "edited");
  EXPECT_EQ(tool(folder.path(), {"decompile", "in", "-o", "rec", "--force"}).status, 0);
  EXPECT_EQ(testing::read_file(folder / "rec/Corvalle_Brinta_linea.txt"), line);
}

TEST(ScenarioTool, DecompileNamesWhatNoSourceGivesAndStillWritesTheClosestSources) {
  struct Case {
    std::string what;
    std::string file;
    std::function<void(std::string&)> edit;
    std::string named;  // on standard error
  };
  const Case cases[] = {
      {"a cell that no record makes", "Corvalle_Brinta_24817.dat", [](std::string& b) { b[15 * 700] = 7; },
       "cell 700 (progressive 34950): error 413: tipo 7, which no record makes"},
      {"an approach marker with no signal", "Corvalle_Brinta_24817.dat", [](std::string& b) { b[15 * 2000 + 10] = 5; },
       "cell 2000 (progressive 99950): error 419: avviso 5, which no signal or station writes"},
      {"a plan point off the curve classes", "Corvalle_Brinta_linea.dat",
       [](std::string& b) { b[4 + 4 + 10 * 600 + 2] ^= 1; }, "plan metre 602: error 422: the point"},
  };
  for (const Case& k : cases) {
    testing::TempFolder folder;
    copy_golden(folder / "in");
    std::string bytes = testing::read_file(folder / "in" / k.file);
    k.edit(bytes);
    testing::write_file(folder / "in" / k.file, bytes);
    const ToolRun run = tool(folder.path(), {"decompile", "in", "-o", "rec"});
    EXPECT_EQ(run.status, 1) << k.what << "\n" << run.err;
    EXPECT_NE(run.err.find(k.named), std::string::npos) << k.what << "\n" << run.err;
    EXPECT_TRUE(fs::exists(folder / "rec/Corvalle_Brinta_linea.txt")) << k.what;
    EXPECT_TRUE(fs::exists(folder / "rec/Corvalle_Brinta_24817-.txt")) << k.what;
  }
}

// Compiled files that do not decode whole: decompile still writes the
// closest sources but claims nothing (exit 1, no round trip), and diff cannot
// read that side (exit 2); both name the file and the byte where it stops
// fitting.
TEST(ScenarioTool, DecompileAndDiffNameADamagedFileAndItsByte) {
  const std::string plan = "Corvalle_Brinta_linea.dat";
  const std::string sim = "Corvalle_Brinta_24817.sim";
  const std::string route = "Corvalle_Brinta_24817.dat";
  const std::string sim_bytes = testing::read_file(kGolden / sim);
  const std::size_t length_at = decode_scenario(sim_bytes).offsets[voce::treno_e_linea] + 5;
  struct Case {
    std::string what;
    std::string file;
    std::function<void(std::string&)> edit;
    int32_t code;
    std::function<std::size_t(std::size_t)> offset;  // of the file's size before the edit
  };
  const auto at_end = [](std::size_t size) { return size; };
  const Case cases[] = {
      {"a stray byte after the plan", plan, [](std::string& b) { b += '\x01'; }, 401, at_end},
      {"34 bytes 0xFF after the plan", plan, [](std::string& b) { b += std::string(34, '\xff'); }, 401, at_end},
      {"a stray byte after the scenario file", sim, [](std::string& b) { b += 'x'; }, 401, at_end},
      {"a stray cell after the route file", route, [](std::string& b) { b += std::string(15, '\0'); }, 401, at_end},
      {"the plan cut", plan, [](std::string& b) { b.resize(b.size() - 10); }, 400,
       [](std::size_t size) { return size - 10; }},
      {"the scenario file cut", sim, [](std::string& b) { b.resize(b.size() - 3); }, 400,
       [](std::size_t size) { return size - 3; }},
      {"the route file cut", route, [](std::string& b) { b.resize(b.size() - 20); }, 400,
       [](std::size_t size) { return size - 20; }},
      {"a text count past the end", sim, [](std::string& b) { b[14] = '\xff', b[15] = '\x7f'; }, 402,
       [](std::size_t) { return std::size_t{14}; }},
      {"a line length no line has", sim,
       [length_at](std::string& b) { b.replace(length_at, 4, std::string("\x80\x84\x1e\x00", 4)); }, 404,
       [length_at](std::size_t) { return length_at; }},
  };
  for (const Case& k : cases) {
    testing::TempFolder folder;
    copy_golden(folder / "in");
    copy_golden(folder / "whole");
    std::string bytes = testing::read_file(folder / "in" / k.file);
    const std::size_t size = bytes.size();
    k.edit(bytes);
    testing::write_file(folder / "in" / k.file, bytes);
    const std::string named = k.file + ": byte " + std::to_string(k.offset(size)) + ": error " + std::to_string(k.code);

    const ToolRun decompiled = tool(folder.path(), {"decompile", "in", "-o", "rec"});
    EXPECT_EQ(decompiled.status, 1) << k.what << "\n" << decompiled.err;
    EXPECT_NE(decompiled.err.find(named), std::string::npos) << k.what << "\n" << decompiled.err;
    EXPECT_EQ(decompiled.last_line(), "round trip: not tried: the compiled files do not decode whole") << k.what;
    EXPECT_TRUE(fs::exists(folder / "rec/Corvalle_Brinta_24817-.txt")) << k.what;

    for (const std::vector<std::string>& sides : {std::vector<std::string>{"in", "whole"}, {"whole", "in"}}) {
      const ToolRun diff = tool(folder.path(), {"diff", sides[0], sides[1]});
      EXPECT_EQ(diff.status, 2) << k.what << "\n" << diff.out << diff.err;
      EXPECT_EQ(diff.out, "") << k.what;
      EXPECT_NE(diff.err.find(named), std::string::npos) << k.what << "\n" << diff.err;
    }
  }
}

TEST(ScenarioTool, DiffTellsTwoBuildsApartByKilometre) {
  testing::TempFolder folder;
  copy_golden(folder / "a");
  ASSERT_EQ(tool(folder.path(), {"sources", "src"}).status, 0);
  const ToolRun same =
      tool(folder.path(), {"diff", "a", "src/Corvalle_Brinta_linea.txt", "src/Corvalle_Brinta_24817-.txt"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "the same\n");

  // A station moved and retimed, a signal's value, a gradient and a curve.
  std::string train = testing::read_file(folder / "src/Corvalle_Brinta_24817-.txt");
  std::string line = testing::read_file(folder / "src/Corvalle_Brinta_linea.txt");
  const auto replace = [](std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace(train, "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0,",
          "stazione,    8100, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 4, 0,");
  replace(train, "segnale,    5400,   1, 3,", "segnale,    5400,   1, 4,");
  replace(line, "pendenza,  3200,   -2", "pendenza,  3200,   -3");
  replace(line, "curvas3,  4200,  1100", "curvas4,  4200,  1100");
  testing::write_file(folder / "src/Corvalle_Brinta_24817-.txt", train);
  testing::write_file(folder / "src/Corvalle_Brinta_linea.txt", line);
  ASSERT_EQ(
      tool(folder.path(), {"compile", "src/Corvalle_Brinta_linea.txt", "src/Corvalle_Brinta_24817-.txt", "b"}).status,
      0);
  const ToolRun diff = tool(folder.path(), {"diff", "a", "b"});
  EXPECT_EQ(diff.status, 1) << diff.err;
  const std::vector<std::string> expected = {
      "station: moved: \"VALDIRONE\" from km 6+550 to km 6+600",
      "station: retimed: \"VALDIRONE\" 14:03:00 -> 14:04:00",
      "signal at km 3+900: changed: s1 3 -> 4",
      "gradient: changed: between km 1+700 and km 3+300: -2 -> -3 per mille",
      "curve at km 2+700: changed: curvas3 -> curvas4",
  };
  EXPECT_EQ(lines_of(diff.out), expected);

  const ToolRun json = tool(folder.path(), {"diff", "a", "b", "--json"});
  EXPECT_EQ(json.status, 1);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["same"], false);
  ASSERT_EQ(doc["differences"].size(), expected.size());
  EXPECT_EQ(doc["differences"][0]["kind"], "station");
  EXPECT_EQ(doc["differences"][0]["from"], 8050);
  EXPECT_EQ(doc["differences"][0]["to_km"], "km 6+600");
  EXPECT_EQ(doc["differences"][3]["from"], 3200);
  EXPECT_EQ(doc["differences"][3]["to"], 4800);
}

// The run of the train, from sources and from compiled files, and in check.
TEST(ScenarioTool, RunGradesTheTimetableFromSourcesAndCompiledFiles) {
  // The small train runs at 80 km/h: 7.8 km take more than the 5 minutes
  // its timetable gives; it has no braked-mass percentage.
  Author author;
  const std::vector<std::string> sources = {"src/Valle_linea.txt", "src/Valle_123-.txt"};
  const auto with = [&sources](std::vector<std::string> args) {
    args.insert(args.begin() + 1, sources.begin(), sources.end());
    return args;
  };
  const ToolRun text = tool(author.folder.path(), with({"run"}));
  EXPECT_EQ(text.status, 1) << text.err;
  EXPECT_NE(text.out.find("PIANA                MONTE                     5:00"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("src/Valle_123-.txt:6:63: warning 500: the leg \"PIANA\" to \"MONTE\" cannot be kept"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("note 504"), std::string::npos) << text.out;

  // check leaves the run out unless asked; with --run its findings stand at
  // the station's time fields, in SARIF too.
  const ToolRun plain = tool(author.folder.path(), with({"check"}));
  EXPECT_EQ(plain.status, 0) << plain.out;
  const ToolRun sarif = tool(author.folder.path(), with({"check", "--run", "--format", "sarif"}));
  EXPECT_EQ(sarif.status, 1) << sarif.out;
  std::vector<std::string> rules;
  const nlohmann::json log = nlohmann::json::parse(sarif.out);
  for (const nlohmann::json& result : log.at("runs")[0].at("results")) {
    rules.push_back(result.at("ruleId"));
    if (result.at("ruleId") == "500") {
      const nlohmann::json& region = result.at("locations")[0].at("physicalLocation").at("region");
      EXPECT_EQ(region.at("startLine"), 6);
      EXPECT_EQ(region.at("startColumn"), 63);
      EXPECT_EQ(region.at("endColumn"), 71);
    }
  }
  EXPECT_EQ(rules, (std::vector<std::string>{"504", "500"}));
  const ToolRun disabled = tool(author.folder.path(), with({"check", "--run", "--disable", "500"}));
  EXPECT_EQ(disabled.status, 0) << disabled.out;

  // The compiled built-in scenario, as JSON: every leg, the boards, the
  // points of the run. With 20 s at the stops instead of 30 its first leg
  // can be kept.
  const ToolRun json = tool(kGolden, {"run", ".", "--format", "json", "--dwell", "20"});
  EXPECT_EQ(json.status, 0) << json.err;
  const nlohmann::json run = nlohmann::json::parse(json.out);
  EXPECT_EQ(run.at("legs").size(), 12u);
  EXPECT_EQ(run.at("boards").size(), 1u);
  EXPECT_EQ(run.at("options").at("dwell_s"), 20);
  EXPECT_EQ(run.at("points_columns")[4], "limited_by");
  EXPECT_GT(run.at("points").size(), 1000u);

  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } refused[] = {
      {with({"check", "--allowance", "3"}), 64, "--allowance goes with --run"},
      {with({"run", "--allowance", "-1"}), 64, "--allowance takes a number from 0 to 100"},
      {with({"run", "--rolling-stock", "missing.json"}), 2, "missing.json"},
      {with({"run", "--format", "sarif"}), 64, "--format takes text or json"},
  };
  for (const auto& k : refused) {
    const ToolRun r = tool(author.folder.path(), k.args);
    EXPECT_EQ(r.status, k.status) << k.says;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace scenario
