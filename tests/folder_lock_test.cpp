// The folder lock and the replacement on disk, with real processes: runs that
// wait for one another where the system's lock is missing, and kills at
// random moments of a replacement.
#include "base/folder_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/replace_file.h"
#include "output/compiled_files.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

void append_line(const std::filesystem::path& file, const std::string& line) {
  std::ofstream out(file, std::ios::app);
  out << line << "\n";
}

int wait_for(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

// Four runs at once through the lock file alone (as on a file system without
// locks): each holds the folder by itself, one after the other, and the lock
// file goes with the last of them.
TEST(FolderLock, WithoutTheSystemsLockRunsHoldTheFolderOneAfterTheOther) {
  TempFolder folder;
  const auto log = folder / "log";
  std::vector<pid_t> children;
  for (int run = 0; run < 4; ++run) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      hold_folder_lock_file(folder.path());
      append_line(log, "begin");
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      append_line(log, "end");
      std::exit(0);  // the lock file goes as the process ends normally
    }
    children.push_back(child);
  }
  for (const pid_t child : children) EXPECT_EQ(wait_for(child), 0);
  EXPECT_EQ(read_file(log), "begin\nend\nbegin\nend\nbegin\nend\nbegin\nend\n");
  EXPECT_FALSE(std::filesystem::exists(folder / kLockFileName));
}

// A lock file whose owner is gone (killed, or from before the machine
// started again) is taken over; a live owner's is waited for.
TEST(FolderLock, AStaleLockFileIsTakenOverAndALiveOneWaitedFor) {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  std::ifstream boot_file("/proc/sys/kernel/random/boot_id");
  std::string boot;
  std::getline(boot_file, boot);
  for (const std::string& stale : {"host " + std::string(host) + "\nboot " + boot + "\npid 999999999\nstart 1\n",
                                   "host " + std::string(host) + "\nboot another\npid 1\nstart 1\n"}) {
    TempFolder folder;
    write_file(folder / kLockFileName, stale);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      hold_folder_lock_file(folder.path());
      _exit(0);
    }
    EXPECT_EQ(wait_for(child), 0) << stale;
  }

  TempFolder folder;
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    hold_folder_lock_file(folder.path());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::exit(0);
  }
  while (!std::filesystem::exists(folder / kLockFileName)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const auto start = std::chrono::steady_clock::now();
  const pid_t waiter = fork();
  ASSERT_GE(waiter, 0);
  if (waiter == 0) {
    hold_folder_lock_file(folder.path());
    _exit(0);
  }
  EXPECT_EQ(wait_for(waiter), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  wait_for(holder);
}

// Kills at random moments of replacements, one after the other on disk: the
// next run's recovery always finds one whole set, the earlier or the new one,
// and leaves nothing beside it.
TEST(FolderLock, AKillAtARandomMomentLeavesOneWholeSetAndTheNextRunNoLeftover) {
  TempFolder folder;
  const FileNames names{"Linea", "9"};
  const auto set_of = [](int generation) {
    const std::string tag = "generation " + std::to_string(generation) + " ";
    return std::vector<std::string>{tag + std::string(400000, 'p'), tag + std::string(3000, 's'),
                                    tag + std::string(30000, 'r')};
  };
  const auto generation_of = [&](const std::string& name) {
    const std::string bytes = read_file(folder / name);
    return bytes.substr(0, bytes.find(' ', 11));
  };
  std::mt19937 random(30);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int generation = 1;; ++generation) {
        const auto bytes = set_of(generation);
        replace_compiled_files(folder.path(), names, {bytes[0], bytes[1], bytes[2]});
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 20000));
    kill(child, SIGKILL);
    wait_for(child);

    DiskWriteFolder disk(folder.path());
    recover_folder(disk);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      left.push_back(entry.path().filename().string());
    }
    if (left.empty()) continue;  // killed before the first set was in place
    ASSERT_EQ(left.size(), 3u) << ::testing::PrintToString(left);
    EXPECT_EQ(generation_of(names.plan()), generation_of(names.scenario()));
    EXPECT_EQ(generation_of(names.scenario()), generation_of(names.route()));
  }
}

// The lock holds the path a run writes to: a folder deleted and made again
// under that path while a run waits is held anew, so the run waits for
// whoever holds the folder the path names now.
TEST(FolderLock, TheLockFollowsThePathWhenTheFolderIsMadeAgain) {
  TempFolder parent;
  const auto path = parent / "out";
  std::filesystem::create_directory(path);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    hold_folder_lock(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    _exit(0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const pid_t waiter = fork();
  ASSERT_GE(waiter, 0);
  if (waiter == 0) {
    hold_folder_lock(path);
    _exit(0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::filesystem::rename(path, parent / "old");
  std::filesystem::create_directory(path);
  const int now = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(flock(now, LOCK_EX), 0);

  EXPECT_EQ(wait_for(first), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(waitpid(waiter, nullptr, WNOHANG), 0) << "the waiter took the old folder's lock for the path";
  close(now);
  EXPECT_EQ(wait_for(waiter), 0);
}

}  // namespace
}  // namespace scenario
