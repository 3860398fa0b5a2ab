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

  const DecodedPlan plan = decode_plan(m.tracciato.bytes());
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
  const std::string plan(m.tracciato.bytes());

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
  const std::string type_code_7 = std::string(m.tracciato.bytes()) + std::string("\x07\x00", 2);
  EXPECT_NE(decode_plan(type_code_7).problem, "");
  EXPECT_NE(decode_route(encode_route(m) + "x").problem, "");

  std::string negative = encode_scenario(m);
  negative[14] = '\xff';  // entry 0's text length becomes -1
  negative[15] = '\xff';
  EXPECT_NE(decode_scenario(negative).problem, "");
}

// The two record layouts as the file format states them: each field's name,
// offset and size. They are written out here, apart from the tables, so that
// a table whose names or order drift from the format is caught.
struct Stated {
  const char* name;
  std::size_t offset;
  std::size_t size;
};
constexpr Stated kStatedCell[] = {{"tipo", 0, 1},      {"dato1", 1, 2},     {"dato2", 3, 2},    {"dato3", 5, 2},
                                  {"dato4", 7, 2},     {"tempo", 9, 1},     {"avviso", 10, 1},  {"montagna", 11, 1},
                                  {"velocita", 12, 1}, {"pendenza", 13, 1}, {"aderenza", 14, 1}};
// With a text of 9 bytes.
constexpr Stated kStatedEntry[] = {
    {"tipo", 0, 1},   {"inizio", 1, 4}, {"fine", 5, 4},  {"posizione", 9, 4}, {"col4", 13, 1},  {"testo length", 14, 2},
    {"testo", 16, 9}, {"col7", 25, 2},  {"col8", 27, 2}, {"col10", 29, 2},    {"col11", 31, 2}, {"col12", 33, 2},
    {"col9", 35, 1},  {"col13", 36, 1}, {"col6", 37, 1}, {"col5", 38, 1},     {"orario", 39, 4}};

// The little-endian number of `size` bytes at `at`.
int64_t number_at(const std::string& bytes, std::size_t at, std::size_t size) {
  uint64_t u = 0;
  for (std::size_t i = size; i-- > 0;) u = (u << 8) | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int64_t>(u);
}

// Records whose members hold 1, 2, 3, ... in the order the format states
// them: each stated field must be named so, lie at its offset and hold its
// member's value there.
TEST(CompiledLayout, EveryFieldHasTheNameAndPlaceTheFormatStates) {
  const cella cell{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const std::string cell_bytes = encode_cell(cell);
  ASSERT_EQ(cell_bytes.size(), kCellBytes);
  const std::vector<FieldPlace> cell_fields = cell_places();
  ASSERT_EQ(cell_fields.size(), std::size(kStatedCell));
  for (std::size_t i = 0; i < std::size(kStatedCell); ++i) {
    const Stated& stated = kStatedCell[i];
    EXPECT_EQ(cell_fields[i].name, stated.name) << i;
    EXPECT_EQ(cell_fields[i].offset, stated.offset) << stated.name;
    EXPECT_EQ(cell_fields[i].size, stated.size) << stated.name;
    EXPECT_EQ(std::get<int64_t>(field_value(cell, kCellLayout[i])), static_cast<int64_t>(i + 1)) << stated.name;
    EXPECT_EQ(number_at(cell_bytes, stated.offset, stated.size), static_cast<int64_t>(i + 1)) << stated.name;
    EXPECT_EQ(field_at(cell_fields, stated.offset + stated.size - 1).name, stated.name);
  }

  const voce_sim entry{1, 2, 3, 4, 5, "ABCDEFGHI", 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::string entry_bytes = encode_scenario_entry(entry);
  ASSERT_EQ(entry_bytes.size(), kEntryFixedBytes + 9);
  const std::vector<FieldPlace> entry_fields = entry_places(9);
  ASSERT_EQ(entry_fields.size(), std::size(kStatedEntry));
  std::size_t member = 0;  // the text takes two places
  for (std::size_t i = 0; i < std::size(kStatedEntry); ++i) {
    const Stated& stated = kStatedEntry[i];
    EXPECT_EQ(entry_fields[i].name, stated.name) << i;
    EXPECT_EQ(entry_fields[i].offset, stated.offset) << stated.name;
    EXPECT_EQ(entry_fields[i].size, stated.size) << stated.name;
    EXPECT_EQ(field_at(entry_fields, stated.offset).name, stated.name);
    if (std::string_view(stated.name) == "testo length") {
      EXPECT_EQ(number_at(entry_bytes, stated.offset, stated.size), 9);
      continue;
    }
    if (std::string_view(stated.name) == "testo") {
      EXPECT_EQ(std::get<std::string>(field_value(entry, kEntryLayout[member++])), "ABCDEFGHI");
      EXPECT_EQ(entry_bytes.substr(stated.offset, stated.size), "ABCDEFGHI");
      continue;
    }
    const auto expected = static_cast<int64_t>(member + 1);
    EXPECT_EQ(std::get<int64_t>(field_value(entry, kEntryLayout[member++])), expected) << stated.name;
    EXPECT_EQ(number_at(entry_bytes, stated.offset, stated.size), expected) << stated.name;
  }
}

}  // namespace
}  // namespace scenario
