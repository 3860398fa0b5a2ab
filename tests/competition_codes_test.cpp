// The competition codes: plain and position-weighted sums over 25 characters.
#include "output/competition_codes.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

struct Codes {
  int32_t og;
  int32_t st;
  bool operator==(const Codes&) const = default;
};

Codes codes(const std::string& train, const std::string& line) {
  TrackModel m;
  m.tabella_sim[voce::intestazione_treno].testo = train;
  m.tabella_sim[voce::intestazione_linea].testo = line;
  const int32_t st = codice_gara_st(m);  // the build computes this one first
  return {codice_gara_og(m), st};
}

TEST(CompetitionCodes, KnownValues) {
  // "24817corvalle_brintazzvvu"
  EXPECT_EQ(codes("24817", "Corvalle_Brinta"), (Codes{2450, 35155}));
  // Empty names: the first 25 pad characters, taken from the pad's start.
  EXPECT_EQ(codes("", ""), (Codes{2819, 35757}));
}

TEST(CompetitionCodes, IgnoreLetterCaseAndEverythingAfter25Characters) {
  EXPECT_EQ(codes("24817", "CORVALLE_brinta"), codes("24817", "Corvalle_Brinta"));
  EXPECT_EQ(codes("ÀB", "x"), codes("àb", "X"));
  EXPECT_EQ(codes("1234567890", "abcdefghijklmnoXYZ"), codes("1234567890", "abcdefghijklmnoQQQQQQ"));
  EXPECT_NE(codes("1234567890", "abcdefghijklmn"), codes("1234567890", "abcdefghijklmX"));
}

TEST(CompetitionCodes, ExchangingTwoCharactersChangesOnlyTheWeightedSum) {
  const Codes a = codes("24817", "Corvalle_Brinta");
  const Codes b = codes("42817", "Corvalle_Brinta");
  EXPECT_EQ(a.og, b.og);
  EXPECT_NE(a.st, b.st);
}

TEST(CompetitionCodes, TrainNumberComesFirst) {
  EXPECT_NE(codes("ab", "cd").st, codes("cd", "ab").st);
  EXPECT_EQ(codes("ab", "cd"), codes("", "abcd"));
}

TEST(CompetitionCodes, HighestCodesFitTheirFields) {
  EXPECT_EQ(codes("ÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿÿ", ""), (Codes{6375, 82875}));
}

}  // namespace
}  // namespace scenario
