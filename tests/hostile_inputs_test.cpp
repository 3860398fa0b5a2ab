// The tool given hostile files, as an attacker of the files would: control
// bytes for the terminal, keywords and sources of megabytes, a file-size
// limit, and a compiled file whose stored name climbs out of its folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/small_scenario.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempFolder;
using testing::write_file;

struct ToolRun {
  int status = -1;
  std::string output;  // standard output, then standard error
};

// scenario_tool with `args` in `folder`, after the shell's `prefix` (a limit).
ToolRun tool(const fs::path& folder, const std::string& args, const std::string& prefix = "") {
  const fs::path out = folder / "tool.out";
  const std::string command = "cd '" + folder.string() + "' && " + prefix + " '" + SCENARIO_TOOL_EXE + "' " + args +
                              " >'" + out.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out)};
  fs::remove(out);
  return run;
}

struct Sources {
  TempFolder folder;
  explicit Sources(const std::function<void(std::vector<std::string>&)>& edit_line = nullptr) {
    std::vector<std::string> line = testing::kSmallLine;
    if (edit_line) edit_line(line);
    write_file(folder / "Valle_linea.txt", testing::crlf(line));
    write_file(folder / "Valle_123-.txt", testing::crlf(testing::kSmallTrain));
  }
};

std::map<std::string, std::string> contents_of(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(folder)) {
    contents[entry.path().filename().string()] = read_file(entry.path());
  }
  return contents;
}

// Hostile sources for check and compile: each ends with the status and the
// words given, never with a raw control byte on the terminal, and in bounded
// time and memory.
TEST(HostileInputs, SourcesEndWithAClearResultAndNoRawControlByte) {
  const struct {
    const char* what;
    std::function<void(std::vector<std::string>&)> edit;
    std::string command;
    int status;
    std::string shown;
  } cases[] = {
      {"an escape sequence in a keyword",
       [](auto& line) {
         line[6] =
             "pen\x1b]0;owned\x07"
             "denza,  1500,   -5";
       },
       "check Valle_linea.txt Valle_123-.txt", 1, "pen\\x1b]0;owned\\x07denza"},
      {"the same through compile", [](auto& line) { line[6] = "pen\x1b[2Jdenza,  1500,   -5"; },
       "compile Valle_linea.txt Valle_123-.txt out", 0, "pen\\x1b[2Jdenza"},
      {"a keyword of 6 MB", [](auto& line) { line[6] = std::string(6u << 20, 'p') + ",  1500,   -5"; },
       "check Valle_linea.txt Valle_123-.txt", 1, "names no record"},
      {"one mistake repeated 150 times", [](auto& line) { line.insert(line.begin() + 7, 150, "pendeza,  1600,   -5"); },
       "check Valle_linea.txt Valle_123-.txt", 1, "\nand 50 more of warning 201\n"},
      {"a source beyond the size limit", [](auto& line) { line.insert(line.begin() + 1, std::string(9u << 20, ' ')); },
       "check Valle_linea.txt Valle_123-.txt", 2, "a source file may hold at most 8388608 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Sources sources(c.edit);
    const ToolRun run = tool(sources.folder.path(), c.command);
    EXPECT_EQ(run.status, c.status) << run.output.substr(0, 2000);
    EXPECT_NE(run.output.find(c.shown), std::string::npos) << run.output.substr(0, 2000);
    for (const char c0 : run.output) {
      const auto byte = static_cast<unsigned char>(c0);
      ASSERT_FALSE(byte < 0x20 && byte != '\n' && byte != '\t') << "raw control byte " << int(byte);
    }
  }
}

// A file-size limit makes the compile's write fail like any other: exit
// status 2, the file named, the earlier set byte-identical, no temporary.
TEST(HostileInputs, AFileSizeLimitIsAWriteFailureThatKeepsTheEarlierSet) {
  Sources sources;
  ASSERT_EQ(tool(sources.folder.path(), "compile Valle_linea.txt Valle_123-.txt out").status, 0);
  const auto earlier = contents_of(sources.folder / "out");
  write_file(sources.folder / "Valle_123-.txt",
             testing::crlf(testing::kSmallTrain).replace(0, 0, "; a changed train\r\n"));
  const ToolRun run = tool(sources.folder.path(), "compile Valle_linea.txt Valle_123-.txt out", "ulimit -f 64 &&");
  EXPECT_EQ(run.status, 2) << run.output;
  EXPECT_NE(run.output.find("Valle_linea.dat"), std::string::npos) << run.output;
  EXPECT_EQ(contents_of(sources.folder / "out"), earlier);
}

// A line name stored in a scenario file is a name, not a path: one that
// climbs out of the folder makes no reader open the file it names there.
TEST(HostileInputs, AStoredLineNameThatClimbsOutOfTheFolderIsNotFollowed) {
  Sources sources;
  ASSERT_EQ(tool(sources.folder.path(), "compile Valle_linea.txt Valle_123-.txt out").status, 0);
  const fs::path sim = sources.folder / "out" / "Valle_123.sim";
  std::string bytes = read_file(sim);
  const std::string stored = std::string("\x05\x00", 2) + "Valle";
  const std::size_t at = bytes.rfind(stored);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, stored.size(), std::string("\x0a\x00", 2) + "../outside");
  write_file(sim, bytes);
  write_file(sources.folder / "outside_linea.dat", "not a plan: a file outside the folder");

  for (const std::string command : {"decompile out -o recovered", "view out -o page.html", "plot out -o plot.svg"}) {
    SCOPED_TRACE(command);
    const ToolRun run = tool(sources.folder.path(), command);
    EXPECT_EQ(run.output.find("outside_linea.dat"), std::string::npos) << run.output;
    EXPECT_NE(run.status, -1);
  }
}

// A folder whose replacement a kill interrupted is not read as a scenario (its
// files may be of two builds); the next compile into it undoes the
// replacement first, then writes its own set.
TEST(HostileInputs, AnInterruptedReplacementIsRefusedByReadersAndUndoneByTheNextCompile) {
  Sources sources;
  ASSERT_EQ(tool(sources.folder.path(), "compile Valle_linea.txt Valle_123-.txt out").status, 0);
  const auto built = contents_of(sources.folder / "out");
  write_file(sources.folder / "out" / ".Valle_123.sim.1234567.old", "the earlier scenario file");
  write_file(sources.folder / "out" / ".scenario_set.journal",
             "scenario set 1\nValle_123.sim/.Valle_123.sim.7654321.tmp/.Valle_123.sim.1234567.old\n");

  const ToolRun view = tool(sources.folder.path(), "view out -o page.html");
  EXPECT_EQ(view.status, 2);
  EXPECT_NE(view.output.find("was interrupted"), std::string::npos) << view.output;

  ASSERT_EQ(tool(sources.folder.path(), "compile Valle_linea.txt Valle_123-.txt out").status, 0);
  EXPECT_EQ(contents_of(sources.folder / "out"), built);
}

}  // namespace
}  // namespace scenario
