// The console program as a user runs it: a copy of the executable in a folder
// of its own, started from somewhere else.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Program, WritesItsFilesNextToItselfNotInTheWorkingFolder) {
  testing::TempFolder program_folder;
  testing::TempFolder working_folder;
  const fs::path exe = program_folder / "scenario_builder";
  fs::copy_file(SCENARIO_BUILDER_EXE, exe);

  const int status = run("cd '" + working_folder.path().string() + "' && '" + exe.string() + "' 2>" +
                         (working_folder / "stderr.txt").string());
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testing::read_file(working_folder / "stderr.txt"), "Attendere\n");
  for (const char* name : {"Corvalle_Brinta_24817.sim", "Corvalle_Brinta_24817.dat"}) {
    EXPECT_TRUE(fs::exists(program_folder / name)) << name;
    EXPECT_FALSE(fs::exists(working_folder / name)) << name;
  }
}

TEST(Program, AFileThatCannotBeWrittenEndsTheRunWithStatus2AndItsName) {
  testing::TempFolder program_folder;
  const fs::path exe = program_folder / "scenario_builder";
  fs::copy_file(SCENARIO_BUILDER_EXE, exe);
  fs::create_directory(program_folder / "Corvalle_Brinta_24817.sim");  // a folder where the file goes

  const fs::path err = program_folder / "stderr.txt";
  EXPECT_EQ(run("'" + exe.string() + "' 2>'" + err.string() + "'"), 2);
  const std::string message = testing::read_file(err);
  EXPECT_NE(message.find("Corvalle_Brinta_24817.sim"), std::string::npos) << message;
  EXPECT_TRUE(fs::is_directory(program_folder / "Corvalle_Brinta_24817.sim"));
}

}  // namespace
}  // namespace scenario
