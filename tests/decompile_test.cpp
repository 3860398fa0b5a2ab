// Decompiling compiled files into sources that compile back to the same
// bytes, and naming what no source can give.
#include "recovery/decompile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/source_folder.h"
#include "bench/largest_line.h"
#include "driver/form1.h"
#include "output/compiled_files.h"
#include "output/compiled_input.h"
#include "output/memorizza_percorso.h"
#include "recovery/round_trip.h"
#include "recovery/source_records.h"
#include "sources/text_writers.h"
#include "support/clean_pairs.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

struct Sources {
  std::string line_name, train_number, line, train;
};

// Compiles two sources in memory as the program does; nothing when they do
// not compile clean.
std::optional<CompiledFiles> compile_clean(const Sources& s) {
  TrackModel model;
  model.nome_linea = s.line_name;
  model.numero_treno = s.train_number;
  const FileNames names{s.line_name, s.train_number};
  MemoryFolder folder;
  folder.put(names.line_source(), s.line);
  folder.put(names.train_source(), s.train);
  CompileReport report;
  int32_t j = 1;
  try {
    if (compile_and_finish(model, folder, report, j) != Finish::compiled || report.code != 0) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return compiled_files_of(model);
}

std::string describe(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& f : findings) text += "  " + f.where + ": " + f.what + "\n";
  return text;
}

// Decompiles, compiles the result and compares every byte.
void expect_round_trip(const Sources& s, const std::string& what) {
  const std::optional<CompiledFiles> files = compile_clean(s);
  ASSERT_TRUE(files) << what << " does not compile clean";
  const Decompiled d = decompile(*files);
  EXPECT_TRUE(d.findings.empty()) << what << ":\n" << describe(d.findings);
  const RoundTrip trip = round_trip(*files, d.line_name, d.train_number, source_file_bytes(render(d.line)),
                                    source_file_bytes(render(d.train)), true);
  EXPECT_TRUE(trip.same) << what << ":\n" << describe(trip.differences);
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  return bytes;
}

// A 3 km line (cells 0 to 200, plan metres 0 to 10000), or one of `length`,
// with `records`, and a train with `train` after the train values.
Sources small(const std::vector<std::string>& records, const std::vector<std::string>& train,
              const std::vector<std::string>& general = {}, int length = 3000) {
  std::vector<std::string> line = {"[generale]", "lunghezza percorso,    " + std::to_string(length)};
  line.insert(line.end(), general.begin(), general.end());
  line.push_back("[curve]");
  line.insert(line.end(), records.begin(), records.end());
  line.push_back("[fine]");
  std::vector<std::string> t = {"[generale]", "numero vetture,    4", "velocita,  0,  100", "aderenza,  0,  90"};
  t.insert(t.end(), train.begin(), train.end());
  t.push_back("[fine]");
  return {"Valle", "123", crlf(line), crlf(t)};
}

// Sources whose compiled files each exercise a way one record's bytes meet
// another's: every one must come back byte for byte.
struct Fixture {
  std::string what;
  Sources sources;
};

std::vector<Fixture> fixtures() {
  return {
      {"curves of every class, one behind the plan's end, one to the last metre",
       small({"curvas1,  100,  300", "curvad2,  400,  300", "curvas3,  900,  200", "curvad3,  1000,  300",
              "curvas4,  1500,  200", "curvad5,  2000,  150", "curvas6,  2300,  100", "curvad6,  9500,  500"},
             {})},
      {"references in another order, scenery and a 9-code repetition",
       small({}, {},
             {"progressiva chilometrica uno,    0,    0,    0", "progressiva chilometrica due,    0,    5000,    1",
              "progressiva chilometrica tre,    2000,    100,    0", "sfondo uno,    4", "sfondo due,    5",
              "sfondo tre,    6", "ripetizione segnali 9 codici,    100    ,50"})},
      {"gradient, speed and adhesion rows on to the last cell",
       small({"pendenza,  0,   3", "pendenza,  1000,   -4", "pendenza,  9900,   5", "pendenza,  9900,   6",
              "pendenza,  9900,   7"},
             {"velocita,  9900,  40", "velocita,  9900,  50", "velocita,  9900,  60", "aderenza,  5000,  80"})},
      {"mountains that overlap, touch and carry markers",
       small({"montagna,   1000,  3000,  12", "montagna,   100,  300,  4", "montagna,   1500,  2000,  6",
              "montagna,   4000,  5000,  15", "montagna,   5050,  6000,  7", "montagna,   7000,  7600,  3",
              "indicatori_vmax,  1100,  125,  135,  135,  0,  ,  ,  ,  0"},
             {})},
      {"station stops over a sign, a board and a signal",
       small({"cartello_indicatore,  3100,   (PL km)(3+100)",
              "indicatori_vmax,  5150,  125,  135,  135,  2,  5,  10,  15,  3"},
             {"segnale,    7300,   2, 4, 1,  0, 3,    1,  2,0,0, 210",
              "stazione,    3000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14, 9, 0, PRIMA",
              "stazione,    5000, 12,  400,  0, 0, 1,  1,1,0,  4,1,1,   30,  14,19, 5, SECONDA",
              "stazione,    7000, 12,  800,  0, 7, 0,  1,1,0,  4,1,1,   30,  14,29, 0, TERZA"})},
      {"a station stop over a signal that leaves only its approach markers",
       small({}, {"segnale,    3100,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
                  "stazione,    3000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14, 9, 0, PRIMA"})},
      {"station stops over a slowdown's warning board and another's start",
       small({}, {"rallentamento,   5000,    60,  400, 0,  0,  30", "rallentamento,   7100,    40,  600, 1,  1,  0",
                  "stazione,    3700, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14, 9, 0, PRIMA",
                  "stazione,    7000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14,19, 0, SECONDA"})},
      {"approach markers written over one another",
       small({}, {"segnale,   3000,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
                  "segnale,   2900,   2, 3, 0,  0, 0,    1,  0,0,0, 50",
                  "stazione,   3500,  4,  600,  1, 0, 0,  4,1,0,  2,1,1,   50,  14,38, 0, PONTE",
                  "segnale,   6000,   1, 5, 0,  0, 7,    2,  1,0,0, 0"})},
      {"slowdowns with and without boards, flags and second speeds",
       small({},
             {"rallentamento,   1500,    50,  400, 1,  1,  0", "rallentamento,   3510,    30,  0, 0,  0,  0",
              "rallentamento,   5200,    60,  -600, 1,  1,  65536", "rallentamento,   7600,   120,  500, 0,  0,  80",
              "segnale,   9300,   1, 4, 0,  0, 0,    0,  0,0,0, 0"})},
      {"an author's abatement point of 180 that keeps the finishing pass from marking another cell",
       small({},
             {"rallentamento,   4154,    150,  796, 1,  0,  75", "rallentamento,   1326,    10,  -697, 0,  0,  0",
              "segnale,    4500,   2, 5, 4,  0, 0,    2,  1,0,0, 0", "abbattimento,  4500,  180"},
             {}, 5000)},
      {"slowdowns 25 m past a multiple of 100, whose four cells stand a cell before their board",
       small({}, {"rallentamento,   1525,    40,  400, 0,  1,  0", "rallentamento,   4025,    50,  375, 1,  1,  20",
                  "rallentamento,   6825,    60,  -1175, 1,  1,  0"})},
      {"abatement points among the finishing pass's marks",
       small({},
             {"abbattimento,  3900,  200", "abbattimento,  3850,  0", "abbattimento,  5400,  180",
              "segnale,   3900,   1, 3, 4,  0, 0,    1,  3,1,0, 0", "rallentamento,   5600,    30,  600, 0,  1,  0"})},
  };
}

TEST(Decompile, EveryFixtureRoundTrips) {
  for (const Fixture& f : fixtures()) expect_round_trip(f.sources, f.what);
}

TEST(Decompile, BuiltInScenarioRoundTripsToItsOwnLineSource) {
  const Sources builtin{"Corvalle_Brinta", "24817", line_source_table().bytes(), train_source_table().bytes()};
  expect_round_trip(builtin, "the built-in scenario");
  // The line source comes back as the template wrote it, under a comment.
  const Decompiled d = decompile(*compile_clean(builtin));
  std::vector<std::string> lines = render(d.line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "- recovered from compiled files by scenario_tool decompile -");
  lines.erase(lines.begin());
  EXPECT_EQ(source_file_bytes(lines), builtin.line);
}

TEST(Decompile, LargestLineRoundTrips) {
  testing::TempFolder folder;
  bench::write_largest_line_sources(folder.path(), "Lunga", "1");
  const FileNames names{"Lunga", "1"};
  expect_round_trip({"Lunga", "1", read_file(folder / names.line_source()), read_file(folder / names.train_source())},
                    "the largest line");
}

// Random clean pairs whose slowdowns start at any metre with every flag: the
// fuzz target's seeds come from the same generator.
TEST(Decompile, RandomCleanPairsWithSlowdownsOfEveryStartRoundTrip) {
  int clean = 0;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    const testing::SourcePair pair = testing::random_clean_pair_candidate(seed);
    const Sources s{"Valle", "123", pair.line, pair.train};
    if (!compile_clean(s)) continue;
    ++clean;
    expect_round_trip(s, "random pair " + std::to_string(seed) + "\n" + pair.train);
  }
  EXPECT_GT(clean, 50);
}

// A compiled scenario, encoded as its files and decoded whole, is what was
// compiled; no fixture's files are taken for damaged (a plan whose curve runs
// to the last metre among them).
TEST(Decompile, WholeFilesDecodeWithoutDamage) {
  for (const Fixture& f : fixtures()) {
    TrackModel model;
    model.nome_linea = f.sources.line_name;
    model.numero_treno = f.sources.train_number;
    const FileNames names{model.nome_linea, model.numero_treno};
    MemoryFolder folder;
    folder.put(names.line_source(), f.sources.line);
    folder.put(names.train_source(), f.sources.train);
    CompileReport report;
    int32_t j = 1;
    ASSERT_EQ(compile_and_finish(model, folder, report, j), Finish::compiled) << f.what;
    const CompiledFiles decoded =
        decode_compiled_files({names.scenario(), encode_scenario(model)}, {names.route(), encode_route(model)},
                              CompiledFile{names.plan(), std::string(model.tracciato.bytes())});
    EXPECT_TRUE(decoded.damage.empty()) << f.what << ": " << decoded.damage.front().what;
    const CompiledFiles compiled = compiled_files_of(model);
    EXPECT_TRUE(decoded.table == compiled.table) << f.what;
    EXPECT_TRUE(decoded.cells == compiled.cells) << f.what;
    EXPECT_TRUE(decoded.plan == compiled.plan) << f.what;
  }
}

// Every input of the fuzzer's corpus that compiles clean.
TEST(Decompile, FuzzCorpusInputsThatCompileCleanRoundTrip) {
  int clean = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(SCENARIO_SOURCE_DIR) / "fuzz" / "corpus")) {
    const std::string input = read_file(entry.path());
    const std::size_t marker = input.find("==treno==");
    if (marker == std::string::npos) continue;
    const Sources s{"Corvalle_Brinta", "24817", input.substr(0, marker), input.substr(marker + 9)};
    if (!compile_clean(s)) continue;
    ++clean;
    expect_round_trip(s, entry.path().filename().string());
  }
  EXPECT_GT(clean, 0);
}

}  // namespace
}  // namespace scenario
