// The finishing sweep: speed abatement marks around slowdowns.
#include "output/finishing_pass.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "compiler/compile_report.h"

namespace scenario {
namespace {

// A layout of objects in an otherwise empty line of cells 0..n.
struct Layout {
  int32_t n = 300;
  std::map<int32_t, cella> objects;

  Layout& signal(int32_t c) { return put(c, tipo_cella::segnale); }
  Layout& board(int32_t c) { return put(c, tipo_cella::avviso_rallentamento); }
  Layout& occupied(int32_t c) { return put(c, tipo_cella::indicatore_v_max); }
  Layout& point(int32_t c, int16_t value) { return put(c, tipo_cella::abbattimento_valore, value); }
  Layout& slowdown(int32_t start, int32_t end, int16_t speed) {
    put(end, tipo_cella::fine_rallentamento, speed);
    return put(start, tipo_cella::inizio_rallentamento, speed);
  }
  Layout& put(int32_t c, uint8_t tipo, int16_t dato1 = 0) {
    objects[c] = cella{};
    objects[c].tipo = tipo;
    objects[c].dato1 = dato1;
    return *this;
  }

  TrackModel model() const {
    TrackModel m;
    m.celle.assign(static_cast<std::size_t>(n) + 1, cella{});
    for (const auto& [c, cell] : objects) m.celle[static_cast<std::size_t>(c)] = cell;
    return m;
  }
};

// Cells the sweep marked (tipo 12, value 180) that the layout did not hold.
std::set<int32_t> marks(const TrackModel& m, const Layout& layout) {
  std::set<int32_t> out;
  for (int32_t c = 0; c <= m.ultima_cella(); ++c) {
    const cella& cell = m.celle[static_cast<std::size_t>(c)];
    if (cell.tipo == tipo_cella::abbattimento_valore && cell.dato1 == kValoreSegno && !layout.objects.contains(c)) {
      out.insert(c);
    }
  }
  return out;
}

struct Case {
  const char* name;
  Layout layout;
  std::set<int32_t> expected_marks;
  int32_t expected_code = 0;
};

TEST(FinishingSweep, PlacesMarksByRulesAToD) {
  const std::vector<Case> cases = {
      {"slow slowdown 205-213: three before the start, one before the end",
       Layout().slowdown(205, 213, 50),
       {200, 194, 187, 212}},
      {"a signal on window 1's first candidate moves the mark to 199",
       Layout().slowdown(205, 213, 50).signal(200),
       {199, 194, 187, 212}},
      {"a fast slowdown gets only the three marks before its start",
       Layout().slowdown(205, 213, 120).signal(218),
       {200, 194, 187}},
      {"a start at cell 15 is too close to the origin for window 3", Layout().slowdown(15, 23, 50), {10, 4, 22}},
      {"each window falls back to its last candidate",
       Layout()
           .slowdown(205, 213, 120)
           .occupied(200)
           .occupied(199)
           .occupied(194)
           .occupied(193)
           .occupied(187)
           .occupied(186),
       {198, 192, 185}},
      {"each signal in the 20 cells before a warning board gets a mark",
       Layout().board(181).signal(170).signal(165),
       {169, 164}},
      {"a signal whose cell before is taken gets its mark two cells before",
       Layout().board(181).signal(170).occupied(169),
       {168}},
      {"a warning board at cell 5 looks back only to cell 3", Layout().board(5).signal(3).signal(2), {1}},
      {"a 30-cell slow slowdown gets marks every 8 cells and none after",
       Layout().slowdown(100, 130, 30),
       {95, 89, 82, 108, 116, 124}},
      {"the first signal after a slow slowdown gets a mark before it",
       Layout().slowdown(205, 213, 50).signal(220),
       {200, 194, 187, 212, 219}},
      {"a signal beyond 12 cells after the end gets none",
       Layout().slowdown(205, 213, 50).signal(226),
       {200, 194, 187, 212}},
      {"no free cell one or two before a signal near a board: code 11",
       Layout().board(181).signal(170).occupied(169).occupied(168),
       {},
       11},
      {"no free cell in a window before a start: code 12",
       Layout().slowdown(205, 213, 120).occupied(200).occupied(199).occupied(198),
       {194, 187},
       12},
      {"an abatement point in a window counts as occupied",
       Layout().slowdown(205, 213, 120).point(200, 90).point(199, 90).point(198, 90),
       {194, 187},
       12},
      {"a blocked candidate inside a slowdown stops further marks in it: code 13",
       Layout().slowdown(100, 130, 30).occupied(107).occupied(108).occupied(109),
       {95, 89, 82},
       13},
      {"no free cell before the signal after a slowdown: code 13",
       Layout().slowdown(205, 213, 50).signal(220).occupied(219).occupied(218),
       {200, 194, 187, 212},
       13},
  };
  for (const Case& c : cases) {
    TrackModel m = c.layout.model();
    CompileReport report;
    finishing_sweep(m, report);
    EXPECT_EQ(marks(m, c.layout), c.expected_marks) << c.name;
    EXPECT_EQ(m.codice_errore, c.expected_code) << c.name;
  }
}

// Each mark that finds no free cell is recorded with its rule, the object it
// belongs to and the first cell tried, in the order the sweep met them.
TEST(FinishingSweep, RecordsEveryMarkItCannotPlace) {
  using Miss = MissingMark;
  const Layout a = Layout().board(181).signal(170).occupied(169).occupied(168);
  const struct {
    const char* name;
    Layout layout;
    std::vector<Miss> expected;
  } cases[] = {
      {"rule A: the signal at 170", a, {{11, 'A', 170, 169}}},
      {"rule B: window 1 of the start at 205",
       Layout().slowdown(205, 213, 120).occupied(200).occupied(199).occupied(198),
       {{12, 'B', 205, 200}}},
      {"rule C: the candidate 108 of the start at 100",
       Layout().slowdown(100, 130, 30).occupied(107).occupied(108).occupied(109),
       {{13, 'C', 100, 108}}},
      {"rule D: the signal at 220",
       Layout().slowdown(205, 213, 50).signal(220).occupied(219).occupied(218),
       {{13, 'D', 220, 219}}},
      {"two misses, both kept",
       Layout(a).slowdown(205, 213, 120).occupied(200).occupied(199).occupied(198),
       {{11, 'A', 170, 169}, {12, 'B', 205, 200}}},
      {"none", Layout().slowdown(205, 213, 50), {}},
  };
  for (const auto& c : cases) {
    TrackModel m = c.layout.model();
    CompileReport report;
    report.missing_marks = {{99, 'X', 1, 1}};  // left from an earlier sweep
    finishing_sweep(m, report);
    EXPECT_EQ(report.missing_marks, c.expected) << c.name;
  }
}

TEST(FinishingSweep, AnAbatementPointBeforeASignalIsLoweredTo180NeverRaised) {
  for (const auto& [value, expected] : {std::pair<int16_t, int16_t>{200, 180}, {135, 135}}) {
    Layout layout = Layout().board(181).signal(170).point(169, value).occupied(168);
    TrackModel m = layout.model();
    CompileReport report;
    finishing_sweep(m, report);
    EXPECT_EQ(m.celle[169].dato1, expected) << value;
    EXPECT_EQ(m.codice_errore, 0);
  }
}

TEST(FinishingSweep, MarksReplaceMountainMarkersButKeepTheCellsOtherFields) {
  Layout layout = Layout().slowdown(205, 213, 120);
  layout.put(200, tipo_cella::segno_montagna);
  TrackModel m = layout.model();
  CompileReport report;
  m.celle[200].montagna = 1;
  m.celle[200].velocita = 27;
  m.celle[200].avviso = 83;
  finishing_sweep(m, report);
  EXPECT_EQ(m.celle[200].tipo, tipo_cella::abbattimento_valore);
  EXPECT_EQ(m.celle[200].dato1, kValoreSegno);
  EXPECT_EQ(m.celle[200].montagna, 1);
  EXPECT_EQ(m.celle[200].velocita, 27);
  EXPECT_EQ(m.celle[200].avviso, 83);
}

// A slowdown with no end cell after it (its end fell into its start cell, or
// lies past the line) sends rule C to the end of the array: it must stop
// there, touching nothing outside.
TEST(FinishingSweep, ASlowdownWithoutAnEndNeverReachesPastTheLastCell) {
  for (int32_t start : {280, 292, 295, 298}) {
    Layout layout;
    layout.put(start, tipo_cella::inizio_rallentamento, 50);
    TrackModel m = layout.model();
    CompileReport report;
    finishing_sweep(m, report);
    EXPECT_EQ(m.ultima_cella(), 300) << start;
    for (int32_t c : marks(m, layout)) EXPECT_LE(c, 300) << start;
    if (start == 280) {
      EXPECT_EQ(marks(m, layout), (std::set<int32_t>{275, 269, 262, 288, 296}));
    }
  }
}

TEST(FinishingSweep, CellsNMinusOneAndNAreNeverVisited) {
  Layout layout;
  layout.put(299, tipo_cella::inizio_rallentamento, 120).put(300, tipo_cella::avviso_rallentamento).signal(290);
  TrackModel m = layout.model();
  CompileReport report;
  finishing_sweep(m, report);
  EXPECT_TRUE(marks(m, layout).empty());
}

TEST(FinishingSweep, Minimo) {
  EXPECT_EQ(minimo(180, 200), 180);
  EXPECT_EQ(minimo(180, 135), 135);
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(180, -5), -5);
}

}  // namespace
}  // namespace scenario
