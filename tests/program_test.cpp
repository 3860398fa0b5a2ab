// The console program as a user runs it: a copy of the executable in a folder
// of its own, started from somewhere else. Then the same program against a
// disk that refuses its files: each failure must end the run with status 2 and
// a message naming the file and the reason, and leave every file of an earlier
// run exactly as it was, with no temporary file beside it. Last, two runs in
// one folder at once.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/replace_file.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 125;
constexpr int kCannotExec = 126;

// A copy of the program in a fresh folder; its messages go to a file in
// another folder, which is also the working folder of the run.
class ProgramCopy {
 public:
  ProgramCopy() : exe_(folder_ / "scenario_builder") { fs::copy_file(SCENARIO_BUILDER_EXE, exe_); }

  const fs::path& folder() const { return folder_.path(); }
  const fs::path& working_folder() const { return elsewhere_.path(); }

  // Runs the program; `prepare` runs in the child just before the program
  // starts. Returns the exit status, or -1 when a signal ended the program.
  int run(const std::function<void()>& prepare = [] {}) {
    const pid_t child = start("stderr.txt", prepare);
    const int status = wait_for(child);
    message_ = testing::read_file(elsewhere_ / "stderr.txt");
    return status;
  }

  // Starts the program with its messages going to `messages` in the working
  // folder, without waiting for it.
  pid_t start(
      const std::string& messages, const std::function<void()>& prepare = [] {}) {
    const fs::path err = elsewhere_ / messages;
    const pid_t child = fork();
    if (child == 0) {
      const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, STDERR_FILENO) < 0 || chdir(elsewhere_.path().c_str()) != 0) _exit(kCannotExec);
      prepare();
      std::vector<char*> argv{const_cast<char*>(exe_.c_str())};
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(exe_.c_str(), argv.data());
      _exit(kCannotExec);
    }
    return child;
  }

  // The exit status of a started program, or -1 when a signal ended it.
  static int wait_for(pid_t child) {
    if (child < 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& message() const { return message_; }

  // The program's arguments, for the runs started from now on.
  std::vector<std::string> arguments;

  // Every entry of the program's folder but the program, with the bytes of
  // each file ("<directory>" for a folder).
  std::map<std::string, std::string> contents() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder())) {
      if (entry.path() == exe_) continue;
      files[entry.path().filename().string()] = entry.is_directory() ? "<directory>" : testing::read_file(entry.path());
    }
    return files;
  }

 private:
  testing::TempFolder folder_;
  testing::TempFolder elsewhere_;
  fs::path exe_;
  std::string message_;
};

// A run that failed on `file` for `reason` left the folder as `before`.
void expect_failure_left_folder_as_it_was(const ProgramCopy& program, int status, const std::string& file,
                                          const std::string& reason, const std::map<std::string, std::string>& before) {
  EXPECT_EQ(status, 2);
  EXPECT_NE(program.message().find(file), std::string::npos) << program.message();
  EXPECT_NE(program.message().find(reason), std::string::npos) << program.message();
  const std::map<std::string, std::string> after = program.contents();
  EXPECT_EQ(after.size(), before.size()) << "a file appeared or went missing (a temporary left behind?)";
  for (const auto& [name, bytes] : before) {
    const auto found = after.find(name);
    if (found == after.end()) {
      ADD_FAILURE() << name << " went missing";
    } else {
      EXPECT_TRUE(found->second == bytes) << name << " changed";
    }
  }
}

TEST(Program, WritesItsFilesNextToItselfNotInTheWorkingFolder) {
  ProgramCopy program;
  EXPECT_EQ(program.run(), 0);
  EXPECT_EQ(program.message(), "Attendere\n");
  for (const char* name : {"Corvalle_Brinta_24817.sim", "Corvalle_Brinta_24817.dat"}) {
    EXPECT_TRUE(fs::exists(program.folder() / name)) << name;
    EXPECT_FALSE(fs::exists(program.working_folder() / name)) << name;
  }
}

TEST(Program, AFolderStandingWhereAnOutputFileGoesEndsTheRunAndKeepsEverythingElse) {
  ProgramCopy program;
  ASSERT_EQ(program.run(), 0);
  // The plan file is the first compiled file written: the scenario and route
  // files of the earlier run must not be touched.
  fs::remove(program.folder() / "Corvalle_Brinta_linea.dat");
  fs::create_directory(program.folder() / "Corvalle_Brinta_linea.dat");
  testing::write_file(program.folder() / "Corvalle_Brinta_linea.dat" / "inside", "kept");
  const auto before = program.contents();

  const int status = program.run();
  expect_failure_left_folder_as_it_was(program, status, "Corvalle_Brinta_linea.dat", "Is a directory", before);
  EXPECT_EQ(testing::read_file(program.folder() / "Corvalle_Brinta_linea.dat" / "inside"), "kept");
}

// As root, permissions do not stop a write: the program then runs as nobody,
// for whom the folder (root's, mode 755) is read-only.
TEST(Program, AFolderItCannotWriteEndsTheRunAtTheFirstFile) {
  ProgramCopy program;
  ASSERT_EQ(program.run(), 0);
  const auto before = program.contents();

  std::function<void()> prepare = [] {};
  if (geteuid() == 0) {
    prepare = [] {
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(kCannotDropPrivileges);
    };
  } else {
    fs::permissions(program.folder(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (access(program.folder().c_str(), W_OK) == 0) GTEST_SKIP() << "this user can write to a read-only folder";
  }

  const int status = program.run(prepare);
  if (status == kCannotDropPrivileges) GTEST_SKIP() << "cannot run the program as nobody here";
  if (status == kCannotExec) GTEST_SKIP() << "nobody cannot run the program from " << program.folder();
  expect_failure_left_folder_as_it_was(program, status, "Corvalle_Brinta_linea.txt", "Permission denied", before);
}

// A file-size limit between the sizes of the small files and the plan file:
// everything before the plan file is written, the plan file's write stops
// part-way, and the earlier plan, scenario and route files stay whole.
TEST(Program, AWriteThatStopsPartWayThroughThePlanFileKeepsTheEarlierFiles) {
  ProgramCopy program;
  ASSERT_EQ(program.run(), 0);
  const auto before = program.contents();
  ASSERT_GT(before.at("Corvalle_Brinta_linea.dat").size(), 1u << 20);
  ASSERT_LT(before.at("Corvalle_Brinta_24817.dat").size(), 1u << 20);

  const int status = program.run([] {
    std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end of the process
    const rlimit limit{1u << 20, 1u << 20};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kCannotDropPrivileges);
  });
  expect_failure_left_folder_as_it_was(program, status, "Corvalle_Brinta_linea.dat", "File too large", before);
}

// A run that fails on any of the files written after the line source (a
// folder standing where it goes) ends with status 2 and deletes the sources
// it wrote: the folder then holds what the earlier run left, and nothing else.
TEST(Program, ARunThatFailsOnAnyTextFileLeavesNoSourceFileBehind) {
  for (const char* file : {"Corvalle_Brinta_24817-.txt", "Corvalle_Brinta_24817_note.txt",
                           "Corvalle_Brinta_24817_rallentamenti.txt", "Corvalle_Brinta_24817_scheda_treno.txt"}) {
    SCOPED_TRACE(file);
    ProgramCopy program;
    ASSERT_EQ(program.run(), 0);
    fs::remove(program.folder() / file);
    fs::create_directory(program.folder() / file);
    const auto before = program.contents();

    const int status = program.run();
    expect_failure_left_folder_as_it_was(program, status, file, "Is a directory", before);
    for (const char* source : {"Corvalle_Brinta_linea.txt", "Corvalle_Brinta_24817-.txt"}) {
      EXPECT_FALSE(fs::is_regular_file(program.folder() / source)) << source << " was left behind";
    }
  }
}

// With a folder given, the build goes there and nowhere else; --help and
// --version print and build nothing; anything else is a usage error.
TEST(Program, WritesIntoTheFolderItIsGiven) {
  ProgramCopy program;
  testing::TempFolder target;
  program.arguments = {target.path().string()};
  EXPECT_EQ(program.run(), 0) << program.message();
  EXPECT_TRUE(program.contents().empty());
  EXPECT_TRUE(fs::exists(target / "Corvalle_Brinta_24817.sim"));
  EXPECT_FALSE(fs::exists(target / "Corvalle_Brinta_linea.txt"));
}

TEST(Program, HelpVersionAndUsageErrorsBuildNothing) {
  const struct {
    std::vector<std::string> arguments;
    int status;
  } cases[] = {{{"--help"}, 0},        {{"--version"}, 0}, {{"-h", "somewhere"}, 0},
               {{"--frobnicate"}, 64}, {{"a", "b"}, 64},   {{""}, 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    ProgramCopy program;
    program.arguments = c.arguments;
    EXPECT_EQ(program.run(), c.status) << program.message();
    EXPECT_TRUE(program.contents().empty()) << "a build ran";
    for (const auto& entry : fs::directory_iterator(program.working_folder())) {
      EXPECT_EQ(entry.path().filename(), "stderr.txt") << "a build ran in the working folder";
    }
  }
}

// The folder then holds the six files of a build, byte for byte, and nothing else.
void expect_the_six_golden_files(const ProgramCopy& program) {
  const fs::path golden = fs::path(SCENARIO_SOURCE_DIR) / "tests" / "golden";
  std::map<std::string, std::string> expected;
  for (const auto& entry : fs::directory_iterator(golden)) {
    if (entry.path().filename() != "regenerate.sh")
      expected[entry.path().filename().string()] = testing::read_file(entry);
  }
  const auto actual = program.contents();
  EXPECT_EQ(actual.size(), expected.size());
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    EXPECT_TRUE(found != actual.end() && found->second == bytes) << name << " is missing or differs";
  }
}

// A double double-click: two runs in one folder at once. Each writes, reads
// back and deletes the same source files, so the later one waits for the
// earlier; both end normally and the folder holds one build's files.
TEST(Program, TwoRunsStartedAtOnceInOneFolderBothEndNormally) {
  ProgramCopy program;
  for (int round = 0; round < 5; ++round) {
    const pid_t first = program.start("first.txt");
    const pid_t second = program.start("second.txt");
    EXPECT_EQ(ProgramCopy::wait_for(first), 0) << testing::read_file(program.working_folder() / "first.txt");
    EXPECT_EQ(ProgramCopy::wait_for(second), 0) << testing::read_file(program.working_folder() / "second.txt");
    expect_the_six_golden_files(program);
  }
}

// While another run holds the folder, a run shows its waiting line and writes
// nothing; once the folder is free it builds.
TEST(Program, ARunWaitsWhileAnotherHoldsTheFolder) {
  ProgramCopy program;
  const int held =
      open(program.folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // the run must not inherit the hold
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);

  const pid_t run = program.start("waiting.txt");
  usleep(300'000);
  EXPECT_EQ(waitpid(run, nullptr, WNOHANG), 0) << "the run did not wait";
  EXPECT_TRUE(program.contents().empty()) << "the run wrote while the folder was held";
  EXPECT_EQ(testing::read_file(program.working_folder() / "waiting.txt"), "Attendere\n");

  close(held);
  EXPECT_EQ(ProgramCopy::wait_for(run), 0);
  expect_the_six_golden_files(program);
}

// Runs killed at random moments: what the next run finds first (the folder
// brought back as it starts) is the earlier compiled set or the new one,
// never a mix, and after it the folder holds the six files and nothing else.
TEST(Program, AKilledRunLeavesTheEarlierSetOrTheNewOneAndTheNextRunNoLeftover) {
  ProgramCopy program;
  ASSERT_EQ(program.run(), 0);
  const auto built = program.contents();
  const std::string compiled[] = {"Corvalle_Brinta_linea.dat", "Corvalle_Brinta_24817.sim",
                                  "Corvalle_Brinta_24817.dat"};
  std::mt19937 random(30);
  int earlier_sets = 0, new_sets = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    for (const std::string& name : compiled) testing::write_file(program.folder() / name, "earlier " + name);
    const pid_t run = program.start("killed.txt");
    usleep(static_cast<useconds_t>(random() % 500'000));
    kill(run, SIGKILL);
    ProgramCopy::wait_for(run);

    DiskWriteFolder folder(program.folder());
    recover_folder(folder);
    const auto after = program.contents();
    int earlier = 0, fresh = 0;
    for (const std::string& name : compiled) {
      const auto found = after.find(name);
      ASSERT_NE(found, after.end()) << name;
      earlier += found->second == "earlier " + name;
      fresh += found->second == built.at(name);
    }
    EXPECT_TRUE(earlier == 3 || fresh == 3) << earlier << " earlier, " << fresh << " new";
    earlier_sets += earlier == 3;
    new_sets += fresh == 3;
    for (const auto& [name, bytes] : after) EXPECT_FALSE(is_replacement_leftover(name)) << name;

    ASSERT_EQ(program.run(), 0) << program.message();
    expect_the_six_golden_files(program);
  }
  std::cout << "killed runs: " << earlier_sets << " left the earlier set, " << new_sets << " the new one\n";
}

}  // namespace
}  // namespace scenario
