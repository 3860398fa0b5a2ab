// The compile step on small source files: what lands in the model, every code
// it can end with, and which source files are left afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "checker/checker.h"
#include "checker/error_messages.h"
#include "checker/observation.h"
#include "compiler/codes.h"
#include "compiler/memorizza_dati.h"
#include "driver/form1.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

using Lines = std::vector<std::string>;

// A line source file: the general block of a 20 km line (cells 0 to 540,
// plan points 0 to 27000), `general_extra` at the end of that block, then the
// record lines.
Lines line_file(const Lines& records = {}, const Lines& general_extra = {}) {
  Lines lines = {
      "[generale]",
      "lunghezza percorso,    20000",
      "progressiva chilometrica uno,    0,    90000,    1",
      "progressiva chilometrica due,    1500,    -1500,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    2",
      "sfondo tre,    3",
      "ripetizione segnali 4 codici,    0    ,0",
  };
  lines.insert(lines.end(), general_extra.begin(), general_extra.end());
  lines.push_back("[curve]");
  lines.insert(lines.end(), records.begin(), records.end());
  lines.push_back("[fine]");
  return lines;
}

Lines train_file(const Lines& records = {}) {
  Lines lines = {"[generale]"};
  lines.insert(lines.end(), records.begin(), records.end());
  lines.push_back("[fine]");
  return lines;
}

// A station record with the given progressive, type and length, time 14:03:00.
std::string station(int posizione, int tipo, int length, const std::string& name = "PIANA") {
  return "stazione,  " + std::to_string(posizione) + ",  " + std::to_string(tipo) + ",  " + std::to_string(length) +
         ",  1, 1, 0,  4,1,0,  2,1,1,    30,  14,3, 0, " + name;
}

// `n` sign records, one every 50 m from 1000.
Lines signs(int n) {
  Lines lines;
  for (int i = 0; i < n; ++i) lines.push_back("cartello_indicatore,  " + std::to_string(1000 + 50 * i) + ",  (s)");
  return lines;
}

// Where the sources of a compilation are: in memory, as the tool, the tests
// and the fuzz target compile, or in a folder on disk, as the program does.
enum class Storage { memory, disk };

// Source files compiled the way the build does.
class Compilation {
 public:
  explicit Compilation(int32_t scrivi_linea = 1, Storage storage = Storage::memory) {
    model.nome_linea = "Valle";
    model.numero_treno = "123";
    model.scrivi_linea = scrivi_linea;
    if (storage == Storage::disk) {
      disk_folder_.emplace();
      disk_.emplace(disk_folder_->path());
    }
  }

  void line(const Lines& lines) { write(names().line_source(), lines); }
  void train(const Lines& lines) { write(names().train_source(), lines); }

  void run(CompileObserver* observer = nullptr) {
    model.codice_errore = 0;
    model.clear_tabella_sim();
    memorizza_dati(model, files(), report, observer);
  }

  bool line_left() { return files().exists(names().line_source()); }
  // The sources as written, before any compile.
  std::optional<std::string> written(const std::string& name) const {
    const auto found = written_.find(name);
    if (found == written_.end()) return std::nullopt;
    return found->second;
  }
  bool train_left() { return files().exists(names().train_source()); }

  TrackModel model;
  CompileReport report;

 private:
  FileNames names() const { return {model.nome_linea, model.numero_treno}; }
  SourceFolder& files() { return disk_ ? static_cast<SourceFolder&>(*disk_) : memory_; }

  void write(const std::string& name, const Lines& lines) {
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    written_[name] = bytes;
    if (disk_) {
      testing::write_file(disk_folder_->path() / name, bytes);
    } else {
      memory_.put(name, bytes);
    }
  }

  MemoryFolder memory_;
  std::map<std::string, std::string> written_;
  std::optional<testing::TempFolder> disk_folder_;
  std::optional<DiskFolder> disk_;
};

// Every field the compile reads, as an observer is told of it.
class FieldLog : public CompileObserver {
 public:
  void file_opened(std::string_view name, std::string_view) override { log.push_back("file " + std::string(name)); }
  void record(const RecordFormat& format, const FieldRead& keyword) override {
    log.push_back(at(keyword) + " record " + std::string(format.keyword));
  }
  void field(const FieldFormat& format, const FieldRead& field) override {
    log.push_back(at(field) + " " + std::string(format.name) + " " +
                  (field.text.empty() ? std::to_string(field.number) : std::string(field.text)));
  }
  void passed_over(const FieldRead& field, PassedOver why) override {
    static const char* const kWhy[] = {"before", "header", "comment", "unknown", "last"};
    log.push_back(at(field) + " " + kWhy[static_cast<int>(why)] + " " + std::string(field.text));
  }

  std::vector<std::string> log;

 private:
  static std::string at(const FieldRead& f) {
    return std::string(f.file) + ":" + std::to_string(f.line) + ":" + std::to_string(f.column);
  }
};

TEST(MemorizzaDati, TellsAnObserverEveryFieldItReads) {
  Compilation c;
  c.line({"prima", "[generale]", "lunghezza percorso,  20000", " -- nota", "sfondo uno,  1", "[curve]",
          "pendeza,  1500,  5", "pendenza,  1500,  -5", "[fine]"});
  c.train({"[generale]", "sabbia, 300", "[fine]"});
  FieldLog observer;
  c.run(&observer);
  EXPECT_EQ(c.model.codice_errore, 0);
  const std::vector<std::string> expected = {
      "file Valle_linea.txt",
      "Valle_linea.txt:1:0 before prima",
      "Valle_linea.txt:2:0 header [generale]",
      "Valle_linea.txt:3:0 record lunghezza percorso",
      "Valle_linea.txt:3:21 length 20000",
      "Valle_linea.txt:4:1 comment -- nota",
      "Valle_linea.txt:5:0 record sfondo uno",
      "Valle_linea.txt:5:13 value 1",
      "Valle_linea.txt:6:0 header [curve]",
      "Valle_linea.txt:7:0 unknown pendeza",
      "Valle_linea.txt:7:10 unknown 1500",
      "Valle_linea.txt:7:17 unknown 5",
      "Valle_linea.txt:8:0 record pendenza",
      "Valle_linea.txt:8:11 progressive 1500",
      "Valle_linea.txt:8:18 gradient -5",
      "Valle_linea.txt:9:0 last [fine]",
      "file Valle_123-.txt",
      "Valle_123-.txt:1:0 header [generale]",
      "Valle_123-.txt:2:0 record sabbia",
      "Valle_123-.txt:2:8 value 300",
      "Valle_123-.txt:3:0 last [fine]",
  };
  EXPECT_EQ(observer.log, expected);
}

TEST(MemorizzaDati, FillsTheHeaderSlotsAndSizesTheLine) {
  Compilation c;
  c.line(line_file());
  c.train(train_file({"numero vetture,    4", "percentuale massa frenata,    120", "sabbia,    300",
                      "orologio,    13              57            40 "}));
  c.run();

  EXPECT_EQ(c.model.codice_errore, 0);
  EXPECT_EQ(c.model.metri_tracciato, 27000);
  EXPECT_EQ(c.model.celle.size(), 541u);
  EXPECT_EQ(c.model.tracciato.upper(), 27000);
  const auto& t = c.model.tabella_sim;
  EXPECT_EQ(t[84].fine, 20000);
  EXPECT_EQ(t[84].inizio, 120);
  EXPECT_EQ(t[84].posizione, 4);
  EXPECT_EQ(t[85].testo, "Valle");
  EXPECT_EQ(t[86].testo, "123");
  EXPECT_EQ(t[85].inizio, 1);  // sfondo uno
  EXPECT_EQ(t[85].fine, 3);    // sfondo tre
  EXPECT_EQ(t[85].posizione, 2);
  EXPECT_EQ(t[86].col7, 300);
  EXPECT_EQ(t[86].col10, 13);
  EXPECT_EQ(t[86].col11, 57);
  EXPECT_EQ(t[86].col12, 40);
  // The references, ordered: "due" has the greatest start; "uno" has its
  // direction flag and is raised by 100.
  EXPECT_EQ(t[81].inizio, 1500);
  EXPECT_EQ(t[81].fine, -1500);
  EXPECT_EQ(t[82].fine, 90100);
  EXPECT_EQ(t[82].posizione, 1);
  EXPECT_EQ(t[83], voce_sim{});
  EXPECT_FALSE(c.line_left());
  EXPECT_FALSE(c.train_left());
}

TEST(MemorizzaDati, TheRepetitionKeywordNamesTheCodeSystem) {
  struct Case {
    std::string record;
    int32_t inizio, fine, posizione;
  };
  const Case cases[] = {
      {"ripetizione segnali 4 codici,    0    ,0", 0, 0, 0},  // a second value 0 stores none
      {"ripetizione segnali 9 codici,  100,  50", 100, 50, 9},
      {"ripetizione segnali 4 o 9 codici,  -50,  50", -50, 50, 4},
  };
  for (const Case& k : cases) {
    Compilation c;
    c.line(line_file({}, {k.record}));
    c.train(train_file());
    c.run();
    EXPECT_EQ(c.model.codice_errore, 0) << k.record;
    EXPECT_EQ(c.model.tabella_sim[86].inizio, k.inizio) << k.record;
    EXPECT_EQ(c.model.tabella_sim[86].fine, k.fine) << k.record;
    EXPECT_EQ(c.model.tabella_sim[86].posizione, k.posizione) << k.record;
  }
}

TEST(MemorizzaDati, EndsWithTheCodeOfTheFirstFailureAndDeletesTheFileItWasReading) {
  const std::string sign = "cartello_indicatore,  1550,   (PL km)(1+522)";
  const std::string board = "indicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0";
  const std::string slowdown = "rallentamento,   10200,    50,  400, 0,  1,  0";
  const auto signal_at = [](int p) { return "segnale,  " + std::to_string(p) + ",   1, 4, 0,  0, 0,    0,  0,0,0, 0"; };
  struct Case {
    std::string what;
    std::optional<Lines> line, train;  // no value: the file is missing
    int32_t code;
    bool line_left, train_left;
  };
  const Case cases[] = {
      {"line source missing", std::nullopt, train_file(), 101, false, true},
      {"no general block", Lines{"[curve]", "[fine]"}, train_file(), 102, false, true},
      {"general header as the last field", Lines{"[curve]", "[generale]"}, train_file(), 102, false, true},
      {"line too long", line_file({}, {"lunghezza percorso, 1000001"}), train_file(), 1, false, true},
      {"repetition start", line_file({}, {"ripetizione segnali 4 codici, 25, 0"}), train_file(), 3, false, true},
      {"repetition end", line_file({}, {"ripetizione segnali 4 codici, 0, 75"}), train_file(), 4, false, true},
      {"no code system", line_file({}, {"ripetizione segnali codici, 0, 0"}), train_file(), 5, false, true},
      {"curve class 7", line_file({"curvas7,  500,  100"}), train_file(), 103, false, true},
      {"plan past a million points", line_file({"curvad4,  999900,  200"}, {"lunghezza percorso,    1000000"}),
       train_file(), 103, false, true},
      {"sign on a board", line_file({board, sign}), train_file(), 6, false, true},
      {"board on a sign", line_file({sign, board}), train_file(), 21, false, true},
      {"line record past the end", line_file({"pendenza,  26950,   0"}), train_file(), 15, false, false},
      {"train record past the end", line_file(), train_file({"velocita,  26950,  80"}), 15, false, false},
      {"station past the end", line_file(), train_file({station(26250, 2, 400)}), 15, false, false},
      {"abatement on an abatement", line_file(), train_file({"abbattimento,  5000,  1", "abbattimento,  5000,  0"}), 7,
       false, false},
      {"station off the 50 m grid", line_file(), train_file({station(1025, 2, 400)}), 8, false, false},
      {"station length off 100 m", line_file(), train_file({station(1000, 2, 750)}), 9, false, false},
      {"stop cell 1", line_file(), train_file({station(50, 2, 100)}), 24, false, false},
      {"areas 300 m apart", line_file(), train_file({station(1000, 2, 400), station(1700, 2, 400)}), 22, false, false},
      {"signal on a sign", line_file({"cartello_indicatore,  7900,   (x)"}),
       train_file({"segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210"}), 16, false, false},
      {"warning board on a signal", line_file(), train_file({signal_at(9000), slowdown}), 17, false, false},
      {"slowdown start on a signal", line_file(), train_file({signal_at(10200), slowdown}), 18, false, false},
      {"slowdown end on a signal", line_file(), train_file({signal_at(10600), slowdown}), 19, false, false},
      {"signal before the board", line_file(), train_file({signal_at(8900), slowdown}), 20, false, false},
      // The start's cell is tested before start + length is worked out.
      {"slowdown start taken, end past 32 bits", line_file(),
       train_file({signal_at(10200), "rallentamento,   10200,    50,  2147483000, 0,  1,  0"}), 18, false, false},
      {"slowdown end past 32 bits", line_file(), train_file({"rallentamento,   10200,    50,  2147483000, 0,  1,  0"}),
       25, false, false},
      {"kilometre value off 50 m", line_file({}, {"progressiva chilometrica due, 1500, -1510, 0"}), train_file(), 2,
       false, false},
      {"not a number in the line", line_file({"pendenza,  1500,  ripida"}), train_file(), 25, false, false},
      {"not a number in the train", line_file(), train_file({"sabbia, molta"}), 25, false, false},
      {"station type past 8 bits", line_file(), train_file({station(1000, 300, 400)}), 25, false, false},
      {"station time past 32 bits", line_file(),
       train_file({"stazione, 1000, 2, 400, 0,0,0, 0,0,0, 0,0,0, 0, 600000,0,0, X"}), 25, false, false},
      {"read past the end", line_file(), Lines{"[generale]", "orologio, 13"}, 25, false, false},
      {"train source missing", line_file(), std::nullopt, 25, false, false},
      {"signal too near the origin", line_file(), train_file({signal_at(300)}), 25, false, false},
      {"stations reach the sign texts", line_file(signs(77)), train_file({station(8000, 30, 0), station(9000, 30, 0)}),
       10, false, false},
  };
  // Every code the compile can end with is one of these cases.
  std::set<int32_t> compile_codes;
  for (const CodeEntry& entry : kCodeTable) {
    if (entry.stage == CodeStage::compile) compile_codes.insert(entry.number);
  }
  std::set<int32_t> cased;
  for (const Case& k : cases) cased.insert(k.code);
  EXPECT_EQ(cased, compile_codes);

  // The same on disk as in memory: which files remain is the compile's
  // business, not the folder's.
  for (const Storage storage : {Storage::memory, Storage::disk}) {
    const char* where = storage == Storage::memory ? " (in memory)" : " (on disk)";
    for (const Case& k : cases) {
      Compilation c(1, storage);
      if (k.line) c.line(*k.line);
      if (k.train) c.train(*k.train);
      c.run();
      EXPECT_EQ(c.model.codice_errore, k.code) << k.what << where;
      EXPECT_EQ(c.report.code, k.code) << k.what << where;
      EXPECT_EQ(c.line_left(), k.line_left) << k.what << where;
      EXPECT_EQ(c.train_left(), k.train_left) << k.what << where;
    }
  }

  // The checker's first error on the same sources is the compile's: the same
  // code, in the same file, at the same line.
  for (const Case& k : cases) {
    Compilation c;
    if (k.line) c.line(*k.line);
    if (k.train) c.train(*k.train);
    const FileNames names{c.model.nome_linea, c.model.numero_treno};
    Observation observation;
    c.run(&observation);
    const std::optional<Diagnostic> compiled = compile_error(c.report, observation, c.model);
    ASSERT_TRUE(compiled) << k.what;
    const CheckResult checked =
        check_scenario({names, c.written(names.line_source()), c.written(names.train_source())});
    ASSERT_FALSE(checked.diagnostics.empty()) << k.what;
    const auto first = std::find_if(checked.diagnostics.begin(), checked.diagnostics.end(),
                                    [](const Diagnostic& d) { return d.severity == Severity::error; });
    ASSERT_NE(first, checked.diagnostics.end()) << k.what;
    EXPECT_EQ(first->code, k.code) << k.what;
    EXPECT_EQ(first->place.file, compiled->place.file) << k.what;
    EXPECT_EQ(first->place.line, compiled->place.line) << k.what;
  }
}

// The report names the field that set the code: its file, line and column
// (the byte offset in the line).
TEST(MemorizzaDati, ReportsTheFieldThatSetTheCode) {
  struct Case {
    std::string what;
    std::optional<Lines> line;
    Lines train;
    int32_t code;
    SourcePlace place;
  };
  const Lines train_records = {"sabbia,  300", station(1000, 2, 400), station(1700, 2, 400)};
  const std::string signal = "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210";
  const Case cases[] = {
      {"a station too close: its progressive", line_file(), train_file(train_records), 22, {"Valle_123-.txt", 4, 11}},
      {"a station length off 100 m", line_file(), train_file({station(1000, 2, 750)}), 9, {"Valle_123-.txt", 2, 22}},
      {"a bad number",
       line_file(),
       train_file({"sabbia,  300", "orologio,  13, 57, quaranta"}),
       25,
       {"Valle_123-.txt", 3, 19}},
      // Code 15 of the line is kept when the first signal of the train ends the step.
      {"past the end",
       line_file({"pendenza,  0,  0", "pendenza,  26950,   0"}),
       train_file({signal}),
       15,
       {"Valle_linea.txt", 12, 11}},
      {"a signal on a sign",
       line_file({"cartello_indicatore,  7900,   (x)"}),
       train_file({signal}),
       16,
       {"Valle_123-.txt", 2, 12}},
      {"no code system: the keyword",
       line_file({}, {"  ripetizione segnali codici, 0, 0"}),
       train_file(),
       5,
       {"Valle_linea.txt", 10, 2}},
      // Checked after both files, at the reference's own field.
      {"a kilometre value off 50 m",
       line_file({}, {"progressiva chilometrica due, 1500, -1510, 0"}),
       train_file(),
       2,
       {"Valle_linea.txt", 10, 36}},
      // A speed that does not fit fails when the next row writes it: at the row that gave it.
      {"a speed too high",
       line_file(),
       train_file({"velocita,  0,  1280", "velocita,  1500,  80"}),
       25,
       {"Valle_123-.txt", 2, 15}},
      // A value whose packing leaves its bits fails at that value's field.
      {"a board speed past 16 bits",
       line_file({"indicatori_vmax,  1550,  1639,  135,  135,  0,  ,  ,  ,  0"}),
       train_file(),
       25,
       {"Valle_linea.txt", 11, 25}},
      {"a board d speed past 16 bits",
       line_file({"indicatori_vmax,  1550,  125,  135,  135,  0,  ,  200000,  ,  0"}),
       train_file(),
       25,
       {"Valle_linea.txt", 11, 50}},
      {"a signal value past 32 bits",
       line_file(),
       train_file({"segnale,    7900,   1, 300000000, 0,  0, 0,    0,  0,0,0, 0"}),
       25,
       {"Valle_123-.txt", 2, 23}},
      {"a slowdown end past 32 bits",
       line_file(),
       train_file({"rallentamento,   10200,    50,  2147483000, 0,  1,  0"}),
       25,
       {"Valle_123-.txt", 2, 32}},
      {"no line source", std::nullopt, train_file(), 101, {"Valle_linea.txt", 0, 0}},
  };
  for (const Case& k : cases) {
    Compilation c;
    if (k.line) c.line(*k.line);
    c.train(k.train);
    c.run();
    EXPECT_EQ(c.model.codice_errore, k.code) << k.what;
    EXPECT_EQ(c.report.place, k.place) << k.what << ": " << c.report.place.file << ":" << c.report.place.line << ":"
                                       << c.report.place.column;
  }
}

TEST(MemorizzaDati, ACode15InTheLineStillReadsTheTrainUpToItsFirstSignal) {
  Compilation c;
  c.line(line_file({"pendenza,  0,  -2", "pendenza,  26950,   0", "cartello_indicatore,  2900,   (x)"}));
  c.train(train_file({"sabbia,  300", station(1000, 2, 400), "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210",
                      "numero vetture,  4"}));
  c.run();
  EXPECT_EQ(c.model.codice_errore, 15);
  EXPECT_EQ(c.model.celle[59].tipo, 0);        // the sign after the failing row is not read
  EXPECT_EQ(c.model.celle[537].pendenza, 98);  // the gradient tail still runs
  EXPECT_EQ(c.model.tabella_sim[86].col7, 300);
  EXPECT_EQ(c.model.tabella_sim[1].posizione, 1000);
  EXPECT_EQ(c.model.celle[159].tipo, 1);  // the signal is placed, then the step ends
  EXPECT_EQ(c.model.tabella_sim[84].posizione, 0);
  EXPECT_EQ(c.model.celle[537].velocita, 0);  // no speed tail after the end
  EXPECT_FALSE(c.train_left());
}

TEST(MemorizzaDati, CommentFieldsAreDiscardedUpToTenInTheGeneralBlockAndTwoAfterIt) {
  const auto repeat = [](int n, const std::string& line) { return Lines(static_cast<std::size_t>(n), line); };
  struct Case {
    std::string what;
    Lines general_extra, records;
    int32_t code;
  };
  // A comment that holds a keyword is read as that keyword once the limit is
  // reached: the record then takes the next lines' fields as its numbers.
  const Case cases[] = {
      {"ten in the general block", repeat(10, "-- sfondo uno"), {}, 0},
      {"eleven in the general block", repeat(11, "-- sfondo uno"), {}, 25},
      {"two in the records", {}, repeat(2, "------ montagna"), 0},
      {"three in the records", {}, repeat(3, "------ montagna"), 25},
  };
  for (Case k : cases) {
    Compilation c;
    k.records.push_back("pendenza,  1500,   -5");
    c.line(line_file(k.records, k.general_extra));
    c.train(train_file());
    c.run();
    EXPECT_EQ(c.model.codice_errore, k.code) << k.what;
    if (k.code == 0) {
      EXPECT_EQ(c.model.tabella_sim[85].inizio, 1) << k.what;
      EXPECT_EQ(c.model.celle[40].pendenza, 95) << k.what;
    }
  }
}

TEST(MemorizzaDati, GeneralKeywordsHaveExactCaseRecordKeywordsAnyCase) {
  Compilation c;
  // Recognised, any of these would change the header slots or end the step.
  const Lines capitalised = {"Progressiva chilometrica tre,  0,  5000,  0",
                             "Progressiva chilometrica due,  0,  5000,  0",
                             "Progressiva chilometrica uno,  0,  5000,  0",
                             "SFONDO uno,  7",
                             "Sfondo due,  7",
                             "Sfondo tre,  7",
                             "Ripetizione segnali 4 codici,  25,  0"};
  Lines general = capitalised;
  general.push_back("LUNGHEZZA PERCORSO,    20000");
  c.line(line_file({"Pendenza,  0,   0", "PENDENZA,  1500,   -5", "curvaS4,  500,  950"}, general));
  c.train(train_file({"VELOCITA,  0,  80", "Velocita,  1500,  135", "ADERENZA,  0,  100"}));
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const auto& t = c.model.tabella_sim;
  EXPECT_EQ(t[81].fine, -1500);
  EXPECT_EQ(t[82].fine, 90100);
  EXPECT_EQ(t[83].fine, 0);
  EXPECT_EQ(t[85].inizio, 1);
  EXPECT_EQ(t[85].posizione, 2);
  EXPECT_EQ(t[85].fine, 3);
  EXPECT_EQ(c.model.celle[30].pendenza, 95);
  EXPECT_EQ(c.model.celle[30].velocita, 27);
  EXPECT_EQ(c.model.celle[30].aderenza, 100);
  EXPECT_LT(c.model.tracciato.at(1450, 0).value, -100.0);  // a left curve
}

TEST(MemorizzaDati, TheLastFieldOfAFileIsNeverInterpreted) {
  // No "[fine]": the train file ends with a keyword, then with a whole record.
  Compilation keyword_last;
  keyword_last.line(line_file());
  keyword_last.train(Lines{"[generale]", "sabbia"});
  keyword_last.run();
  EXPECT_EQ(keyword_last.model.codice_errore, 0);

  Compilation record_last;
  record_last.line(line_file());
  record_last.train(Lines{"[generale]", "sabbia,  300"});
  record_last.run();
  EXPECT_EQ(record_last.model.codice_errore, 0);
  EXPECT_EQ(record_last.model.tabella_sim[86].col7, 300);
}

TEST(MemorizzaDati, ProfilesRunFromSectionToSectionAndOnToTheThirdCellBeforeTheLast) {
  Compilation c;
  c.line(line_file({"pendenza,  0,   0", "pendenza,  1500,   -5", "pendenza,  1500,   7", "pendenza,  3000,   9"}));
  c.train(train_file(
      {"velocita,       0,    80", "velocita,    1500,   135", "aderenza,   0,    100", "aderenza,   2000,    90"}));
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const auto& cells = c.model.celle;
  for (int i = 0; i <= 540; ++i) {
    // A second row at the same progressive still writes one cell.
    const int gradient = i < 30 ? 100 : i == 30 ? 95 : i < 60 ? 107 : i <= 537 ? 109 : 0;
    EXPECT_EQ(cells[i].pendenza, gradient) << i;
    EXPECT_EQ(cells[i].velocita, i < 30 ? 16 : i <= 537 ? 27 : 0) << i;
    EXPECT_EQ(cells[i].aderenza, i < 40 ? 100 : i <= 537 ? 90 : 0) << i;
  }
}

// Each speed row writes at least one cell, even behind the running cell:
// rows that pile up at the end of the line stop at the last cell instead of
// writing past it.
TEST(MemorizzaDati, SpeedRowsNeverWritePastTheLastCell) {
  Compilation c;
  c.line(line_file());
  c.train(train_file(Lines(8, "velocita,  26900,  80")));
  c.run();
  EXPECT_EQ(c.model.codice_errore, 0);
  EXPECT_EQ(c.model.celle[539].velocita, 16);
  EXPECT_EQ(c.model.celle[540].velocita, 16);  // written once, by the tail
}

TEST(MemorizzaDati, ASpeedWhoseFifthPassesAByteIsARunTimeFailure) {
  Compilation c;
  c.line(line_file());
  c.train(train_file({"velocita,  0,  1280", "velocita,  1500,  80"}));
  c.run();
  EXPECT_EQ(c.model.codice_errore, 25);
}

TEST(MemorizzaDati, IntegratesThePlanMetreByMetre) {
  Compilation c;
  c.line(line_file({"curvas4,  500,  950", "curvad3,  5000,  100"}));
  c.train(train_file());
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const Tracciato& plan = c.model.tracciato;
  const auto x = [&plan](int m) { return plan.at(m, 0).value; };
  const auto y = [&plan](int m) { return plan.at(m, 1).value; };

  EXPECT_EQ(plan.at(0, 0), PlanValue::integer(0));
  EXPECT_EQ(plan.at(0, 1), PlanValue::integer(0));
  EXPECT_EQ(plan.at(1, 0), PlanValue::integer(0));
  EXPECT_EQ(plan.at(1, 1), PlanValue::integer(1));
  for (int m = 2; m <= 500; ++m) ASSERT_EQ(plan.at(m, 1), PlanValue::real(m)) << m;
  EXPECT_EQ(plan.at(500, 0), PlanValue::real(0.0));

  // The turn, bit for bit: d is the difference of the last two points and
  // x' = (x + dx) + k dy, y' = (y + dy) - k dx, with k = -0.001.
  EXPECT_EQ(x(501), -0.001);
  EXPECT_EQ(y(501), 501.0);
  double px = 0, py = 500, qx = x(501), qy = y(501);
  for (int m = 502; m <= 1450; ++m) {
    const double dx = qx - px, dy = qy - py;
    px = qx;
    py = qy;
    qx = qx + dx + -0.001 * dy;
    qy = qy + dy - -0.001 * dx;
    ASSERT_EQ(x(m), qx) << m;
    ASSERT_EQ(y(m), qy) << m;
  }

  // Each curve metre turns the step left by atan(0.001) and lengthens it.
  const double heading = std::atan2(y(1450) - y(1449), x(1450) - x(1449));
  EXPECT_NEAR(heading, std::acos(0.0) + 950 * std::atan(0.001), 1e-7);
  EXPECT_NEAR(std::hypot(y(1450) - y(1449), x(1450) - x(1449)), std::pow(1 + 1e-6, 950 / 2.0), 1e-7);
  // A "d" curve turns right, and the plan runs straight to its end.
  const double after_right = std::atan2(y(5100) - y(5099), x(5100) - x(5099));
  EXPECT_NEAR(after_right, heading - 100 * std::atan(0.0004), 1e-7);
  EXPECT_NEAR(std::atan2(y(26998) - y(26997), x(26998) - x(26997)), after_right, 1e-7);

  EXPECT_EQ(plan.at(26998, 0).kind, PlanValue::Kind::Double);
  for (int m : {26999, 27000}) {
    EXPECT_EQ(plan.at(m, 0), PlanValue{}) << m;
    EXPECT_EQ(plan.at(m, 1), PlanValue{}) << m;
  }
}

// The first metre of a curve after a straight run along y, one unit per
// metre, turns by exactly the class's curvature: x = k, left for "s".
TEST(MemorizzaDati, EachCurveClassTurnsByItsCurvature) {
  const struct {
    const char* keyword;
    double x;
  } cases[] = {{"curvad1", 0.0001}, {"curvad2", 0.0002}, {"curvad3", 0.0004}, {"curvad4", 0.001},
               {"curvad5", 0.002},  {"curvad6", 0.003},  {"curvas6", -0.003}, {"curva_destra2", -0.0002}};
  for (const auto& k : cases) {
    Compilation c;
    c.line(line_file({std::string(k.keyword) + ",  500,  100"}));
    c.train(train_file());
    c.run();
    ASSERT_EQ(c.model.codice_errore, 0) << k.keyword;
    EXPECT_EQ(c.model.tracciato.at(501, 0), PlanValue::real(k.x)) << k.keyword;
    EXPECT_EQ(c.model.tracciato.at(501, 1), PlanValue::real(501)) << k.keyword;
  }
}

TEST(MemorizzaDati, ACurveBehindThePlanContinuesTheTurnFromItsEnd) {
  Compilation overlapping;
  overlapping.line(line_file({"curvas4,  500,  950", "curvas4,  1000,  1000"}));
  overlapping.train(train_file());
  overlapping.run();
  Compilation single;
  single.line(line_file({"curvas4,  500,  1500"}));
  single.train(train_file());
  single.run();
  ASSERT_EQ(overlapping.model.codice_errore, 0);
  EXPECT_EQ(overlapping.model.tracciato, single.model.tracciato);
}

TEST(MemorizzaDati, WithoutAPlanCurvesAreSkippedAndTheCellsStillFilled) {
  Compilation c(0);
  c.line(line_file({"pendenza,  0,   0", "curvas7,  500,  950", "pendenza,  1500,   -5"}));
  c.train(train_file({"velocita,  0,  80"}));
  c.run();
  EXPECT_EQ(c.model.codice_errore, 0);  // the class is never looked at
  EXPECT_FALSE(c.model.tracciato.allocated());
  EXPECT_EQ(c.model.celle[100].pendenza, 95);
  EXPECT_EQ(c.model.celle[100].velocita, 16);
}

TEST(MemorizzaDati, PlacesSignsMountainsBoardsAndTheirTexts) {
  Compilation c;
  c.line(line_file({"montagna,   8700,  11050,  11", "indicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0",
                    "cartello_indicatore,  2900,   (PL km)(1+522)",
                    "cartello_indicatore,  8800,   (ponte fiume)(Sesia)"}));
  c.train(train_file());
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const auto& cells = c.model.celle;
  EXPECT_EQ(cells[174].montagna, 1);
  EXPECT_EQ(cells[181].tipo, tipo_cella::segno_montagna);
  EXPECT_EQ(cells[32].tipo, tipo_cella::indicatore_v_max);
  EXPECT_EQ(cells[32].dato1, 2500);
  EXPECT_EQ(cells[59].tipo, tipo_cella::cartello);
  EXPECT_EQ(cells[59].dato1, 80);
  EXPECT_EQ(c.model.tabella_sim[80].testo, "(PL km)(1+522)");
  // The second sign takes the place of a mountain marker.
  EXPECT_EQ(cells[177].tipo, tipo_cella::cartello);
  EXPECT_EQ(cells[177].dato1, 79);
  EXPECT_EQ(cells[177].montagna, 1);
  EXPECT_EQ(c.model.tabella_sim[79].testo, "(ponte fiume)(Sesia)");
}

TEST(MemorizzaDati, PlacesSignalsSlowdownsAndAbatementPoints) {
  Compilation c;
  c.train(train_file({"segnale,   40050,   1, 3, 4,  0, 0,    1,  3,1,0, 0",
                      "rallentamento,   10200,    50,  400, 0,  1,  0", "abbattimento,  5000,  120",
                      "abbattimento,  6000,  0"}));
  c.line(line_file({"pendenza,  0,   3"}, {"lunghezza percorso,    50000"}));
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const auto& cells = c.model.celle;
  EXPECT_EQ(cells[802].tipo, tipo_cella::segnale);
  EXPECT_EQ(cells[802].dato2, 41);
  EXPECT_EQ(cells[794].avviso, 44);
  EXPECT_EQ(cells[181].tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(cells[205].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(cells[213].tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(cells[177].dato1, 4);
  EXPECT_EQ(cells[100].tipo, tipo_cella::abbattimento_valore);
  EXPECT_EQ(cells[100].dato1, 120);
  EXPECT_EQ(cells[120].tipo, tipo_cella::abbattimento);
  EXPECT_EQ(cells[205].pendenza, 103);  // profiles are independent of the objects
}

TEST(MemorizzaDati, StoresAStationWithItsAreaStopCellAndMarkers) {
  Compilation c;
  c.line(line_file());
  c.train(train_file({"stazione,       0,  2,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,  13,58, 0, CORVALLE",
                      "stazione,    8050,  28,  300,  7, 1, 0,  -4,300,9,  -2,1,1,    30,  14,3, 7, PIANA",
                      "stazione,   13900,  12,  500,  0, 1, 1,  1,1,0,  4,1,1,    30,  14,9, 0, BORGO"}));
  c.run();
  ASSERT_EQ(c.model.codice_errore, 0);
  const auto& t = c.model.tabella_sim;
  const auto& cells = c.model.celle;

  // The first station: area of half the length each side, column 5
  // cleared, stop cell 6 and markers 81 to 84 in cells 5 down to 2.
  EXPECT_EQ(t[1].tipo, 2);
  EXPECT_EQ(t[1].inizio, -350);
  EXPECT_EQ(t[1].fine, 350);
  EXPECT_EQ(t[1].posizione, 0);
  EXPECT_EQ(t[1].col4, 1);
  EXPECT_EQ(t[1].col5, 0);
  EXPECT_EQ(t[1].col7, 4);
  EXPECT_EQ(t[1].col13, 1);
  EXPECT_EQ(t[1].orario, 13 * 3600 + 58 * 60);
  EXPECT_EQ(t[1].testo, "CORVALLE");
  EXPECT_EQ(cells[6].tipo, tipo_cella::fermata);
  EXPECT_EQ(cells[6].dato1, 1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(cells[6 - k].avviso, 80 + k) << k;

  // Type 28 (25 or above): no stop cell, no markers; every column as read.
  EXPECT_EQ(t[2].inizio, 7900);
  EXPECT_EQ(t[2].fine, 8200);
  EXPECT_EQ(t[2].col4, 7);
  EXPECT_EQ(t[2].col5, 0);  // shorter than 600 m
  EXPECT_EQ(t[2].col7, -4);
  EXPECT_EQ(t[2].col8, 300);
  EXPECT_EQ(t[2].col9, 9);
  EXPECT_EQ(t[2].col10, -2);
  EXPECT_EQ(t[2].orario, 14 * 3600 + 3 * 60 + 7);
  for (int i = 155; i <= 165; ++i) {
    EXPECT_EQ(cells[i].tipo, 0) << i;
    EXPECT_EQ(cells[i].avviso, 0) << i;
  }

  // Column 6 moves the end of the area 50 m further.
  EXPECT_EQ(t[3].inizio, 13650);
  EXPECT_EQ(t[3].fine, 14200);
  EXPECT_EQ(t[3].col6, 1);
  EXPECT_EQ(cells[283].tipo, tipo_cella::fermata);
  EXPECT_EQ(cells[283].dato1, 3);
  EXPECT_EQ(cells[282].avviso, 81);
}

TEST(MemorizzaDati, StationTypesSetTheirAreasAndStops) {
  struct Case {
    int tipo;
    int32_t inizio, fine;
    bool stop, markers;
  };
  const Case cases[] = {
      {5, 4200, 5150, true, false}, {6, 4200, 5150, true, false}, {7, 4200, 5800, true, true},
      {8, 4200, 5800, true, true},  {24, 4600, 5400, true, true}, {25, 4600, 5400, false, false},
  };
  for (const Case& k : cases) {
    Compilation c;
    c.line(line_file());
    c.train(train_file({station(5000, k.tipo, 800)}));
    c.run();
    ASSERT_EQ(c.model.codice_errore, 0) << k.tipo;
    const voce_sim& e = c.model.tabella_sim[1];
    EXPECT_EQ(e.inizio, k.inizio) << k.tipo;
    EXPECT_EQ(e.fine, k.fine) << k.tipo;
    const int stop = k.fine / 50 - 1;
    EXPECT_EQ(c.model.celle[stop].tipo, k.stop ? tipo_cella::fermata : 0) << k.tipo;
    EXPECT_EQ(c.model.celle[stop - 1].avviso, k.markers ? 81 : 0) << k.tipo;
  }
}

// Column 5 is kept only for a station of 600 m or more (and never for the
// first station).
TEST(MemorizzaDati, Column5NeedsAStationOf600m) {
  for (const auto& [length, col5] : {std::pair{500, 0}, {600, 1}, {700, 1}}) {
    Compilation c;
    c.line(line_file());
    c.train(train_file({station(1000, 30, 400), station(5000, 30, length)}));
    c.run();
    ASSERT_EQ(c.model.codice_errore, 0) << length;
    EXPECT_EQ(c.model.tabella_sim[1].col5, 0) << length;
    EXPECT_EQ(c.model.tabella_sim[2].col5, col5) << length;
  }
}

TEST(MemorizzaDati, StationAreasMustBe350mApart) {
  Compilation c;
  c.line(line_file());
  c.train(train_file({station(1000, 2, 400), station(1750, 2, 400)}));
  c.run();
  EXPECT_EQ(c.model.codice_errore, 0);
  EXPECT_EQ(c.model.tabella_sim[2].inizio, 1550);
}

TEST(MemorizzaDati, StationsAndSignTextsShareTheScenarioTable) {
  struct Case {
    int signs, stations;
    int32_t code;
  };
  // Stations grow from entry 1, sign texts down from 80; the station that
  // reaches the texts is stored, then the step ends.
  const Case cases[] = {{0, 78, 0}, {0, 79, 10}, {30, 49, 10}, {77, 2, 10}, {80, 0, 0}, {81, 0, 25}};
  for (const Case& k : cases) {
    Lines stations;
    for (int i = 0; i < k.stations; ++i)
      stations.push_back(station(1000 + 400 * i, 30, 0, "S" + std::to_string(i + 1)));
    Compilation c;
    c.line(line_file(signs(k.signs), {"lunghezza percorso,    40000"}));
    c.train(train_file(stations));
    c.run();
    EXPECT_EQ(c.model.codice_errore, k.code) << k.signs << " signs, " << k.stations << " stations";
    if (k.stations > 0) {
      EXPECT_EQ(c.model.tabella_sim[k.stations].testo, "S" + std::to_string(k.stations));
    }
    EXPECT_EQ(c.model.tabella_sim[0], voce_sim{}) << k.signs << " signs";
  }
}

// A model compiled before and reset compiles the next sources as a new one
// does, though it keeps the memory of its cells and its plan.
TEST(MemorizzaDati, AResetModelCompilesAsANewOne) {
  Compilation first;
  first.line(line_file({"curvas4,  500,  950", "montagna,   8700,  11050,  11", "cartello_indicatore,  2900,   (x)"},
                       {"lunghezza percorso,    30000"}));
  first.train(train_file({station(1000, 2, 400), "velocita,  0,  80"}));
  first.run();
  ASSERT_EQ(first.model.codice_errore, 0);

  Compilation fresh;
  const Lines line = line_file({"pendenza,  1500,   -5"});
  const Lines train = train_file({"sabbia,  300"});
  fresh.line(line);
  fresh.train(train);
  fresh.run();

  Compilation reused;
  reused.model = std::move(first.model);
  reused.model.reset();
  reused.model.nome_linea = fresh.model.nome_linea;
  reused.model.numero_treno = fresh.model.numero_treno;
  reused.model.scrivi_linea = 1;
  reused.line(line);
  reused.train(train);
  reused.run();
  EXPECT_EQ(reused.model.celle, fresh.model.celle);
  EXPECT_EQ(reused.model.tabella_sim, fresh.model.tabella_sim);
  EXPECT_EQ(reused.model.tracciato, fresh.model.tracciato);
  EXPECT_EQ(reused.model.montagna_inizio, fresh.model.montagna_inizio);
  EXPECT_EQ(reused.model.n_montagne, fresh.model.n_montagne);
}

TEST(MemorizzaDati, CompilesTheBuiltInScenario) {
  testing::TempFolder folder;
  TrackModel model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  dati_linea(folder.path(), model);
  dati_treno(folder.path(), model);
  int32_t j = 1;
  DiskFolder sources(folder.path());
  CompileReport report;
  EXPECT_EQ(memorizza_percorso(model, sources, folder.path(), report, j), Finish::compiled);

  EXPECT_EQ(model.codice_errore, 0) << report.place.file << ":" << report.place.line;
  EXPECT_EQ(model.celle.size(), 2201u);
  EXPECT_EQ(model.tracciato.upper(), 110000);
  EXPECT_EQ(model.tracciato.at(109998, 1).kind, PlanValue::Kind::Double);
  EXPECT_EQ(model.tracciato.at(109999, 1).kind, PlanValue::Kind::Empty);
  const FileNames names{model.nome_linea, model.numero_treno};
  EXPECT_EQ(std::filesystem::file_size(folder / names.plan()), 2199964u);
  EXPECT_FALSE(std::filesystem::exists(folder / names.line_source()));
  EXPECT_FALSE(std::filesystem::exists(folder / names.train_source()));

  // Every record of the scenario was recognised: 29 signals, 10 boards, 56
  // signs, one slowdown, 13 stations.
  const auto count = [&model](uint8_t tipo) {
    return std::count_if(model.celle.begin(), model.celle.end(), [tipo](const cella& c) { return c.tipo == tipo; });
  };
  EXPECT_EQ(count(tipo_cella::segnale), 29);
  EXPECT_EQ(count(tipo_cella::indicatore_v_max), 10);
  EXPECT_EQ(count(tipo_cella::cartello), 56);
  EXPECT_EQ(count(tipo_cella::inizio_rallentamento), 1);
  EXPECT_EQ(model.tabella_sim[1].testo, "CORVALLE");
  EXPECT_FALSE(model.tabella_sim[13].testo.empty());
  EXPECT_TRUE(model.tabella_sim[14].testo.empty());
  EXPECT_FALSE(model.tabella_sim[25].testo.empty());  // sign texts fill 80 down to 25
  EXPECT_TRUE(model.tabella_sim[24].testo.empty());
}

}  // namespace
}  // namespace scenario
