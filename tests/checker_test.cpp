// The checker on small broken sources: each mistake is found at its line and
// column with its code, the first error is the one the compile reports, and
// the built-in sources check clean.
#include "checker/checker.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/source_folder.h"
#include "checker/error_messages.h"
#include "checker/observation.h"
#include "compiler/code_explanations.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"
#include "support/small_scenario.h"

namespace scenario {
namespace {

using Lines = std::vector<std::string>;
using testing::crlf;
using testing::kSmallLine;
using testing::kSmallTrain;

const FileNames kNames{"Valle", "123"};

CheckResult check(const Lines& line, const Lines& train) { return check_scenario({kNames, crlf(line), crlf(train)}); }

// The first error of a compile of the same sources, as the compile command
// tells it.
std::optional<Diagnostic> compile_first_error(const Lines& line, const Lines& train) {
  MemoryFolder folder;
  folder.put(kNames.line_source(), crlf(line));
  folder.put(kNames.train_source(), crlf(train));
  TrackModel model;
  model.nome_linea = kNames.nome_linea;
  model.numero_treno = kNames.numero_treno;
  CompileReport report;
  Observation observation;
  int32_t j = 1;
  Finish finish = Finish::compiled;
  try {
    finish = compile_and_finish(model, folder, report, j, &observation);
  } catch (const std::exception&) {
    return compile_error(report, observation, model);
  }
  if (auto error = compile_error(report, observation, model)) return error;
  if (finish != Finish::compiled) return fixed_value_error(finish, observation, model, kNames);
  const Diagnostics marks = missing_mark_errors(report, observation, model, kNames);
  if (!marks.empty()) return marks.front();
  return std::nullopt;
}

using Edit = std::function<void(Lines& line, Lines& train)>;

// Replaces line `number` (from 1) of `lines` by `with` (several lines when it
// holds "\n"), or puts it before that line when `insert`.
void put(Lines& lines, int number, const std::string& with, bool insert = false) {
  Lines replacement;
  std::size_t start = 0;
  for (std::size_t end; (end = with.find('\n', start)) != std::string::npos; start = end + 1) {
    replacement.push_back(with.substr(start, end - start));
  }
  replacement.push_back(with.substr(start));
  const auto at = lines.begin() + (number - 1);
  if (!insert) lines.erase(at);
  lines.insert(lines.begin() + (number - 1), replacement.begin(), replacement.end());
}

Edit line_at(int number, std::string with, bool insert = false) {
  return [=](Lines& line, Lines&) { put(line, number, with, insert); };
}
Edit train_at(int number, std::string with, bool insert = false) {
  return [=](Lines&, Lines& train) { put(train, number, with, insert); };
}

struct Case {
  const char* what;
  Edit edit;
  int32_t code;
  char file;  // 'L' the line source file, 'T' the train source file
  int32_t line;
  // The column: where `at` stands first in that line (plus `skip`); the line's
  // end when `at` is empty.
  std::string at;
  int skip = 0;
};

const std::string kSignal = "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0";
const std::string kBoard = "indicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0";

const Case kCases[] = {
    // warnings
    {"a misspelled keyword", line_at(7, "pendeza,  1500,   -5"), 201, 'L', 7, "pendeza"},
    {"a keyword with a hyphen", line_at(9, "indicatori-vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0"), 202, 'L', 9,
     "indicatori"},
    {"a # line", line_at(7, "# pendenza,  1500,   -5"), 203, 'L', 7, "#"},
    {"a comma in a name",
     train_at(6, "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE, NORD"), 204, 'T', 6,
     "NORD"},
    {"a decimal comma", line_at(7, "pendenza,  1500,   8,5"), 204, 'L', 7, "8,5", 2},
    {"a unit", line_at(2, "lunghezza percorso,    20000 m"), 204, 'L', 2, " m", 1},
    {"a field on the next line", line_at(6, "pendenza,  0\n   0"), 205, 'L', 6, ""},
    {"a misspelled [generale] in the train", train_at(1, "[Generali]"), 206, 'T', 1, "[Generali]"},
    {"a line record in the train", train_at(2, "pendenza,  3000,   2", true), 207, 'T', 2, "pendenza"},
    {"a curve keyword with an s", line_at(12, "curva_destra3,  5000,  500", true), 208, 'L', 12, "curva"},
    {"a curve keyword with two classes", line_at(12, "curvad43,  5000,  500", true), 209, 'L', 12, "curva"},
    {"gradient rows out of order", line_at(6, "pendenza,  1500,   -5\npendenza,  0,   0"), 210, 'L', 7, "0"},
    {"overlapping curves", line_at(12, "curvas4,  5000,  500\ncurvad4,  5200,  300", true), 211, 'L', 13, "5200"},
    {"a mountain ending before it starts", line_at(12, "montagna,   9000,  8000,  1", true), 212, 'L', 12, "8000"},
    {"a station time going back",
     train_at(6, "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  13, 3, 0, MONTE"), 213, 'T', 6,
     "13, 3"},
    {"no speed row at 0", train_at(3, "velocita,     100,    80"), 214, 'T', 3, "100"},
    {"no adhesion row at 0", train_at(4, "aderenza,   500,    100"), 215, 'T', 4, "500"},
    {"a speed not a multiple of 5", train_at(3, "velocita,       0,    82"), 216, 'T', 3, "82"},
    {"a signal past the line's end", train_at(7, "segnale,    20500,   1, 4, 0,  0, 0,    0,  0,0,0, 0"), 217, 'T', 7,
     "20500"},
    {"a general keyword in capitals", line_at(3, "Progressiva chilometrica uno,    0,    5000,    0"), 218, 'L', 3,
     "Progressiva"},
    {"references sharing the greatest start",
     line_at(4, "progressiva chilometrica due,    1500,    0,    0\nprogressiva chilometrica tre,    1500,    0,    0",
             true),
     219, 'L', 4, "1500"},
    {"a name in UTF-8",
     train_at(5, "stazione,       0,  2,  700,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,58, 0, CITT\xC3\x80"), 220, 'T', 5,
     "CITT"},
    {"a general record twice", line_at(4, "progressiva chilometrica uno,    0,    5000,    0", true), 221, 'L', 4,
     "progressiva"},
    {"an empty sign text", line_at(11, "cartello_indicatore,  2900,"), 222, 'L', 11, ""},
    {"a signal value past its digit", train_at(7, "segnale,    2800,   1, 12, 0,  0, 0,    0,  0,0,0, 0"), 223, 'T', 7,
     "12"},
    {"a board speed not a multiple of 5", line_at(9, "indicatori_vmax,  1550,  127,  135,  135,  0,  ,  ,  ,  0"), 224,
     'L', 9, "127"},
    // notes
    {"a signal off the 50 m grid", train_at(7, "segnale,    2810,   1, 4, 0,  0, 0,    0,  0,0,0, 0"), 301, 'T', 7,
     "2810"},
    {"direction 1", line_at(3, "progressiva chilometrica uno,    0,    5000,    1"), 302, 'L', 3, "5000"},
    {"a short signal time", train_at(7, "segnale,    2800,   2, 4, 0,  0, 0,    0,  0,0,0, 50"), 303, 'T', 7, "50"},
    {"a time without sx 2", train_at(7, "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 210"), 304, 'T', 7, "210"},
    {"a slowdown near the origin", train_at(8, "rallentamento,   1200,    50,  400, 0,  1,  0"), 305, 'T', 8, "1200"},
    // errors
    {"a line too long", line_at(2, "lunghezza percorso,    1000001"), 1, 'L', 2, "1000001"},
    {"a reference off the grid", line_at(3, "progressiva chilometrica uno,    0,    5010,    0"), 2, 'L', 3, "5010"},
    {"a repetition off the grid", line_at(4, "ripetizione segnali 4 codici,    25    ,0"), 3, 'L', 4, "25"},
    {"no code system", line_at(4, "ripetizione segnali codici,    0    ,0"), 5, 'L', 4, "ripetizione"},
    {"a sign on the board", line_at(11, "cartello_indicatore,  1550,   (PL km)(1+522)"), 6, 'L', 11, "1550"},
    {"two abatement points in a cell", train_at(8, "abbattimento,  5000,  1\nabbattimento,  5000,  0", true), 7, 'T', 9,
     "5000"},
    {"a station off the grid",
     train_at(6, "stazione,    8060, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE"), 8, 'T', 6, "8060"},
    {"a station length off 100 m",
     train_at(6, "stazione,    8050, 28,  350,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE"), 9, 'T', 6, "350"},
    {"a gradient past the line", line_at(7, "pendenza,  26950,   -5"), 15, 'L', 7, "26950"},
    {"a signal on the sign", train_at(7, "segnale,    2900,   1, 4, 0,  0, 0,    0,  0,0,0, 0"), 16, 'T', 7, "2900"},
    {"a signal on the warning board", train_at(7, "segnale,    9000,   1, 4, 0,  0, 0,    0,  0,0,0, 0"), 17, 'T', 8,
     "10200"},
    {"a board on the sign", line_at(12, "indicatori_vmax,  2900,  125,  135,  135,  0,  ,  ,  ,  0", true), 21, 'L', 12,
     "2900"},
    {"stations too close", train_at(6, "stazione,    600, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE"),
     22, 'T', 6, "600"},
    {"a station with no stop cell",
     train_at(5, "stazione,      50,  2,  100,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,58, 0, PIANA"), 24, 'T', 5, "50"},
    {"a word for a number", train_at(2, "numero vetture,    molti"), 25, 'T', 2, "molti"},
    {"a field missing", line_at(6, "pendenza,  0"), 25, 'L', 6, ""},
    {"a signal too near the origin", train_at(7, "segnale,    300,   1, 4, 0,  0, 0,    0,  0,0,0, 0"), 25, 'T', 7,
     "300"},
    {"a curve without a class", line_at(12, "curvas7,  5000,  500", true), 103, 'L', 12, "curvas7"},
    {"an object in cell 1", train_at(8, "abbattimento,  50,  7", true), 1250, 'T', 8, "50"},
    {"no free cell before a slowdown",
     train_at(8,
              "segnale,    9950,   1, 4, 0,  0, 0,    0,  0,0,0, 0\nsegnale,    9900,   1, 4, 0,  0, 0,    0,  0,0,0, "
              "0\nsegnale,    9850,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
              true),
     12, 'T', 11, "10200"},
};

TEST(Checker, FindsEachMistakeAtItsLineAndColumnWithItsCode) {
  for (const Case& c : kCases) {
    Lines line = kSmallLine, train = kSmallTrain;
    c.edit(line, train);
    const CheckResult result = check(line, train);
    const Lines& file = c.file == 'L' ? line : train;
    const std::string& text = file[static_cast<std::size_t>(c.line - 1)];
    const auto column = static_cast<int32_t>(c.at.empty() ? text.size() : text.find(c.at) + c.skip);
    const SourcePlace place{c.file == 'L' ? kNames.line_source() : kNames.train_source(), c.line, column};
    const bool found = std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                                   [&](const Diagnostic& d) { return d.code == c.code && d.place == place; });
    std::string listed;
    for (const Diagnostic& d : result.diagnostics) {
      listed += "\n  " + d.place.file + ":" + std::to_string(d.place.line) + ":" + std::to_string(d.place.column) +
                " " + std::to_string(d.code) + " " + d.message;
    }
    EXPECT_TRUE(found) << c.what << ": no " << c.code << " at " << c.line << ":" << column << listed;

    // The first error is the compile's own, at the same line.
    const std::optional<Diagnostic> compiled = compile_first_error(line, train);
    const auto first = std::find_if(result.diagnostics.begin(), result.diagnostics.end(),
                                    [](const Diagnostic& d) { return d.severity == Severity::error; });
    ASSERT_EQ(compiled.has_value(), first != result.diagnostics.end()) << c.what;
    if (compiled) {
      EXPECT_EQ(first->code, compiled->code) << c.what;
      EXPECT_EQ(first->place.file, compiled->place.file) << c.what;
      EXPECT_EQ(first->place.line, compiled->place.line) << c.what;
    }
  }
}

// Fixing the first error of a check meets the next one listed.
TEST(Checker, ListsEveryErrorInTheOrderABuildMeetsThem) {
  Lines line = kSmallLine, train = kSmallTrain;
  put(line, 11, "cartello_indicatore,  1550,   (PL km)(1+522)");                                   // 6
  put(train, 6, "stazione,    8060, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE");  // 8
  put(train, 7, "segnale,    9000,   1, 4, 0,  0, 0,    0,  0,0,0, 0");                            // 17
  const CheckResult result = check(line, train);
  std::vector<int32_t> errors;
  for (const Diagnostic& d : result.diagnostics) {
    if (d.severity == Severity::error) errors.push_back(d.code);
  }
  EXPECT_EQ(errors, (std::vector<int32_t>{6, 8, 17}));
  EXPECT_EQ(result.count(Severity::error), 3);
}

TEST(Checker, TheBuiltInSourcesHaveNoWarningAndNoError) {
  const CheckResult result =
      check_scenario({{"Corvalle_Brinta", "24817"}, line_source_table().bytes(), train_source_table().bytes()});
  EXPECT_EQ(result.count(Severity::error), 0);
  EXPECT_EQ(result.count(Severity::warning), 0);
  EXPECT_EQ(records_read_text(result.read),
            "35 gradient rows, 40 curves, 1 mountain, 10 speed boards, 56 signs, 18 speed rows, 1 adhesion row, 29 "
            "signals, 1 slowdown, 13 stations");
  const CheckResult small = check(kSmallLine, kSmallTrain);
  EXPECT_EQ(small.diagnostics, Diagnostics{});
}

TEST(Checker, OptionsSwitchWarningsOffOrMakeThemErrors) {
  Lines line = kSmallLine;
  put(line, 7, "pendeza,  1500,   -5");
  CheckResult off = check(line, kSmallTrain);
  apply_options(off, {{code::unknown_keyword}, false});
  EXPECT_EQ(off.diagnostics, Diagnostics{});
  CheckResult strict = check(line, kSmallTrain);
  apply_options(strict, {{}, true});
  EXPECT_EQ(strict.count(Severity::error), 1);
  EXPECT_EQ(strict.count(Severity::warning), 0);
}

// Every code of the table has its explanation, and every explanation a code.
TEST(CodeTable, EveryCodeIsExplained) {
  for (const CodeEntry& entry : kCodeTable) {
    const CodeExplanation* e = explanation_of(entry.number);
    ASSERT_NE(e, nullptr) << entry.number;
    EXPECT_FALSE(e->why.empty()) << entry.number;
    EXPECT_FALSE(e->fix.empty()) << entry.number;
    EXPECT_EQ(find_code(entry.name), &entry);
  }
  for (int32_t n = 0; n < 2000; ++n) {
    if (explanation_of(n) != nullptr) {
      EXPECT_NE(find_code(n), nullptr) << n;
    }
  }
}

}  // namespace
}  // namespace scenario
