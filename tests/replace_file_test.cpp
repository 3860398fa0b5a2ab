// Replacing a file: all or nothing.
#include "base/replace_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "base/run_time_failure.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

std::size_t entries(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ReplaceFile, CreatesANewFileAndReplacesAnOlderLongerOne) {
  TempFolder folder;
  replace_file(folder / "a.dat", "first");
  EXPECT_EQ(read_file(folder / "a.dat"), "first");
  write_file(folder / "a.dat", std::string(5000, 'x'));
  replace_file(folder / "a.dat", std::string("ab\0c", 4));
  EXPECT_EQ(read_file(folder / "a.dat"), std::string("ab\0c", 4));
  EXPECT_EQ(entries(folder.path()), 1u);
}

TEST(ReplaceFile, ADirectoryInThePlaceOfTheFileFailsAndLeavesNothingBehind) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "a.dat");
  write_file(folder / "a.dat" / "inside", "kept");
  try {
    replace_file(folder / "a.dat", "new");
    FAIL() << "expected a run-time failure";
  } catch (const RunTimeFailure& failure) {
    EXPECT_NE(std::string(failure.what()).find("a.dat"), std::string::npos) << failure.what();
  }
  EXPECT_EQ(read_file(folder / "a.dat" / "inside"), "kept");
  EXPECT_EQ(entries(folder.path()), 1u);
}

TEST(ReplaceFile, AMissingFolderFailsWithTheSystemsReason) {
  TempFolder folder;
  try {
    replace_file(folder / "missing" / "a.dat", "new");
    FAIL() << "expected a run-time failure";
  } catch (const RunTimeFailure& failure) {
    EXPECT_NE(std::string(failure.what()).find("No such file or directory"), std::string::npos) << failure.what();
  }
}

// A write that stops part-way (here: the file-size limit) must leave the older
// file byte-identical and no temporary file. Run in a child process so that the
// limit does not touch the test runner.
TEST(ReplaceFile, AWriteThatFailsPartWayKeepsTheOlderFile) {
  TempFolder folder;
  const std::string older(300, 'o');
  write_file(folder / "a.dat", older);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      replace_file(folder / "a.dat", std::string(5000, 'n'));
    } catch (const RunTimeFailure&) {
      _exit(0);
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
  EXPECT_EQ(read_file(folder / "a.dat"), older);
  EXPECT_EQ(entries(folder.path()), 1u);
}

}  // namespace
}  // namespace scenario
