// Byte layouts of the plan, scenario and route files, and how they are written.
#include "output/compiled_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>

#include "base/file_names.h"
#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::read_file;
using testing::TempFolder;
using testing::write_file;

TEST(CompiledFiles, ScenarioEntryTakes34BytesPlusItsText) {
  EXPECT_EQ(encode_scenario_entry(voce_sim{}), std::string(34, '\0'));

  voce_sim station;
  station.tipo = 2;
  station.inizio = -350;
  station.fine = 350;
  station.posizione = 0;
  station.col4 = 1;
  station.testo = "CORVALLE!";  // 9 characters
  station.col7 = 4;
  station.col8 = 1;
  station.col10 = 2;
  station.col11 = 1;
  station.col12 = -1;
  station.col9 = 7;
  station.col13 = 3;
  station.col6 = 5;
  station.col5 = 6;
  station.orario = 50280;
  const std::string e = encode_scenario_entry(station);
  ASSERT_EQ(e.size(), 43u);
  EXPECT_EQ(e.substr(0, 16), std::string("\x02\xA2\xFE\xFF\xFF\x5E\x01\x00\x00\x00\x00\x00\x00\x01\x09\x00", 16));
  EXPECT_EQ(e.substr(16, 9), "CORVALLE!");
  EXPECT_EQ(e.substr(25), std::string("\x04\x00\x01\x00\x02\x00\x01\x00\xFF\xFF\x07\x03\x05\x06\x68\xC4\x00\x00", 18));
}

TEST(CompiledFiles, EntryTextIsCountedInWindows1252Bytes) {
  voce_sim sign;
  sign.testo = "città";  // 5 characters, 6 bytes of UTF-8
  const std::string e = encode_scenario_entry(sign);
  ASSERT_EQ(e.size(), 39u);
  EXPECT_EQ(e.substr(14, 7), std::string("\x05\x00"
                                         "citt\xE0",
                                         7));
}

TEST(CompiledFiles, RouteCellTakes15BytesInFieldOrder) {
  cella c{};
  c.tipo = 1;
  c.dato1 = 5121;
  c.dato2 = -1;
  c.dato3 = 2;
  c.dato4 = 300;
  c.tempo = 210;
  c.avviso = 64;
  c.montagna = 1;
  c.velocita = 27;
  c.pendenza = 95;
  c.aderenza = 100;
  EXPECT_EQ(encode_cell(c), std::string("\x01\x01\x14\xFF\xFF\x02\x00\x2C\x01\xD2\x40\x01\x1B\x5F\x64", 15));
}

TEST(CompiledFiles, PlanValuesTakeTwoFourOrTenBytesByKindXColumnFirst) {
  Tracciato plan;
  plan.allocate(2);  // metres 0, 1, 2
  plan.set(0, 0, PlanValue::integer(0));
  plan.set(1, 0, PlanValue::integer(0));
  plan.set(0, 1, PlanValue::integer(0));
  plan.set(1, 1, PlanValue::integer(1));
  plan.set(2, 1, PlanValue::real(2.0));
  const std::string expected = std::string("\x02\x00\x00\x00", 4) + std::string("\x02\x00\x00\x00", 4) +
                               std::string("\x00\x00", 2) +  // x column
                               std::string("\x02\x00\x00\x00", 4) + std::string("\x02\x00\x01\x00", 4) +
                               std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x00\x40", 10);
  EXPECT_EQ(plan.bytes(), expected);
}

// The plan file of a plan of metres 0..metri running straight along y from
// the origin, one unit per metre: the two starting points when `started`,
// doubles for the metres 2..last, every other point empty.
std::string straight_plan_file(int32_t metri, bool started, int32_t last) {
  const std::string empty("\x00\x00", 2);
  std::string x, y;
  for (int32_t m = 0; m <= metri; ++m) {
    if (started && m < 2) {
      x += std::string("\x02\x00\x00\x00", 4);
      y += std::string("\x02\x00", 2) + static_cast<char>(m) + '\0';
    } else if (started && m <= last) {
      x += std::string("\x05\x00", 2) + std::string(8, '\0');
      const double value = m;
      char bits[8];
      std::memcpy(bits, &value, 8);  // the host is little-endian, as the file
      y += std::string("\x05\x00", 2) + std::string(bits, 8);
    } else {
      x += empty;
      y += empty;
    }
  }
  return x + y;
}

void start_plan(Tracciato& plan) {
  plan.set(0, 0, PlanValue::integer(0));
  plan.set(1, 0, PlanValue::integer(0));
  plan.set(0, 1, PlanValue::integer(0));
  plan.set(1, 1, PlanValue::integer(1));
}

// Whichever way a plan ends, its bytes are the plan file of its points: the
// compiler's own end (doubles up to the third metre before the last), a
// compile that stopped early, a run past the last metre, bytes asked for
// halfway and the plan continued, memory kept from a longer plan.
TEST(CompiledFiles, APlanIsItsFileHoweverItEnds) {
  constexpr int32_t metri = 9;
  const struct {
    const char* name;
    std::function<void(Tracciato&)> build;
    bool started;
    int32_t last;
  } cases[] = {
      {"nothing set", [](Tracciato&) {}, false, 0},
      {"starting points only", start_plan, true, 1},
      {"as the compiler ends it",
       [](Tracciato& p) {
         start_plan(p);
         p.run_straight(2, 4);
         p.run_curve(5, 7, 0.0);
       },
       true, 7},
      {"stopped early",
       [](Tracciato& p) {
         start_plan(p);
         p.run_straight(2, 4);
       },
       true, 4},
      {"a run past the last metre",
       [](Tracciato& p) {
         start_plan(p);
         EXPECT_THROW(p.run_straight(2, 12), RunTimeFailure);
       },
       true, 9},
      {"asked for halfway, then continued",
       [](Tracciato& p) {
         start_plan(p);
         p.run_straight(2, 3);
         EXPECT_EQ(p.bytes(), straight_plan_file(metri, true, 3));
         p.run_straight(4, 7);
         EXPECT_EQ(p.bytes(), straight_plan_file(metri, true, 7));
         EXPECT_THROW(p.run_straight(8, 10), RunTimeFailure);
       },
       true, 9},
      {"memory of a longer plan",
       [](Tracciato& p) {
         p.allocate(200);
         start_plan(p);
         p.run_curve(2, 198, 0.003);
         (void)p.bytes();
         p.allocate(metri);
         start_plan(p);
         p.run_straight(2, 5);
       },
       true, 5},
  };
  for (const auto& c : cases) {
    Tracciato plan;
    plan.allocate(metri);
    c.build(plan);
    EXPECT_EQ(plan.bytes(), straight_plan_file(metri, c.started, c.last)) << c.name;
    EXPECT_EQ(plan.at(metri, 1), c.last == metri ? PlanValue::real(metri) : PlanValue{}) << c.name;
  }
}

// The plan is built in order, as the compiler builds it; anything else is a
// mistake of the caller, never a silently different file.
TEST(CompiledFiles, APlanPointOutOfOrderIsRefused) {
  Tracciato plan;
  plan.allocate(9);
  EXPECT_THROW(plan.set(1, 0, PlanValue::integer(0)), std::logic_error);  // metre 0 is not set yet
  start_plan(plan);
  EXPECT_THROW(plan.run_straight(3, 5), std::logic_error);  // metre 2 would stay empty
  plan.run_straight(2, 5);
  EXPECT_THROW(plan.set(6, 1, PlanValue::integer(6)), std::logic_error);  // an integer after doubles
  EXPECT_THROW(plan.set(5, 1, PlanValue{}), std::logic_error);            // a point set stays set
  EXPECT_EQ(plan.bytes(), straight_plan_file(9, true, 5));
}

TEST(CompiledFiles, PlanIndexOutsideTheArrayIsARunTimeFailure) {
  Tracciato plan;
  plan.allocate(2);
  EXPECT_THROW(plan.at(3, 0), RunTimeFailure);
  EXPECT_THROW(plan.at(-1, 1), RunTimeFailure);
  EXPECT_THROW(plan.at(0, 2), RunTimeFailure);
}

TEST(CompiledFiles, APlanRunPastTheLastMetreFailsAfterComputingTheMetresBeforeIt) {
  Tracciato plan;
  plan.allocate(6);
  plan.set(0, 0, PlanValue::integer(0));
  plan.set(1, 0, PlanValue::integer(0));
  plan.set(0, 1, PlanValue::integer(0));
  plan.set(1, 1, PlanValue::integer(1));
  EXPECT_THROW(plan.run_straight(2, 9), RunTimeFailure);
  for (int32_t m = 2; m <= 6; ++m) EXPECT_EQ(plan.at(m, 1), PlanValue::real(m)) << m;
  EXPECT_THROW(plan.run_curve(1, 3, 0.001), RunTimeFailure);  // no two points before metre 1
}

TrackModel small_model(int32_t scrivi_linea) {
  TrackModel m;
  m.nome_linea = "Linea_Prova";
  m.numero_treno = "123";
  m.scrivi_linea = scrivi_linea;
  m.allocate_line(100);  // metri 7100, cells 0..142
  return m;
}

TEST(CompiledFiles, WritesThreeFilesNamedFromLineAndTrain) {
  TempFolder folder;
  const TrackModel m = small_model(1);
  write_compiled_files(m, folder.path());

  EXPECT_EQ(read_file(folder / "Linea_Prova_linea.dat").size(), 2u * 7101 * 2);  // every point empty
  EXPECT_EQ(read_file(folder / "Linea_Prova_123.sim"), std::string(87 * 34, '\0'));
  EXPECT_EQ(read_file(folder / "Linea_Prova_123.dat"), std::string(143 * 15, '\0'));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
}

TEST(CompiledFiles, WithoutThePlanAnExistingPlanFileIsLeftUntouched) {
  TempFolder folder;
  write_file(folder / "Linea_Prova_linea.dat", "earlier plan");
  write_compiled_files(small_model(0), folder.path());
  EXPECT_EQ(read_file(folder / "Linea_Prova_linea.dat"), "earlier plan");
  EXPECT_TRUE(std::filesystem::exists(folder / "Linea_Prova_123.sim"));
}

TEST(CompiledFiles, AnOlderLongerFileIsReplacedCompletely) {
  TempFolder folder;
  write_file(folder / "Linea_Prova_123.dat", std::string(100000, 'x'));
  write_compiled_files(small_model(1), folder.path());
  EXPECT_EQ(read_file(folder / "Linea_Prova_123.dat"), std::string(143 * 15, '\0'));
}

// Every entry of a folder with its bytes ("<directory>" for a folder).
std::map<std::string, std::string> contents_of(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    files[entry.path().filename().string()] = entry.is_directory() ? "<directory>" : read_file(entry.path());
  }
  return files;
}

// Replaces the set in a child process after `prepare` (which may limit or
// drop what the child can do) and returns what it failed with: its message,
// "no failure", or "cannot prepare".
std::string replace_in_child(const std::filesystem::path& folder, const CompiledBytes& bytes,
                             const std::function<bool()>& prepare) {
  int report[2];
  if (pipe(report) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    std::string outcome = "no failure";
    if (!prepare()) {
      outcome = "cannot prepare";
    } else {
      try {
        replace_compiled_files(folder, FileNames{"Linea", "9"}, bytes);
      } catch (const FileWriteFailure& failure) {
        outcome = failure.what();
      }
    }
    const ssize_t written = write(report[1], outcome.data(), outcome.size());
    _exit(written == static_cast<ssize_t>(outcome.size()) ? 0 : 1);
  }
  close(report[1]);
  std::string outcome;
  char buffer[512];
  for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;)
    outcome.append(buffer, static_cast<std::size_t>(n));
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return outcome;
}

// The plan, the scenario and the route are one set that the simulator loads
// together: whichever of the three fails to be written or put in place, the
// folder keeps the whole earlier set (or none, when there was none), with no
// temporary beside it, and the failure names the file.
TEST(CompiledFiles, AFailureAtAnyOfTheThreeFilesKeepsTheWholeEarlierSet) {
  const std::string names[] = {"Linea_linea.dat", "Linea_9.sim", "Linea_9.dat"};
  constexpr rlim_t kLimit = 1000;
  for (const std::string injected : {"file-size limit", "directory in the way", "read-only folder"}) {
    for (int at = 0; at < 3; ++at) {
      if (injected == "read-only folder" && at > 0) continue;  // nothing can be written at all
      for (const bool earlier_set : {true, false}) {
        SCOPED_TRACE(injected + " at " + names[at] + (earlier_set ? ", earlier set" : ", no earlier set"));
        TempFolder parent;
        const std::filesystem::path folder = parent / "out";
        std::filesystem::create_directory(folder);
        if (earlier_set) {
          for (const std::string& name : names) write_file(folder / name, "earlier " + name);
        }
        // The failing file is the one larger than the size limit.
        std::string plan(100, 'p'), scenario(100, 's'), route(100, 'r');
        std::string* const sizes[] = {&plan, &scenario, &route};
        std::function<bool()> prepare = [] { return true; };
        if (injected == "file-size limit") {
          sizes[at]->assign(4 * kLimit, 'x');
          prepare = [] {
            std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not the end of the process
            const rlimit limit{kLimit, kLimit};
            return setrlimit(RLIMIT_FSIZE, &limit) == 0;
          };
        } else if (injected == "directory in the way") {
          std::filesystem::remove(folder / names[at]);
          std::filesystem::create_directory(folder / names[at]);
          write_file(folder / names[at] / "inside", "kept");
        } else if (geteuid() == 0) {
          // As root, permissions do not stop a write: nobody cannot write to
          // root's folder.
          prepare = [] { return setgid(65534) == 0 && setuid(65534) == 0; };
        } else {
          std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                       std::filesystem::perm_options::remove);
        }
        const auto before = contents_of(folder);

        const std::string failure = replace_in_child(folder, {plan, scenario, route}, prepare);
        if (failure == "cannot prepare") GTEST_SKIP() << "cannot inject " << injected << " here";
        EXPECT_NE(failure.find(names[at]), std::string::npos) << failure;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        EXPECT_EQ(contents_of(folder), before);
      }
    }
  }
}

// Without a failure the new set replaces the earlier one whole, and nothing
// kept aside on the way is left.
TEST(CompiledFiles, ASetReplacesTheEarlierSetAndLeavesNothingBeside) {
  TempFolder folder;
  for (const char* name : {"Linea_linea.dat", "Linea_9.sim", "Linea_9.dat"}) write_file(folder / name, "earlier");
  replace_compiled_files(folder.path(), FileNames{"Linea", "9"}, {"plan", "scenario", "route"});
  const std::map<std::string, std::string> expected = {
      {"Linea_linea.dat", "plan"}, {"Linea_9.sim", "scenario"}, {"Linea_9.dat", "route"}};
  EXPECT_EQ(contents_of(folder.path()), expected);
}

TEST(FileNames, AllEightNamesComeFromLineAndTrain) {
  const FileNames n{"Corvalle_Brinta", "24817"};
  EXPECT_EQ(n.line_source(), "Corvalle_Brinta_linea.txt");
  EXPECT_EQ(n.train_source(), "Corvalle_Brinta_24817-.txt");
  EXPECT_EQ(n.notes(), "Corvalle_Brinta_24817_note.txt");
  EXPECT_EQ(n.slowdown_order(), "Corvalle_Brinta_24817_rallentamenti.txt");
  EXPECT_EQ(n.timetable_card(), "Corvalle_Brinta_24817_scheda_treno.txt");
  EXPECT_EQ(n.plan(), "Corvalle_Brinta_linea.dat");
  EXPECT_EQ(n.scenario(), "Corvalle_Brinta_24817.sim");
  EXPECT_EQ(n.route(), "Corvalle_Brinta_24817.dat");
}

}  // namespace
}  // namespace scenario
