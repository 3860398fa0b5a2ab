// Mountains, slowdowns, signals and maximum-speed boards in the cells.
#include "compiler/record_builders.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/run_time_failure.h"

namespace scenario {
namespace {

// A 103 km line: cells 0 to 2200, no plan.
TrackModel line_model() {
  TrackModel model;
  model.allocate_line(103000);
  return model;
}

// Cells whose tipo is `tipo`, in index order.
std::vector<int> cells_of_type(const TrackModel& model, uint8_t tipo) {
  std::vector<int> found;
  for (std::size_t c = 0; c < model.celle.size(); ++c) {
    if (model.celle[c].tipo == tipo) found.push_back(static_cast<int>(c));
  }
  return found;
}

TEST(MemoMontagna, ATypeAbove10MarksEveryFourthEmptyCell) {
  TrackModel model = line_model();
  model.celle[181].tipo = tipo_cella::segnale;  // an object keeps its cell
  memo_montagna(model, 8700, 11050, 11);

  EXPECT_EQ(model.n_montagne, 1);
  EXPECT_EQ(model.montagna_inizio[1], 8700);
  EXPECT_EQ(model.montagna_fine[1], 11050);
  for (int c = 172; c <= 222; ++c) EXPECT_EQ(model.celle[c].montagna, c >= 174 && c <= 220 ? 1 : 0) << c;
  std::vector<int> markers;
  for (int c = 177; c <= 217; c += 4) {
    if (c != 181) markers.push_back(c);
  }
  EXPECT_EQ(cells_of_type(model, tipo_cella::segno_montagna), markers);
  EXPECT_EQ(model.celle[181].tipo, tipo_cella::segnale);
}

TEST(MemoMontagna, OneStarting150mOrLessAfterThePreviousGetsType3) {
  TrackModel model = line_model();
  memo_montagna(model, 1000, 2000, 2);
  memo_montagna(model, 2150, 3000, 5);  // 150 m after: type 3, no markers
  memo_montagna(model, 3200, 4000, 5);  // 200 m after: its own type
  EXPECT_EQ(model.celle[43].montagna, 3);
  EXPECT_EQ(model.celle[64].montagna, 5);
  EXPECT_TRUE(cells_of_type(model, tipo_cella::segno_montagna).empty());
  EXPECT_EQ(model.n_montagne, 3);
}

TEST(MemoMontagna, AnEmptyRangeTouchesNoCellAndAnEightyFirstIsARunTimeFailure) {
  TrackModel model = line_model();
  memo_montagna(model, 5000, 5050, 11);  // first cell 100, last 100: one cell
  memo_montagna(model, 6000, 6000, 11);  // first 120 above last 119: none
  EXPECT_EQ(model.celle[100].montagna, 1);
  EXPECT_EQ(model.celle[120].montagna, 0);
  EXPECT_EQ(model.celle[119].montagna, 0);

  model.n_montagne = 80;
  EXPECT_THROW(memo_montagna(model, 90000, 91000, 1), RunTimeFailure);
}

TEST(MemoRallentamento, PlacesBoardStartEndAndTheFourCellsBeforeTheBoard) {
  TrackModel model = line_model();
  memo_rallentamento(model, 10200, 50, 400, 0, 1, 0);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(cells_of_type(model, 4), std::vector<int>{181});
  EXPECT_EQ(cells_of_type(model, 3), std::vector<int>{205});
  EXPECT_EQ(cells_of_type(model, 2), std::vector<int>{213});
  EXPECT_EQ(cells_of_type(model, 5), (std::vector<int>{177, 178, 179, 180}));
  for (int c : {181, 205, 213}) EXPECT_EQ(model.celle[c].dato1, 50) << c;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(model.celle[180 - i].dato1, i + 1);
    EXPECT_EQ(model.celle[180 - i].dato2, 0);  // no second speed
  }
}

TEST(MemoRallentamento, ASecondSpeedAndTheFlagGoWithEachPart) {
  TrackModel model = line_model();
  memo_rallentamento(model, 10200, 50, 400, 7, 1, 30);
  for (int c : {181, 205, 213}) EXPECT_EQ(model.celle[c].dato2, 30) << c;
  EXPECT_EQ(model.celle[205].dato3, 7);
  EXPECT_EQ(model.celle[213].dato3, 7);
  EXPECT_EQ(model.celle[181].dato3, 0);
  EXPECT_EQ(model.celle[177].dato2, 4);
}

TEST(MemoRallentamento, NoWarningBoardWithin1500mOfTheOrigin) {
  TrackModel at1500 = line_model();
  memo_rallentamento(at1500, 1500, 60, 200, 0, 1, 0);
  EXPECT_TRUE(cells_of_type(at1500, 4).empty());
  EXPECT_TRUE(cells_of_type(at1500, 5).empty());
  EXPECT_EQ(cells_of_type(at1500, 3), std::vector<int>{31});

  TrackModel at1550 = line_model();
  memo_rallentamento(at1550, 1550, 60, 200, 0, 1, 0);
  EXPECT_EQ(cells_of_type(at1550, 4), std::vector<int>{8});
  EXPECT_EQ(cells_of_type(at1550, 5), (std::vector<int>{4, 5, 6, 7}));
}

TEST(MemoRallentamento, OfLength0LeavesOneStartCellWithTheValuesOfBoth) {
  TrackModel model = line_model();
  memo_rallentamento(model, 10200, 50, 0, 1, 0, 0);
  EXPECT_EQ(cells_of_type(model, 3), std::vector<int>{205});
  EXPECT_TRUE(cells_of_type(model, 2).empty());
  EXPECT_EQ(model.celle[205].dato1, 50);
  EXPECT_EQ(model.celle[205].dato3, 1);
}

TEST(MemoRallentamento, RefusesAnOccupiedCell) {
  struct Case {
    int occupied;
    int code;
    std::vector<int> placed;  // cells that hold a slowdown part afterwards
  };
  const Case cases[] = {
      {181, 17, {}},
      {205, 18, {}},
      {213, 19, {}},
      {178, 20, {181, 205, 213}},
  };
  for (const Case& c : cases) {
    TrackModel model = line_model();
    model.celle[c.occupied].tipo = tipo_cella::cartello;
    memo_rallentamento(model, 10200, 50, 400, 0, 1, 0);
    EXPECT_EQ(model.codice_errore, c.code);
    std::vector<int> placed;
    for (uint8_t tipo : {4, 3, 2}) {
      for (int cell : cells_of_type(model, tipo)) placed.push_back(cell);
    }
    EXPECT_EQ(placed, c.placed) << c.code;
    EXPECT_TRUE(cells_of_type(model, 5).empty()) << c.code;
  }
}

TEST(MemoRallentamento, AMountainMarkerGivesWay) {
  TrackModel model = line_model();
  model.celle[205].tipo = tipo_cella::segno_montagna;
  model.celle[205].pendenza = 95;
  memo_rallentamento(model, 10200, 50, 400, 0, 0, 0);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.celle[205].tipo, 3);
  EXPECT_EQ(model.celle[205].pendenza, 95);
}

TEST(MemoSegnale, StoresTheValuesAsDecimalDigitsAndFourApproachMarkers) {
  TrackModel model = line_model();
  memo_segnale(model, 40050, 1, 3, 4, 0, 0, 1, 3, 1, 0, 0);
  const cella& s = model.celle[802];
  EXPECT_EQ(s.tipo, 1);
  EXPECT_EQ(s.dato1, 33);
  EXPECT_EQ(s.dato2, 41);
  EXPECT_EQ(s.dato3, 0);
  EXPECT_EQ(s.dato4, 4);
  EXPECT_EQ(s.tempo, 0);
  EXPECT_EQ(model.celle[800].avviso, 41);
  EXPECT_EQ(model.celle[798].avviso, 42);
  EXPECT_EQ(model.celle[796].avviso, 43);
  EXPECT_EQ(model.celle[794].avviso, 44);

  memo_segnale(model, 7900, 2, 4, 0, 0, 0, 0, 0, 0, 0, 210);
  EXPECT_EQ(model.celle[159].dato1, 40);
  EXPECT_EQ(model.celle[159].dato4, 6);
  EXPECT_EQ(model.celle[159].tempo, 210);
  EXPECT_EQ(model.celle[151].avviso, 64);
}

TEST(MemoSegnale, KeepsATimeOnlyWithSx2AndRaisesShortTimesTo101) {
  struct Case {
    int32_t sx, tempo;
    uint8_t stored;
  };
  const Case cases[] = {{2, 0, 0},     {2, 1, 101},   {2, 50, 101}, {2, 100, 101},
                        {2, 101, 101}, {2, 210, 210}, {2, 300, 44}, {1, 210, 0}};
  for (const Case& c : cases) {
    TrackModel model = line_model();
    memo_segnale(model, 7900, c.sx, 4, 0, 0, 0, 0, 0, 0, 0, c.tempo);
    EXPECT_EQ(model.celle[159].tempo, c.stored) << c.sx << " " << c.tempo;
  }
}

TEST(MemoSegnale, ValuesPast16BitsWrapAndALaterSignalOverwritesMarkers) {
  TrackModel model = line_model();
  memo_segnale(model, 20000, 1, 4000, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(model.celle[401].dato1, -25536);  // 40000 keeps its low 16 bits
  EXPECT_EQ(model.celle[399].avviso, 31);
  memo_segnale(model, 20200, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0);  // cell 405: markers in 403, 401, 399, 397
  EXPECT_EQ(model.celle[399].avviso, 63);
  EXPECT_EQ(model.celle[401].avviso, 62);  // the first signal's own cell takes a marker too
}

TEST(MemoSegnale, TakesAMountainMarkerCellButNotAnOccupiedOne) {
  TrackModel model = line_model();
  model.celle[159].tipo = tipo_cella::segno_montagna;
  memo_segnale(model, 7900, 2, 4, 0, 0, 0, 0, 0, 0, 0, 210);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.celle[159].tipo, 1);

  TrackModel refused = line_model();
  refused.celle[159].tipo = tipo_cella::indicatore_v_max;
  const std::vector<cella> before = refused.celle;
  memo_segnale(refused, 7900, 2, 4, 0, 0, 0, 0, 0, 0, 0, 210);
  EXPECT_EQ(refused.codice_errore, 16);
  EXPECT_EQ(refused.celle, before);
}

TEST(MemoSegnale, ASignalTooNearTheOriginForItsMarkersFailsBeforeWriting) {
  TrackModel model = line_model();
  const std::vector<cella> before = model.celle;
  EXPECT_THROW(memo_segnale(model, 300, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0), RunTimeFailure);  // cell 7
  EXPECT_EQ(model.celle, before);
  memo_segnale(model, 325, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0);  // cell 8: markers down to cell 0
  EXPECT_EQ(model.celle[0].avviso, 34);
}

TEST(MemoIndicatoriVMax, PacksEachSpeedPairIntoOneNumber) {
  TrackModel model = line_model();
  memo_indicatori_v_max(model, 1550, 125, 135, 135, 0, 0, 0, 0, 0);
  const cella& b = model.celle[32];
  EXPECT_EQ(b.tipo, 6);
  EXPECT_EQ(b.dato1, 2500);
  EXPECT_EQ(b.dato2, 2700);
  EXPECT_EQ(b.dato3, 2700);
  EXPECT_EQ(b.dato4, 0);

  memo_indicatori_v_max(model, 5000, 100, 80, 60, 2, 90, 62, 12, 3);
  const cella& d = model.celle[101];
  EXPECT_EQ(d.dato1, 2018);  // 2000 + 18
  EXPECT_EQ(d.dato2, 1612);  // 1600 + 12.4 rounded
  EXPECT_EQ(d.dato3, 1202);  // 1200 + 2.4 rounded
  EXPECT_EQ(d.dato4, 23);
}

TEST(MemoIndicatoriVMax, RefusesAnOccupiedCellAndASpeedPast16Bits) {
  TrackModel model = line_model();
  model.celle[32].tipo = tipo_cella::segnale;
  memo_indicatori_v_max(model, 1550, 125, 135, 135, 0, 0, 0, 0, 0);
  EXPECT_EQ(model.codice_errore, 21);
  EXPECT_EQ(model.celle[32].dato1, 0);

  TrackModel too_fast = line_model();
  EXPECT_THROW(memo_indicatori_v_max(too_fast, 1550, 1700, 0, 0, 0, 0, 0, 0, 0), RunTimeFailure);
  EXPECT_EQ(too_fast.celle[32].tipo, 0);
}

}  // namespace
}  // namespace scenario
