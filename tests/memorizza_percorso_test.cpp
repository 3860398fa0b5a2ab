// The build step as a whole: compile, finish, check the fixed slots, write.
#include "output/memorizza_percorso.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/run_time_failure.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// A small line source file (general block plus `records`) and a train source
// file of `train_records`, compiled and finished; the compiled files go into
// `folder`. Returns the number errore is to show, or "" when the step
// finished.
std::string run_step(TempFolder& folder, TrackModel& m, const std::string& line_records,
                     const std::string& train_records = "") {
  MemoryFolder sources;
  sources.put("Prova_linea.txt",
              "[generale]\r\nlunghezza percorso,    3000\r\n[cartelli]\r\n" + line_records + "[fine]\r\n");
  sources.put("Prova_1-.txt", "[generale]\r\n" + train_records + "[fine]\r\n");
  m.nome_linea = "Prova";
  m.numero_treno = "1";
  int32_t j = 1;
  CompileReport report;
  return std::string(errore_number(memorizza_percorso(m, sources, folder.path(), report, j)));
}

bool any_compiled_file(const TempFolder& folder) {
  for (const char* name : {"Prova_linea.dat", "Prova_1.sim", "Prova_1.dat"}) {
    if (fs::exists(folder / name)) return true;
  }
  return false;
}

TEST(MemorizzaPercorso, FinishesAndWritesTheFixedValuesAndCodes) {
  TempFolder folder;
  TrackModel m;
  EXPECT_EQ(run_step(folder, m, ""), "");
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.tabella_sim[85].col7, 610);
  EXPECT_EQ(m.celle[1].dato1, 5121);
  EXPECT_GT(m.tabella_sim[85].orario, 0);
  EXPECT_GT(m.celle[1].dato2, 0);
  EXPECT_TRUE(fs::exists(folder / "Prova_linea.dat"));
  EXPECT_TRUE(fs::exists(folder / "Prova_1.sim"));
  EXPECT_TRUE(fs::exists(folder / "Prova_1.dat"));
}

TEST(MemorizzaPercorso, AnObjectLeavingAValueInCell1EndsWithErroreAndNoFile) {
  struct Case {
    const char* name;
    std::string line_records;
    std::string train_records;
    const char* errore;
  };
  const Case cases[] = {
      {"a speed board in cell 1 fills dato1", "indicatori_vmax,  0,  125,  135,  135,  0,  ,  ,  ,  0\r\n", "", "1250"},
      {"a slowdown start in cell 1 with speed 0 fills only dato2", "", "rallentamento,   0,    0,  400, 0,  0,  5\r\n",
       "1251"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    TrackModel m;
    EXPECT_EQ(run_step(folder, m, c.line_records, c.train_records), c.errore) << c.name;
    EXPECT_FALSE(any_compiled_file(folder)) << c.name;
  }
}

// The scenario file stores a text behind a 16-bit byte count. A longer sign
// text or station name ends the compile with code 25, like any run-time
// failure while compiling; it must not wait for the writer, which would fail
// after the plan file had already been replaced.
TEST(MemorizzaPercorso, ATextLongerThanTheScenarioFileHoldsEndsTheCompileWith25) {
  const std::string station_prefix = "stazione,  1000,  2,  200,  1, 1, 0,  4,1,0,  2,1,1,    30,  14,3, 0, ";
  struct Case {
    const char* name;
    std::string line_records;
    std::string train_records;
    int32_t code;
  };
  const Case cases[] = {
      {"a sign text of 32767 characters", "cartello_indicatore,  900,  " + std::string(32767, 'x') + "\r\n", "", 0},
      {"a sign text of 32768 characters", "cartello_indicatore,  900,  " + std::string(32768, 'x') + "\r\n", "", 25},
      {"a station name of 32768 characters", "", station_prefix + std::string(32768, 'x') + "\r\n", 25},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    TrackModel m;
    EXPECT_EQ(run_step(folder, m, c.line_records, c.train_records), "") << c.name;
    EXPECT_EQ(m.codice_errore, c.code) << c.name;
    EXPECT_TRUE(fs::exists(folder / "Prova_linea.dat")) << c.name;
    EXPECT_TRUE(fs::exists(folder / "Prova_1.sim")) << c.name;
    EXPECT_TRUE(fs::exists(folder / "Prova_1.dat")) << c.name;
  }
}

TEST(MemorizzaPercorso, WithoutALineThereIsNothingToFinishAndNoFileIsWritten) {
  TempFolder folder;
  TrackModel m;
  m.nome_linea = "Prova";
  m.numero_treno = "1";
  int32_t j = 1;
  MemoryFolder no_sources;
  CompileReport report;
  EXPECT_THROW(memorizza_percorso(m, no_sources, folder.path(), report, j), RunTimeFailure);
  EXPECT_EQ(m.codice_errore, 101);
  EXPECT_FALSE(any_compiled_file(folder));
}

}  // namespace
}  // namespace scenario
