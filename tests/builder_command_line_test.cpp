// The Linux program's command line and the folder a build without one goes to.
#include "driver/builder_command_line.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

namespace fs = std::filesystem;
using Action = BuilderCommandLine::Action;

TEST(BuilderCommandLine, ReadsAFolderHelpVersionAndRefusesTheRest) {
  const struct {
    std::vector<std::string> arguments;
    Action action;
    std::optional<fs::path> folder;
  } cases[] = {
      {{}, Action::build, std::nullopt},
      {{"out"}, Action::build, fs::path("out")},
      {{"--", "-odd-name"}, Action::build, fs::path("-odd-name")},
      {{"--help"}, Action::help, std::nullopt},
      {{"out", "-h"}, Action::help, std::nullopt},
      {{"--version", "out"}, Action::version, std::nullopt},
      {{"--verbose"}, Action::usage_error, std::nullopt},
      {{"a", "b"}, Action::usage_error, std::nullopt},
      {{""}, Action::usage_error, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const BuilderCommandLine line = parse_builder_command_line(c.arguments);
    EXPECT_EQ(line.action, c.action);
    if (c.action == Action::build) {
      EXPECT_EQ(line.folder, c.folder);
    }
    EXPECT_EQ(line.error.empty(), c.action != Action::usage_error) << line.error;
  }
}

// Next to itself from a folder of its own; into the working folder when it is
// an installed command.
TEST(BuilderCommandLine, ABuildWithoutAFolderWritesNextToTheProgramUnlessItIsInstalled) {
  const fs::path here = "/home/author/line";
  const std::vector<fs::path> path = {"/usr/local/bin", "/usr/bin", "/home/author/tools/bin/"};
  const struct {
    fs::path program_folder;
    bool installed;
  } cases[] = {
      {"/home/author/scenario", false},
      {"/home/author/project/build/bin", false},
      {"/tmp/scenario-builder-1.0.0-linux-x86_64/bin", false},
      {"/usr/bin", true},
      {"/usr/bin/", true},
      {"/usr/local/bin", true},
      {"/bin", true},
      {"/tmp/root/usr/bin", true},  // an unpacked package
      {"/home/author/tools/bin", true},
      {"/home/author/usr/binaries", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program_folder);
    EXPECT_EQ(builder_output_folder(c.program_folder, here, path), c.installed ? here : c.program_folder);
  }
  EXPECT_EQ(builder_output_folder("/home/author/tools/bin", here, {}), "/home/author/tools/bin");
}

TEST(BuilderCommandLine, SplitsTheSearchPath) {
  EXPECT_EQ(split_search_path("/a:/b/c::/d:"), (std::vector<fs::path>{"/a", "/b/c", "/d"}));
  EXPECT_TRUE(split_search_path("").empty());
}

}  // namespace
}  // namespace scenario
