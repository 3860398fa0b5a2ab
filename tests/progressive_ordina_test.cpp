// Ordering of the three kilometre references in entries 81 to 83.
#include "compiler/progressive_ordina.h"

#include <gtest/gtest.h>

#include <array>

#include "base/run_time_failure.h"

namespace scenario {
namespace {

using Triple = std::array<int32_t, 3>;  // start, kilometre value, direction

struct Case {
  const char* name;
  Triple uno, due, tre;     // as read: tre in 81, due in 82, uno in 83
  Triple in81, in82, in83;  // afterwards
};

const Case kCases[] = {
    {"the scenario's references",
     {0, 90000, 1},
     {1500, -1500, 0},
     {0, 0, 0},
     {1500, -1500, 0},
     {0, 90100, 1},
     {0, 0, 0}},
    {"all empty", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"only uno, at the origin", {0, 5000, 0}, {0, 0, 0}, {0, 0, 0}, {0, 5000, 0}, {0, 0, 0}, {0, 0, 0}},
    {"due first at the origin", {0, 0, 0}, {0, 7000, 0}, {0, 3000, 1}, {0, 7000, 0}, {0, 3100, 1}, {0, 0, 0}},
    {"only tre, at the origin", {0, 0, 0}, {0, 0, 0}, {0, 2000, 0}, {0, 2000, 0}, {0, 0, 0}, {0, 0, 0}},
    {"flag 1 without a kilometre value is cleared", {0, 0, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {"ascending starts are reversed",
     {3000, 1, 0},
     {2000, 2, 0},
     {1000, 3, 0},
     {3000, 1, 0},
     {2000, 2, 0},
     {1000, 3, 0}},
    {"descending starts stay", {1000, 1, 0}, {2000, 2, 0}, {3000, 3, 0}, {3000, 3, 0}, {2000, 2, 0}, {1000, 1, 0}},
    {"tre greatest, due and uno tied", {500, 1, 0}, {500, 2, 0}, {900, 3, 0}, {900, 3, 0}, {500, 1, 0}, {500, 2, 0}},
    {"uno greatest, due and tre tied", {900, 1, 0}, {500, 2, 0}, {500, 3, 0}, {900, 1, 0}, {500, 2, 0}, {500, 3, 0}},
    {"a shared greatest start clears all", {1500, 1, 0}, {1500, 2, 0}, {0, 3, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    // The starts add up past 32 bits: the sum is not 0, so they are ordered.
    {"starts whose sum passes 32 bits",
     {0, 1, 0},
     {1000, 2, 0},
     {2147483600, 3, 0},
     {2147483600, 3, 0},
     {1000, 2, 0},
     {0, 1, 0}},
};

Triple triple_of(const voce_sim& e) { return {e.inizio, e.fine, e.posizione}; }

void put(voce_sim& e, const Triple& t) {
  e.inizio = t[0];
  e.fine = t[1];
  e.posizione = t[2];
}

TEST(ProgressiveOrdina, OrdersTheReferences) {
  for (const Case& c : kCases) {
    TrackModel model;
    put(model.tabella_sim[81], c.tre);
    put(model.tabella_sim[82], c.due);
    put(model.tabella_sim[83], c.uno);
    model.tabella_sim[82].testo = "stays";
    model.tabella_sim[82].col7 = 9;
    progressive_ordina(model);
    EXPECT_EQ(triple_of(model.tabella_sim[81]), c.in81) << c.name;
    EXPECT_EQ(triple_of(model.tabella_sim[82]), c.in82) << c.name;
    EXPECT_EQ(triple_of(model.tabella_sim[83]), c.in83) << c.name;
    EXPECT_EQ(model.tabella_sim[82].testo, "stays") << c.name;  // only the three values move
    EXPECT_EQ(model.tabella_sim[82].col7, 9) << c.name;
  }
}

TEST(ProgressiveOrdina, AKilometreValueRaisedPast32BitsIsARunTimeFailure) {
  TrackModel model;
  put(model.tabella_sim[83], {0, INT32_MAX - 50, 1});
  EXPECT_THROW(progressive_ordina(model), RunTimeFailure);
}

}  // namespace
}  // namespace scenario
