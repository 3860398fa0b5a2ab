// The line and train source files of the built-in scenario: how they are
// written, the rows they must carry, and rows that let the scenario compile
// without two objects in one cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "compiler/track_model.h"
#include "sources/line_table.h"
#include "sources/station_names.h"
#include "sources/text_writers.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

constexpr const char* kLineFile = "Corvalle_Brinta_linea.txt";
constexpr const char* kTrainFile = "Corvalle_Brinta_24817-.txt";

// The file's lines, each of which must end in CR LF.
std::vector<std::string> split_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << bytes.substr(start);
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Both files written once into a fresh folder.
class ScenarioSources : public ::testing::Test {
 protected:
  void SetUp() override {
    model_.nome_linea = "Corvalle_Brinta";
    model_.numero_treno = "24817";
    dati_linea(folder_.path(), model_);
    dati_treno(folder_.path(), model_);
    line_bytes_ = testing::read_file(folder_ / kLineFile);
    train_bytes_ = testing::read_file(folder_ / kTrainFile);
    line_ = split_lines(line_bytes_);
    train_ = split_lines(train_bytes_);
  }

  testing::TempFolder folder_;
  TrackModel model_;
  std::string line_bytes_, train_bytes_;
  std::vector<std::string> line_, train_;
};

// A record's fields: split at commas, blanks around each field dropped.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    std::string field = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    field.erase(0, field.find_first_not_of(' '));
    field.erase(field.find_last_not_of(' ') + 1);
    out.push_back(field);
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

// Numeric field k (an empty field reads as 0).
int number(const std::vector<std::string>& f, std::size_t k) { return f.at(k).empty() ? 0 : std::stoi(f.at(k)); }

// The records under each section header, and the headers in file order.
struct Sections {
  std::vector<std::string> order;
  std::map<std::string, std::vector<std::vector<std::string>>> records;
  std::map<std::string, std::vector<std::string>> lines;
};

Sections sections(const std::vector<std::string>& lines) {
  Sections s;
  for (const std::string& line : lines) {
    if (!line.empty() && line.front() == '[') {
      s.order.push_back(line);
      s.records[line];
      continue;
    }
    s.records[s.order.back()].push_back(fields(line));
    s.lines[s.order.back()].push_back(line);
  }
  return s;
}

int cell_of(int progressive) { return static_cast<int>(std::nearbyint(progressive / 50.0 + 1)); }

TEST_F(ScenarioSources, AreWrittenUnderTheirNamesWithCrLfInASingleByteCodePage) {
  EXPECT_EQ(line_.size(), 157u);
  EXPECT_EQ(train_.size(), 74u);
  for (const auto* file : {&line_, &train_}) {
    EXPECT_EQ(file->front(), "[generale]");
    EXPECT_EQ(file->back(), "[fine]");
    for (const std::string& line : *file) {
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
      EXPECT_EQ(line.find(kEndSentinel), std::string::npos);
    }
  }
  // The content is plain ASCII, so every character is one byte in Windows-1252.
  for (const std::string* bytes : {&line_bytes_, &train_bytes_}) {
    EXPECT_TRUE(std::all_of(bytes->begin(), bytes->end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  }
}

TEST_F(ScenarioSources, ReplaceOlderLongerFilesOfTheSameName) {
  const std::string old(20000, 'x');
  testing::write_file(folder_ / kLineFile, old);
  testing::write_file(folder_ / kTrainFile, old);
  dati_linea(folder_.path(), model_);
  dati_treno(folder_.path(), model_);
  EXPECT_EQ(testing::read_file(folder_ / kLineFile), line_bytes_);
  EXPECT_EQ(testing::read_file(folder_ / kTrainFile), train_bytes_);
}

TEST_F(ScenarioSources, CarryEveryFixedRowVerbatim) {
  const std::vector<std::string> line_rows = {
      "lunghezza percorso,    103000",
      "progressiva chilometrica uno,    0,    90000,    1",
      "progressiva chilometrica due,    1500,    -1500,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0    ,0",
      "curvas4,  500,  950",
      "curvad4,  1500,  1400",
      "curvad5,  100100,  750",
      "curvas5,  101100,  550",
      "pendenza,  0,   0",
      "pendenza,  1500,   -5",
      "pendenza,  84800,   9",
      "pendenza,  101600,   0",
      "montagna,   8700,  11050,  11",
      "indicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0",
      "cartello_indicatore,  2900,   (PL km)(1+522)",
  };
  const std::vector<std::string> train_rows = {
      "numero vetture,    4",
      "percentuale massa frenata,    120",
      "sabbia,    300",
      "orologio,    13              57            40 ",
      "aderenza,   0,    100",
      "velocita,       0,    80",
      "velocita,    1500,   135",
      "stazione,       0,  2,  700,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,58, 0, CORVALLE",
      "rallentamento,   10200,    50,  400, 0,  1,  0",
      "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
      "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210",
      "segnale,   40050,   1, 3, 4,  0, 0,    1,  3,1,0, 0",
      "segnale,   41300,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
      "segnale,   46100,   1, 4, 0,  0, 0,    0,  0,0,0, 210",
      "segnale,   65450,   2, 2, 3,  1, 0,    0,  0,0,0, 120",
  };
  const auto contains = [](const std::vector<std::string>& lines, const std::string& row) {
    return std::find(lines.begin(), lines.end(), row) != lines.end();
  };
  for (const std::string& row : line_rows) EXPECT_TRUE(contains(line_, row)) << row;
  for (const std::string& row : train_rows) EXPECT_TRUE(contains(train_, row)) << row;

  // The general block is the first thing of the line file, in this order.
  EXPECT_TRUE(std::equal(line_rows.begin(), line_rows.begin() + 8, line_.begin() + 1));
  // Curves: the two first and the two last rows.
  const Sections line = sections(line_);
  const auto& curves = line.lines.at("[curve]");
  EXPECT_EQ((std::vector<std::string>{curves[0], curves[1], curves[38], curves[39]}),
            (std::vector<std::string>{line_rows[8], line_rows[9], line_rows[10], line_rows[11]}));
}

TEST_F(ScenarioSources, LineFileHasTheStatedSectionsCountsAndShapes) {
  const Sections s = sections(line_);
  EXPECT_EQ(s.order, (std::vector<std::string>{"[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]",
                                               "[indicazioni]", "[fine]"}));
  const std::map<std::string, std::size_t> counts = {{"[generale]", 8}, {"[curve]", 40},    {"[pendenze]", 35},
                                                     {"[montagne]", 1}, {"[cartelli]", 10}, {"[indicazioni]", 56},
                                                     {"[fine]", 0}};
  for (const auto& [header, count] : counts) EXPECT_EQ(s.records.at(header).size(), count) << header;

  // Curves: side letter and class digit, starts ascending, none overlapping.
  const std::regex curve_shape(R"(curva[sd][1-6],  \d+,  \d+)");
  std::map<char, int> sides, classes;
  int previous_end = 0;
  for (const std::string& row : s.lines.at("[curve]")) {
    EXPECT_TRUE(std::regex_match(row, curve_shape)) << row;
    const auto f = fields(row);
    ++sides[f[0][5]];
    ++classes[f[0][6]];
    EXPECT_GT(number(f, 1), previous_end) << row;
    previous_end = number(f, 1) + number(f, 2);
  }
  EXPECT_EQ(sides, (std::map<char, int>{{'s', 23}, {'d', 17}}));
  EXPECT_EQ(classes, (std::map<char, int>{{'2', 4}, {'3', 14}, {'4', 18}, {'5', 4}}));

  // Gradients: ascending, within -9 to 9, reaching both ends of the range.
  const std::regex gradient_shape(R"(pendenza,  \d+,   -?\d)");
  int previous = -1, lowest = 0, highest = 0;
  for (const std::string& row : s.lines.at("[pendenze]")) {
    EXPECT_TRUE(std::regex_match(row, gradient_shape)) << row;
    const auto f = fields(row);
    EXPECT_GT(number(f, 1), previous) << row;
    previous = number(f, 1);
    lowest = std::min(lowest, number(f, 2));
    highest = std::max(highest, number(f, 2));
  }
  EXPECT_EQ(lowest, -9);
  EXPECT_EQ(highest, 9);

  // Maximum-speed boards: the fixed table, every board with empty d speeds and
  // no stripes.
  const std::vector<std::vector<int>> boards = {{1550, 125, 135, 135}, {39900, 100, 110, 110}, {43100, 125, 135, 135},
                                                {64650, 75, 80, 80},   {67100, 125, 130, 130}, {70150, 120, 130, 130},
                                                {82000, 60, 60, 60},   {83500, 125, 135, 135}, {92800, 120, 130, 130},
                                                {99200, 90, 110, 110}};
  const auto& board_rows = s.lines.at("[cartelli]");
  for (std::size_t i = 0; i < boards.size(); ++i) {
    const auto& b = boards[i];
    EXPECT_EQ(board_rows[i], "indicatori_vmax,  " + std::to_string(b[0]) + ",  " + std::to_string(b[1]) + ",  " +
                                 std::to_string(b[2]) + ",  " + std::to_string(b[3]) + ",  0,  ,  ,  ,  0");
  }

  // Signs: ascending from 350 to 89500, by kind of text.
  const std::vector<std::pair<std::regex, int>> kinds = {
      {std::regex(R"(\(PL km\)\(\d+\+\d{3}\))"), 29},
      {std::regex(R"(\(PLA km\)\(\d+\+\d{3}\))"), 13},
      {std::regex(R"(\(ponte fiume\)\([A-Z][a-z]+\))"), 2},
      {std::regex(R"(\( galleria \)\([A-Z][a-z]+\))"), 1},
      {std::regex(R"(\(diramazione\)\([A-Z][a-z]+\)|\(diramazioni\)\([A-Z][a-z]+\)\([A-Z][a-z]+\))"), 8},
      {std::regex(R"(\(confluenza\)\(linea da [A-Z][a-z]+\))"), 3},
  };
  std::vector<int> found(kinds.size(), 0);
  std::vector<int> progressives;
  for (const std::string& row : s.lines.at("[indicazioni]")) {
    const auto f = fields(row);
    ASSERT_EQ(f.size(), 3u) << row;  // a text holds no comma
    EXPECT_EQ(row, "cartello_indicatore,  " + f[1] + ",   " + f[2]);
    progressives.push_back(number(f, 1));
    for (std::size_t k = 0; k < kinds.size(); ++k) found[k] += std::regex_match(f[2], kinds[k].first);
  }
  for (std::size_t k = 0; k < kinds.size(); ++k) EXPECT_EQ(found[k], kinds[k].second) << "kind " << k;
  EXPECT_TRUE(std::is_sorted(progressives.begin(), progressives.end()));
  EXPECT_EQ(std::set<int>(progressives.begin(), progressives.end()).size(), progressives.size());
  EXPECT_EQ(progressives.front(), 350);
  EXPECT_EQ(progressives.back(), 89500);
}

TEST_F(ScenarioSources, TrainFileHasTheStatedSectionsStationsAndSignals) {
  const Sections s = sections(train_);
  EXPECT_EQ(s.order, (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                               "[rallentamenti]", "[segnali]", "[codici]", "[fine]"}));
  const std::map<std::string, std::size_t> counts = {{"[generale]", 4},  {"[aderenze]", 1},      {"[vel_limite]", 18},
                                                     {"[stazioni]", 13}, {"[rallentamenti]", 1}, {"[segnali]", 29},
                                                     {"[codici]", 0},    {"[fine]", 0}};
  for (const auto& [header, count] : counts) EXPECT_EQ(s.records.at(header).size(), count) << header;

  // Speed limits, right-aligned after the comma.
  const std::vector<std::pair<int, int>> speeds = {{0, 80},      {1500, 135},  {30450, 30},  {30700, 135}, {41300, 110},
                                                   {42800, 135}, {54400, 30},  {54650, 135}, {65450, 80},  {67100, 130},
                                                   {69700, 60},  {70150, 130}, {82150, 30},  {83150, 60},  {83500, 135},
                                                   {93650, 40},  {93850, 130}, {100100, 110}};
  const auto& speed_rows = s.lines.at("[vel_limite]");
  for (std::size_t i = 0; i < speeds.size(); ++i) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "velocita,%8d,%6d", speeds[i].first, speeds[i].second);
    EXPECT_EQ(speed_rows[i], expected);
  }

  // Stations: the fixed numbers, and the names of the train's stops in order.
  const std::vector<std::vector<int>> stations = {{0, 2, 700, 1, 0, 0, 4, 1, 0, 2, 1, 1, 1, 13, 58, 0},
                                                  {8050, 28, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 3, 0},
                                                  {13900, 12, 500, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 14, 9, 0},
                                                  {19900, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 30, 14, 14, 0},
                                                  {25950, 24, 400, 0, 0, 0, 0, 0, 0, 4, 1, 1, 30, 14, 19, 0},
                                                  {30550, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 24, 0},
                                                  {37550, 28, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 31, 0},
                                                  {42300, 4, 600, 1, 0, 0, 4, 1, 0, 2, 1, 1, 50, 14, 38, 0},
                                                  {47600, 28, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 43, 0},
                                                  {50100, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 46, 0},
                                                  {54500, 26, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 51, 0},
                                                  {58250, 28, 300, 0, 0, 0, 0, 0, 0, 0, 0, 0, 30, 14, 56, 0},
                                                  {66600, 4, 500, 1, 0, 0, 1, 1, 0, 2, 1, 1, 0, 15, 3, 0}};
  const auto& station_records = s.records.at("[stazioni]");
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const auto& f = station_records[i];
    ASSERT_EQ(f.size(), 18u);
    for (std::size_t k = 0; k < 16; ++k) EXPECT_EQ(number(f, k + 1), stations[i][k]) << "station " << i + 1;
    EXPECT_EQ(f[17], kStops[i]);
    EXPECT_TRUE(std::regex_match(f[17], std::regex("[A-Z]+"))) << f[17];
  }
  EXPECT_EQ(station_records.front()[17], "CORVALLE");
  EXPECT_LE(station_records[7][17].size(), 10u);   // station 8, for the timetable card's column
  EXPECT_LE(station_records[12][17].size(), 11u);  // the destination

  // Signals: progressive, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo.
  std::map<int, int> sx;
  std::multiset<int> tempi;
  std::vector<int> progressives, with_dx, with_s3, with_tempo_and_sx1;
  const std::regex signal_shape(R"(segnale, +\d+,   [12], [2-5], \d,  \d, 0,    \d,  \d,\d,\d, \d+)");
  for (const std::string& row : s.lines.at("[segnali]")) {
    EXPECT_TRUE(std::regex_match(row, signal_shape)) << row;
    const auto f = fields(row);
    const int p = number(f, 1);
    char prefix[32];  // the progressive right-aligned in 8 places
    std::snprintf(prefix, sizeof prefix, "segnale,%8d,", p);
    EXPECT_EQ(row.rfind(prefix, 0), 0u) << row;
    progressives.push_back(p);
    ++sx[number(f, 2)];
    if (number(f, 7) != 0) with_dx.push_back(p);
    if (number(f, 5) != 0) with_s3.push_back(p);
    if (number(f, 11) != 0) {
      tempi.insert(number(f, 11));
      if (number(f, 2) == 1) with_tempo_and_sx1.push_back(p);
    }
  }
  EXPECT_TRUE(std::is_sorted(progressives.begin(), progressives.end()));
  EXPECT_EQ(progressives.front(), 2800);
  EXPECT_EQ(progressives.back(), 65450);
  EXPECT_EQ(sx, (std::map<int, int>{{1, 13}, {2, 16}}));
  EXPECT_EQ(with_dx, (std::vector<int>{40050, 41300}));
  EXPECT_EQ(with_s3, (std::vector<int>{65450}));
  EXPECT_EQ(tempi, (std::multiset<int>{120, 210, 210, 210, 210, 215, 250, 250, 255}));
  EXPECT_EQ(with_tempo_and_sx1, (std::vector<int>{46100}));
}

// Places the scenario's objects cell by cell in the order the compiler reads
// them and reports every clash, then checks that the finishing pass finds a free
// cell for each mark it places around the slowdowns.
class CellPlan {
 public:
  // Places an object that must find its cell free.
  void place(int cell, const std::string& what) {
    if (cell <= 1) ADD_FAILURE() << what << " in cell " << cell << ", reserved";
    const auto [it, placed] = cells_.emplace(cell, what);
    if (!placed) ADD_FAILURE() << what << " in cell " << cell << ", taken by " << it->second;
  }
  // A stop cell is set over whatever stands there, which would lose that object.
  void place_stop(int cell, const std::string& what) {
    if (cells_.count(cell)) ADD_FAILURE() << what << " overwrites " << cells_[cell] << " in cell " << cell;
    cells_[cell] = what;
  }
  bool free(int cell) const { return cells_.count(cell) == 0; }
  bool is(int cell, const std::string& prefix) const {
    const auto it = cells_.find(cell);
    return it != cells_.end() && it->second.rfind(prefix, 0) == 0;
  }
  // A mark on the first free cell of `candidates`; false when none is free.
  bool mark(std::initializer_list<int> candidates) {
    for (int c : candidates) {
      if (c > 1 && free(c)) {
        cells_[c] = "mark";
        return true;
      }
    }
    return false;
  }

 private:
  std::map<int, std::string> cells_;
};

struct Slowdown {
  int warning, start, end, speed;
};

TEST_F(ScenarioSources, RowsCompileWithOneObjectPerCellAndRoomForEveryMark) {
  const Sections line = sections(line_);
  const Sections train = sections(train_);
  const int length = number(line.records.at("[generale]").at(0), 1);
  const int last_cell = static_cast<int>(std::nearbyint((length + 7000) / 50.0));
  const auto inside = [&](int p, int margin) { return (p + margin) / 50.0 <= last_cell; };

  for (const auto* s : {&line, &train}) {
    for (const auto& [header, records] : s->records) {
      if (header == "[generale]") continue;
      for (const auto& f : records) {
        const int margin = f[0] == "stazione" ? 800 : 100;
        EXPECT_TRUE(inside(number(f, 1), margin)) << f[0] << " at " << f[1];
      }
    }
  }

  CellPlan plan;
  for (const auto& f : line.records.at("[cartelli]")) plan.place(cell_of(number(f, 1)), "board " + f[1]);
  for (const auto& f : line.records.at("[indicazioni]")) plan.place(cell_of(number(f, 1)), "sign " + f[1]);

  for (const auto& f : train.records.at("[stazioni]")) {
    const int p = number(f, 1), type = number(f, 2), len = number(f, 3);
    const double end = (type >= 5 && type <= 8) ? (type <= 6 ? p + 150 : p + len)
                                                : std::nearbyint(p + len / 2.0 + (number(f, 6) != 0 ? 50 : 0));
    if (type < 25) plan.place_stop(static_cast<int>(std::nearbyint(end / 50 - 1)), "stop of " + f[17]);
  }

  std::vector<Slowdown> slowdowns;
  for (const auto& f : train.records.at("[rallentamenti]")) {
    const int x = number(f, 1), v = number(f, 2), l = number(f, 3), f_ta = number(f, 5);
    ASSERT_GT(x, 1500);
    Slowdown s{cell_of(x - 1200), cell_of(x), cell_of(x + l), v};
    plan.place(s.warning, "warning board");
    if (f_ta != 0) {
      const int h = static_cast<int>(std::nearbyint((x - 1200) / 50.0));
      for (int i = 0; i < 4; ++i) plan.place(h - i, "before warning board");
    }
    plan.place(s.start, "slowdown start");
    plan.place(s.end, "slowdown end");
    slowdowns.push_back(s);
  }

  for (const auto& f : train.records.at("[segnali]")) {
    EXPECT_GE(number(f, 1), 325) << f[1];  // room for the approach markers 8 cells back
    plan.place(cell_of(number(f, 1)), "signal " + f[1]);
  }

  for (const Slowdown& s : slowdowns) {
    // Before each signal in the 20 cells before the warning board, nearest first.
    for (int d = s.warning - 1; d >= std::max(3, s.warning - 20); --d) {
      if (plan.is(d, "signal")) {
        EXPECT_TRUE(plan.mark({d - 1, d - 2})) << "no mark before the signal in cell " << d;
      }
    }
    // Three windows before the start.
    for (int offset : {5, 11, 18}) {
      const int i = s.start;
      EXPECT_TRUE(plan.mark({i - offset, i - offset - 1, i - offset - 2})) << "window at start - " << offset;
    }
    if (s.speed >= 110) continue;
    // Inside a slow slowdown, a mark 8 cells after the start and then 8 cells
    // after the last mark, wherever it went ...
    for (int k = s.start + 1, since = 1; k <= s.end; ++k, ++since) {
      if (since != 8) continue;
      if (plan.mark({k})) {
        since = 0;
      } else if (plan.mark({k - 1})) {
        since = 1;
      } else if (plan.mark({k + 1})) {
        since = -1;
      } else {
        ADD_FAILURE() << "no mark inside the slowdown near cell " << k;
      }
    }
    // ... and one before the first signal within 12 cells after its end.
    for (int m = s.end; m <= s.end + 12; ++m) {
      if (plan.is(m, "signal")) {
        EXPECT_TRUE(plan.mark({m - 1, m - 2})) << "no mark before the signal in cell " << m;
        break;
      }
    }
  }

  // Stations grow upward from entry 1 and sign texts downward from entry 80 of
  // one table: they must not meet.
  EXPECT_LT(train.records.at("[stazioni]").size() + 1, 80 - line.records.at("[indicazioni]").size());
}

}  // namespace
}  // namespace scenario
