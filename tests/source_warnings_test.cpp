// The checker's warnings of values the compile stores otherwise than written:
// out of their ranges, replaced by a later record, of no length, given twice;
// each at its field, saying what the value becomes, with the record that took
// its place as a related location. Correct but unusual writings stay clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checker/checker.h"
#include "support/small_scenario.h"

namespace scenario {
namespace {

using Lines = std::vector<std::string>;
using testing::crlf;
using testing::kSmallLine;
using testing::kSmallTrain;

const FileNames kNames{"Valle", "123"};

// Replaces line `number` (from 1) by `with` (several lines when it holds
// "\n"), or puts it before that line when `insert`.
void put(Lines& lines, int number, const std::string& with, bool insert = false) {
  Lines replacement;
  std::size_t start = 0;
  for (std::size_t end; (end = with.find('\n', start)) != std::string::npos; start = end + 1) {
    replacement.push_back(with.substr(start, end - start));
  }
  replacement.push_back(with.substr(start));
  if (!insert) lines.erase(lines.begin() + (number - 1));
  lines.insert(lines.begin() + (number - 1), replacement.begin(), replacement.end());
}

std::string listing(const CheckResult& result) {
  std::string listed;
  for (const Diagnostic& d : result.diagnostics) {
    listed += "\n  " + d.place.file + ":" + std::to_string(d.place.line) + ":" + std::to_string(d.place.column) + " " +
              std::to_string(d.code) + " " + d.message;
  }
  return listed;
}

struct Where {
  char file = 0;  // 'L' the line source file, 'T' the train source file; 0 for none
  int line = 0;
  std::string at;  // the column: where this stands first in the line, plus skip
  int skip = 0;
};

struct Case {
  const char* what;
  char file;  // the file edited
  int line;
  std::string with;
  bool insert;
  int32_t code;
  Where place;
  std::string says;  // a part of the message
  Where related = {};
};

SourcePlace place_of(const Where& w, const Lines& line, const Lines& train) {
  const Lines& file = w.file == 'L' ? line : train;
  const std::string& text = file.at(static_cast<std::size_t>(w.line - 1));
  const std::size_t found = text.find(w.at);
  EXPECT_NE(found, std::string::npos) << w.at << " in " << text;
  return {w.file == 'L' ? kNames.line_source() : kNames.train_source(), w.line, static_cast<int32_t>(found) + w.skip};
}

void expect_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    Lines line = kSmallLine, train = kSmallTrain;
    put(c.file == 'L' ? line : train, c.line, c.with, c.insert);
    const CheckResult result = check_scenario({kNames, crlf(line), crlf(train)});
    const SourcePlace place = place_of(c.place, line, train);
    const auto found = std::find_if(result.diagnostics.begin(), result.diagnostics.end(),
                                    [&](const Diagnostic& d) { return d.code == c.code && d.place == place; });
    ASSERT_NE(found, result.diagnostics.end())
        << c.what << ": no " << c.code << " at " << place.line << ":" << place.column << listing(result);
    EXPECT_NE(found->message.find(c.says), std::string::npos) << c.what << ": " << found->message;
    EXPECT_EQ(result.count(Severity::error), 0) << c.what << listing(result);
    if (c.related.file != 0) {
      ASSERT_EQ(found->related.size(), 1u) << c.what;
      EXPECT_EQ(found->related[0].place, place_of(c.related, line, train)) << c.what;
      EXPECT_FALSE(found->related[0].message.empty()) << c.what;
    }
  }
}

// Each field against its range in the format table: what the value becomes.
TEST(SourceWarnings, AValueOutsideItsRangeSaysWhatItBecomes) {
  expect_cases({
      {"a gradient below -100",
       'L',
       7,
       "pendenza,  1500,   -101",
       false,
       226,
       {'L', 7, "-101"},
       "-101 per mille is stored as 155 per mille: the cell keeps 8 bits, so the profile climbs here"},
      {"an adhesion above 255", 'T', 4, "aderenza,   0,    300", false, 226, {'T', 4, "300"}, "stored as 44"},
      {"a signal time above 255",
       'T',
       7,
       "segnale,    2800,   2, 4, 0,  0, 0,    0,  0,0,0, 300",
       false,
       226,
       {'T', 7, "300"},
       "tempo 300 s is stored as 44 s"},
      {"clock minutes of 72",
       'T',
       2,
       "orologio,    13   72   40",
       true,
       227,
       {'T', 2, "72"},
       "minutes 72 min lies outside 0 to 59: it is stored as written"},
      {"a direction flag of 2",
       'L',
       3,
       "progressiva chilometrica uno,    0,    5000,    2",
       false,
       227,
       {'L', 3, "    2", 4},
       "only 1 raises"},
      {"a mountain type 0",
       'L',
       8,
       "[montagne]\nmontagna,   8700,  11050,  0",
       true,
       228,
       {'L', 9, ",  0", 3},
       "0 makes no mountain at all"},
      {"a curve of negative length",
       'L',
       5,
       "[curve]\ncurvas4,  500,  -600",
       true,
       228,
       {'L', 6, "-600"},
       "the curve vanishes"},
      {"a slowdown of length 0",
       'T',
       8,
       "rallentamento,   10200,    50,  0, 0,  1,  0",
       false,
       228,
       {'T', 8, "  0,", 2},
       "no length"},
      {"a station of length 0",
       'T',
       6,
       "stazione,    8050, 28,  0,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE",
       false,
       228,
       {'T', 6, "  0,  0", 2},
       "empty or turned round"},
      {"stripes past their digit",
       'L',
       9,
       "indicatori_vmax,  1550,  125,  135,  135,  10,  ,  ,  ,  0",
       false,
       223,
       {'L', 9, "10"},
       "spills"},
  });
}

// Where each record's values landed: a record whose object or value another
// took over is told at its own line, pointing at the other.
TEST(SourceWarnings, ARecordWhoseValueDidNotLandPointsAtTheRecordThatReplacedIt) {
  expect_cases({
      {"a board on a station's stop cell",
       'L',
       9,
       "indicatori_vmax,  250,  125,  135,  135,  0,  ,  ,  ,  0",
       false,
       229,
       {'L', 9, "250"},
       "replaced by the station's stop",
       {'T', 5, "0"}},
      {"an abatement point on a station's stop cell",
       'T',
       5,
       "abbattimento,  300,  0",
       true,
       229,
       {'T', 5, "300"},
       "abatement point",
       {'T', 6, "0"}},
      {"a mountain starting just after another",
       'L',
       8,
       "[montagne]\nmontagna,   2000,  4000,  1\nmontagna,   4100,  6000,  2",
       true,
       229,
       {'L', 10, "  2", 2},
       "type 3, not 2",
       {'L', 9, "4000"}},
      {"overlapping mountains",
       'L',
       8,
       "[montagne]\nmontagna,   2000,  6000,  1\nmontagna,   5000,  8000,  2",
       true,
       229,
       {'L', 9, "2000"},
       "overlapped",
       {'L', 10, "5000"}},
      {"a signal's approach markers over a station's",
       'T',
       7,
       "segnale,    400,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
       false,
       229,
       {'T', 5, "0"},
       "approach marker 81 of this station's stop",
       {'T', 7, "400"}},
      {"col5 of a short station",
       'T',
       6,
       "stazione,    8050, 28,  300,  0, 1, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE",
       false,
       230,
       {'T', 6, " 1,", 1},
       "shorter than 600 m"},
      {"gradient rows in one cell",
       'L',
       7,
       "pendenza,  1500,   -5\npendenza,  1500,   2",
       false,
       232,
       {'L', 7, "1500"},
       "one cell",
       {'L', 8, "1500"}},
      {"gradient rows out of order",
       'L',
       6,
       "pendenza,  1500,   -5\npendenza,  0,   0",
       false,
       210,
       {'L', 7, "0"},
       "comes after",
       {'L', 6, "1500"}},
      {"a train record given twice",
       'T',
       2,
       "numero vetture,    4\nnumero vetture,    5",
       false,
       221,
       {'T', 3, "numero"},
       "given again",
       {'T', 2, "numero"}},
  });
}

TEST(SourceWarnings, DegenerateGeometryAndTextsAreNamed) {
  expect_cases({
      {"a reference past the line's end",
       'L',
       3,
       "progressiva chilometrica uno,    30000,    5000,    0",
       false,
       233,
       {'L', 3, "30000"},
       "past the end of the line"},
      {"a comment after a station name",
       'T',
       6,
       "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE -- fermata",
       false,
       231,
       {'T', 6, "MONTE"},
       "holds a comment"},
  });
}

// A mistake that the compile meets as another problem is named as what it is,
// at its own place, with the fix.
TEST(SourceWarnings, DiagnosesNameTheRealMistake) {
  const struct {
    const char* what;
    char file;
    int line;
    std::string with;
    bool insert;
    int32_t code;
    Where place;
    std::string says;
    std::string hint;
  } cases[] = {
      {"a semicolon glued to the keyword",
       'T',
       6,
       "stazione;    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE",
       false,
       8,
       {'T', 6, "28"},
       "holds \";    8050\" after the keyword",
       "write a comma right after \"stazione\""},
      {"a kilometre for a progressive",
       'T',
       7,
       "segnale,    2+800,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
       false,
       25,
       {'T', 7, "2+800"},
       "a kilometre as the signs show it",
       "write 2800"},
      {"a third comment in a row",
       'L',
       8,
       "-- one\n-- two\n-- three",
       true,
       236,
       {'L', 10, "-- three"},
       "follows 2 comments in a row",
       "put a record between"},
      {"a field inserted in a station",
       'T',
       6,
       "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, 0, MONTE",
       false,
       237,
       {'T', 6, "MONTE"},
       "has a field more than its 17",
       "remove the field too many"},
      {"a right curve misspelled",
       'L',
       5,
       "[curve]\ncurvd4,  500,  600",
       true,
       201,
       {'L', 6, "curvd4"},
       "names no record",
       "did you mean \"curvad4\"?"},
  };
  for (const auto& c : cases) {
    Lines line = kSmallLine, train = kSmallTrain;
    put(c.file == 'L' ? line : train, c.line, c.with, c.insert);
    const CheckResult result = check_scenario({kNames, crlf(line), crlf(train)});
    const SourcePlace place = place_of(c.place, line, train);
    const auto found = std::find_if(result.diagnostics.begin(), result.diagnostics.end(),
                                    [&](const Diagnostic& d) { return d.code == c.code && d.place == place; });
    ASSERT_NE(found, result.diagnostics.end())
        << c.what << ": no " << c.code << " at " << place.line << ":" << place.column << listing(result);
    EXPECT_NE(found->message.find(c.says), std::string::npos) << c.what << ": " << found->message;
    EXPECT_NE(found->hint.find(c.hint), std::string::npos) << c.what << ": " << found->hint;
  }
  // A file saved as UTF-16 is named so, whatever else its bytes give.
  std::string utf16;
  for (const char ch : crlf(kSmallTrain)) utf16 += std::string{ch, '\0'};
  const CheckResult result = check_scenario({kNames, crlf(kSmallLine), "\xFF\xFE" + utf16});
  EXPECT_TRUE(std::any_of(result.diagnostics.begin(), result.diagnostics.end(), [](const Diagnostic& d) {
    return d.code == 235 && d.place.file == kNames.train_source();
  })) << listing(result);
}

// Correct writings, however unusual, give no warning: tabs, CR CR LF, a
// byte-order mark before "[generale]", "+4", leading zeros, values at both ends
// of their ranges, sections in another order.
TEST(SourceWarnings, CorrectButUnusualWritingsStayClean) {
  struct Clean {
    const char* what;
    char file;
    int line;
    std::string with;
  };
  const Clean cases[] = {
      {"tabs", 'L', 7, "pendenza,\t1500,\t-5"},
      {"a plus sign and leading zeros", 'T', 2, "numero vetture,    +0004"},
      {"the lowest gradient", 'L', 7, "pendenza,  1500,   -100"},
      {"the highest gradient", 'L', 7, "pendenza,  1500,   155"},
      {"the lowest adhesion", 'T', 4, "aderenza,   0,    0"},
      {"the highest adhesion", 'T', 4, "aderenza,   0,    255"},
      {"the highest signal time", 'T', 7, "segnale,    2800,   2, 4, 0,  0, 0,    0,  0,0,0, 255"},
      {"digits at their ends", 'T', 7, "segnale,    2800,   2, 9, 0,  9, 0,    2,  0,9,0, 0"},
      {"a byte-order mark", 'L', 1, "\xEF\xBB\xBF[generale]"},
      {"a mountain of the highest type", 'L', 8, "[montagne]\nmontagna,   2000,  4000,  20\n[cartelli]"},
      {"sections in another order", 'L', 5,
       "[cartelli]\nindicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0\n[pendenze]\npendenza,  0,   0\n"
       "pendenza,  1500,   -5\n[indicazioni]\ncartello_indicatore,  2900,   (PL km)(1+522)\n[fine]"},
  };
  for (const Clean& c : cases) {
    Lines line = kSmallLine, train = kSmallTrain;
    Lines& file = c.file == 'L' ? line : train;
    if (std::string(c.what) == "sections in another order") {
      file.resize(4);
      put(file, 5, c.with, true);
    } else {
      put(file, c.line, c.with);
    }
    const CheckResult result = check_scenario({kNames, crlf(line), crlf(train)});
    EXPECT_EQ(result.count(Severity::error) + result.count(Severity::warning), 0) << c.what << listing(result);
  }
  // CR CR LF line ends.
  std::string line_bytes, train_bytes;
  for (const std::string& l : kSmallLine) line_bytes += l + "\r\r\n";
  for (const std::string& l : kSmallTrain) train_bytes += l + "\r\r\n";
  const CheckResult result = check_scenario({kNames, line_bytes, train_bytes});
  EXPECT_EQ(result.count(Severity::error) + result.count(Severity::warning), 0) << listing(result);
}

// A check lists at most its limit of errors and says how many it left out;
// no limit lists them all.
TEST(SourceWarnings, ACheckSaysHowManyErrorsItDidNotList) {
  Lines line = kSmallLine;
  // Each sign on the board's cell is an error of its own.
  for (int i = 0; i < 5; ++i) put(line, 11, "cartello_indicatore,  1550,   (PL km)(1+522)", true);
  const CheckResult limited = check_scenario({kNames, crlf(line), crlf(kSmallTrain)}, {2, 0});
  EXPECT_EQ(limited.count(Severity::error), 2);
  EXPECT_EQ(limited.errors_not_listed, 3);
  EXPECT_FALSE(limited.more_not_counted);
  const CheckResult all = check_scenario({kNames, crlf(line), crlf(kSmallTrain)}, {0, 0});
  EXPECT_EQ(all.count(Severity::error), 5);
  EXPECT_EQ(all.errors_not_listed, 0);
}

}  // namespace
}  // namespace scenario
