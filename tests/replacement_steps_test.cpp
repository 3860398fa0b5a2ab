// Replacing the compiled set step by step through the write seam: a failure
// or a kill at any step leaves the earlier set or the new one, never a mix.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/replace_file.h"
#include "output/compiled_files.h"
#include "support/memory_write_folder.h"

namespace scenario {
namespace {

using testing::Killed;
using testing::MemoryWriteFolder;

using Contents = std::map<std::string, std::string>;

const FileNames kNames{"Linea", "9"};
const Contents kEarlier = {{"Linea_linea.dat", "old plan"},
                           {"Linea_9.sim", "old scenario"},
                           {"Linea_9.dat", "old route"},
                           {"notes.txt", "not the build's"}};
const Contents kNew = {{"Linea_linea.dat", "new plan"},
                       {"Linea_9.sim", "new scenario"},
                       {"Linea_9.dat", "new route"},
                       {"notes.txt", "not the build's"}};

struct Case {
  const char* name;
  bool earlier_set;
  bool links;
};

const Case kCases[] = {
    {"earlier set, hard links", true, true},
    {"earlier set, no hard links", true, false},
    {"no earlier set", false, true},
    {"no earlier set, no hard links", false, false},
};

MemoryWriteFolder folder_for(const Case& c) {
  MemoryWriteFolder folder;
  if (!c.links) folder.without_links();
  folder.put("notes.txt", "not the build's");
  if (c.earlier_set) {
    for (const auto& [name, bytes] : kEarlier) folder.put(name, bytes);
  }
  return folder;
}

void replace(MemoryWriteFolder& folder) {
  replace_compiled_files(folder, kNames, {"new plan", "new scenario", "new route"});
}

Contents earlier_of(const Case& c) { return c.earlier_set ? kEarlier : Contents{{"notes.txt", "not the build's"}}; }

int steps_of_a_whole_replacement(const Case& c) {
  MemoryWriteFolder folder = folder_for(c);
  replace(folder);
  return folder.steps();
}

// Each step fails in turn: a failure reported leaves the earlier set exactly;
// a replacement reported as done holds the new set, and the next run's
// recovery leaves nothing beside it.
TEST(ReplacementSteps, AFailureAtAnyStepLeavesTheEarlierSetOrReportsTheNewOne) {
  for (const Case& c : kCases) {
    const int steps = steps_of_a_whole_replacement(c);
    for (int at = 0; at < steps; ++at) {
      SCOPED_TRACE(std::string(c.name) + ", failure at step " + std::to_string(at));
      MemoryWriteFolder folder = folder_for(c);
      folder.fail_at(at);
      bool failed = false;
      try {
        replace(folder);
      } catch (const FileWriteFailure& failure) {
        failed = true;
        EXPECT_NE(failure.file().string().find("/memory/"), std::string::npos);
      }
      if (failed) {
        EXPECT_EQ(folder.contents(), earlier_of(c)) << folder.log().at(static_cast<std::size_t>(at));
      } else {
        folder.reset_steps();
        recover_folder(folder);
        EXPECT_EQ(folder.contents(), kNew) << folder.log().at(static_cast<std::size_t>(at));
      }
    }
  }
}

// A kill at each step, then the next run's recovery (itself killed at each of
// its own steps and run once more): the folder holds the earlier set or the
// new one, with no temporary, kept file or journal beside it.
TEST(ReplacementSteps, AKillAtAnyStepEndsWithTheEarlierSetOrTheNewOneAndNoLeftovers) {
  for (const Case& c : kCases) {
    const int steps = steps_of_a_whole_replacement(c);
    for (int at = 0; at <= steps; ++at) {
      for (int recovery_kill = -1; recovery_kill < 12; ++recovery_kill) {
        SCOPED_TRACE(std::string(c.name) + ", killed at step " + std::to_string(at) + ", recovery killed at " +
                     std::to_string(recovery_kill));
        MemoryWriteFolder folder = folder_for(c);
        folder.kill_at(at);
        try {
          replace(folder);
        } catch (const Killed&) {
        }
        folder.reset_steps();
        if (recovery_kill >= 0) {
          folder.kill_at(recovery_kill);
          try {
            recover_folder(folder);
          } catch (const Killed&) {
          }
          folder.reset_steps();
        }
        recover_folder(folder);
        const Contents after = folder.contents();
        EXPECT_TRUE(after == earlier_of(c) || after == kNew) << ::testing::PrintToString(after);
        if (at == steps) {
          EXPECT_EQ(after, kNew);
        }
      }
    }
  }
}

// The renames come back to back, after everything else that can fail, and
// the folder is flushed after them.
TEST(ReplacementSteps, TheThreeRenamesFollowOneAnotherAfterTheJournal) {
  MemoryWriteFolder folder = folder_for(kCases[0]);
  replace(folder);
  const auto& log = folder.log();
  std::size_t first = 0;
  while (first < log.size() && !(log[first].starts_with("rename .Linea_linea.dat"))) ++first;
  ASSERT_LT(first + 3, log.size());
  EXPECT_TRUE(log[first - 1] == "sync" && log[first - 2].starts_with("rename ..scenario_set.journal"))
      << log[first - 2];
  EXPECT_TRUE(log[first + 1].starts_with("rename .Linea_9.sim."));
  EXPECT_TRUE(log[first + 2].starts_with("rename .Linea_9.dat."));
  EXPECT_EQ(log[first + 3], "sync");
}

// Recovery touches only what this system leaves: a journal it cannot read as
// its own goes, and so do stale temporaries of the build's files, but not a
// user's own dotted files.
TEST(ReplacementSteps, RecoveryRemovesOnlyTheSystemsOwnLeftovers) {
  MemoryWriteFolder folder;
  folder.put(".Linea_9.sim.12345678901.tmp", "stale");
  folder.put(".Linea_linea.dat.98765432109.old", "stale");
  folder.put(".Linea_9_note.txt.1234567.tmp", "stale");
  folder.put("..scenario_set.journal.1234567.tmp", "stale");
  folder.put(".scenario_set.journal", "Linea_9.sim/../../etc/x/\n");
  folder.put(".hidden.12.tmp", "the user's");
  folder.put(".photo.12345678.jpg", "the user's");
  folder.put("Linea_9.sim", "the set");
  recover_folder(folder);
  const Contents expected = {
      {".hidden.12.tmp", "the user's"}, {".photo.12345678.jpg", "the user's"}, {"Linea_9.sim", "the set"}};
  EXPECT_EQ(folder.contents(), expected);
}

}  // namespace
}  // namespace scenario
