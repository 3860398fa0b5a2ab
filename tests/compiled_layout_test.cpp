// Reading the compiled files back: every decoder gives the model's records
// again, and a file cut short is reported, never read past its end.
#include "output/compiled_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "output/compiled_files.h"

namespace scenario {
namespace {

TrackModel small_model() {
  TrackModel m;
  m.celle.assign(4, cella{});
  m.celle[1] = {6, 2500, -2700, 32767, -32768, 210, 84, 3, 27, 95, 100};
  m.celle[3] = {14, 80, 0, 0, 0, 0, 0, 0, 255, 0, 1};
  m.tabella_sim[1] = {2, -350, 350, 0, 1, "SANT'ÉLIA", 4, 1, 2, 1, 1, 0, 30, 1, 1, 50280};
  m.tabella_sim[80].testo = "(PL km)(1+522)";
  m.tabella_sim[85] = {0, 1, 3, 2, 0, "Valle", 610, 0, 0, 0, 0, 0, 0, 0, 0, 35155};
  m.tracciato.allocate(3);
  m.tracciato.set(0, 0, PlanValue::integer(0));
  m.tracciato.set(0, 1, PlanValue::integer(-1));
  m.tracciato.set(1, 0, PlanValue::real(-416.414433434125));
  m.tracciato.set(1, 1, PlanValue::real(1e-300));
  return m;
}

TEST(CompiledLayout, DecodingGivesBackWhatWasEncoded) {
  const TrackModel m = small_model();

  const DecodedRoute route = decode_route(encode_route(m));
  EXPECT_EQ(route.problem, "");
  EXPECT_EQ(route.cells, m.celle);

  const DecodedScenario scenario = decode_scenario(encode_scenario(m));
  EXPECT_EQ(scenario.problem, "");
  ASSERT_EQ(scenario.entries.size(), 87u);
  for (std::size_t e = 0; e < 87; ++e) EXPECT_EQ(scenario.entries[e], m.tabella_sim[e]) << "entry " << e;
  EXPECT_EQ(scenario.offsets[1], 34u);             // entry 0 is 34 zero bytes
  EXPECT_EQ(scenario.offsets[2], 34u + 34u + 9u);  // "SANT'ÉLIA" is 9 bytes on disk

  const DecodedPlan plan = decode_plan(bytes_view(encode_plan(m.tracciato)));
  EXPECT_EQ(plan.problem, "");
  ASSERT_EQ(plan.values.size(), m.tracciato.size());
  for (std::size_t i = 0; i < plan.values.size(); ++i) EXPECT_EQ(plan.values[i], m.tracciato.stored(i)) << i;
  EXPECT_EQ(plan.per_column(), 4u);
}

// Every proper prefix of a file is reported as not fitting, but a route cut
// between two cells, which no layout can tell from a shorter line; what a
// prefix decodes is a prefix of the whole file's records.
TEST(CompiledLayout, EveryFileCutShortIsReported) {
  const TrackModel m = small_model();
  const std::string route = encode_route(m);
  const std::string scenario = encode_scenario(m);
  const std::string plan(bytes_view(encode_plan(m.tracciato)));

  for (std::size_t size = 0; size < route.size(); ++size) {
    const DecodedRoute d = decode_route(std::string_view(route).substr(0, size));
    EXPECT_EQ(d.problem.empty(), size > 0 && size % 15 == 0) << size;
    EXPECT_EQ(d.cells.size(), size / 15) << size;
    for (std::size_t c = 0; c < d.cells.size(); ++c) EXPECT_EQ(d.cells[c], m.celle[c]) << size;
  }
  for (std::size_t size = 0; size < scenario.size(); ++size) {
    const DecodedScenario d = decode_scenario(std::string_view(scenario).substr(0, size));
    EXPECT_NE(d.problem, "") << size;
    for (std::size_t e = 0; e < d.entries.size(); ++e) EXPECT_EQ(d.entries[e], m.tabella_sim[e]) << size;
  }
  for (std::size_t size = 0; size < plan.size(); ++size) {
    const DecodedPlan d = decode_plan(std::string_view(plan).substr(0, size));
    EXPECT_NE(d.problem, "") << size;
    for (std::size_t i = 0; i < d.values.size(); ++i) EXPECT_EQ(d.values[i], m.tracciato.stored(i)) << size;
  }
}

TEST(CompiledLayout, BytesBeyondTheLayoutAreReported) {
  const TrackModel m = small_model();
  EXPECT_NE(decode_scenario(encode_scenario(m) + "x").problem, "");
  const std::string type_code_7 = std::string(bytes_view(encode_plan(m.tracciato))) + std::string("\x07\x00", 2);
  EXPECT_NE(decode_plan(type_code_7).problem, "");
  EXPECT_NE(decode_route(encode_route(m) + "x").problem, "");

  std::string negative = encode_scenario(m);
  negative[14] = '\xff';  // entry 0's text length becomes -1
  negative[15] = '\xff';
  EXPECT_NE(decode_scenario(negative).problem, "");
}

TEST(CompiledLayout, NamesTheFieldAtAnOffset) {
  EXPECT_STREQ(field_at(kCellFields.data(), kCellFields.size(), 4).name, "dato2");
  EXPECT_STREQ(field_at(kCellFields.data(), kCellFields.size(), 14).name, "aderenza");
  const auto with_text = scenario_entry_fields(9);
  EXPECT_STREQ(field_at(with_text.data(), with_text.size(), 20).name, "testo");
  EXPECT_STREQ(field_at(with_text.data(), with_text.size(), 38).name, "col5");
  const auto without_text = scenario_entry_fields(0);
  EXPECT_STREQ(field_at(without_text.data(), without_text.size(), 16).name, "col7");
}

}  // namespace
}  // namespace scenario
