// The build driver: order of steps, errore, and how the program ends.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "support/build_runner.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using testing::RecordingPlatform;
using testing::run_build;
using testing::TempFolder;

// Records the steps into the platform's event list instead of running them.
class RecordingForm : public Form1 {
 public:
  explicit RecordingForm(RecordingPlatform& p) : Form1(p), platform_(p) {}
  std::string fail_in;  // a step that throws a run-time failure: `failure`
  std::function<void()> failure = [] { throw FileWriteFailure("X", "disk full"); };
  std::string errore_in;  // a step that calls errore("1251")

 protected:
  void dati_linea() override { step("dati_linea"); }
  void dati_treno() override { step("dati_treno"); }
  void dati_note() override { step("dati_note"); }
  void dati_rallentamenti() override { step("dati_rallentamenti"); }
  void dati_scheda() override { step("dati_scheda"); }
  void memorizza_percorso(int32_t& j) override { step("memorizza_percorso:" + std::to_string(j)); }

 private:
  void step(const std::string& name) {
    platform_.events.push_back(name + " " + model().nome_linea + " " + model().numero_treno);
    if (name.starts_with(fail_in) && !fail_in.empty()) failure();
    if (name.starts_with(errore_in) && !errore_in.empty()) {
      errore("1251");
      platform_.events.push_back("after errore");  // must never run
    }
  }
  RecordingPlatform& platform_;
};

TEST(Driver, RunsEveryStepInOrderAfterTheWindowAndEndsNormally) {
  RecordingPlatform platform("/nowhere");
  RecordingForm form(platform);
  EXPECT_EQ(run_build(form), 0);
  const std::vector<std::string> expected = {"window",
                                             "hold:/nowhere",
                                             "dati_linea Corvalle_Brinta 24817",
                                             "dati_treno Corvalle_Brinta 24817",
                                             "dati_note Corvalle_Brinta 24817",
                                             "dati_rallentamenti Corvalle_Brinta 24817",
                                             "dati_scheda Corvalle_Brinta 24817",
                                             "memorizza_percorso:1 Corvalle_Brinta 24817",
                                             "end:0"};
  EXPECT_EQ(platform.events, expected);
}

TEST(Driver, ErroreShowsItsNumberAndEndsWithNothingAfterTheCall) {
  EXPECT_EQ(errore_message("1250"), " Errore n. 1250");
  RecordingPlatform platform("/nowhere");
  RecordingForm form(platform);
  form.errore_in = "memorizza_percorso";
  EXPECT_EQ(run_build(form), 1);
  ASSERT_GE(platform.events.size(), 2u);
  EXPECT_EQ(platform.events[platform.events.size() - 2], "message: Errore n. 1251");
  EXPECT_EQ(platform.events.back(), "end:1");
}

// The program speaks Italian: a file that cannot be written is named with
// the system's reason as it comes.
TEST(Driver, ARunTimeFailureIsReportedAndEndsTheRunWithStatus2) {
  const struct {
    std::function<void()> failure;
    std::string message;
  } cases[] = {
      {[] { throw FileWriteFailure("X", "disk full"); }, "Impossibile scrivere il file X: disk full"},
      {[] { throw RunTimeFailure("overflow"); }, "Errore durante l'esecuzione: overflow"},
  };
  for (const auto& c : cases) {
    RecordingPlatform platform("/nowhere");
    RecordingForm form(platform);
    form.fail_in = "dati_note";
    form.failure = c.failure;
    EXPECT_EQ(run_build(form), 2);
    const std::vector<std::string> tail = {"failure:" + c.message, "end:2"};
    ASSERT_GE(platform.events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(platform.events.end() - 2, platform.events.end()), tail);
    for (const auto& e : platform.events) EXPECT_FALSE(e.starts_with("dati_rallentamenti")) << e;
  }
}

TEST(Driver, AWholeBuildWritesTheCompiledFilesIntoTheProgramsFolder) {
  TempFolder folder;
  RecordingPlatform platform(folder.path());
  EXPECT_EQ(run_build(platform), 0);
  for (const char* name : {"Corvalle_Brinta_24817.sim", "Corvalle_Brinta_24817.dat"}) {
    EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
  }
}

}  // namespace
}  // namespace scenario
