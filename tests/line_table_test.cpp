// The line table every text writer fills and writes.
#include "sources/line_table.h"

#include <gtest/gtest.h>

#include "base/run_time_failure.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

TEST(LineTable, WritesEveryLineWithCrLfInWindows1252AndNoSentinel) {
  LineTable table;
  table.add("[generale]");
  table.add("");
  table.add("Non è attiva ");
  EXPECT_EQ(table.bytes(), "[generale]\r\n\r\nNon \xE8 attiva \r\n");
  EXPECT_EQ(table[3], kEndSentinel);
}

TEST(LineTable, AnEmptyTableWritesAnEmptyFile) { EXPECT_EQ(LineTable().bytes(), ""); }

TEST(LineTable, HoldsAThousandLinesAndThenFails) {
  LineTable table;
  for (int i = 0; i < 1000; ++i) table.add("x");
  EXPECT_EQ(table.bytes().size(), 3000u);
  EXPECT_THROW(table.add("one too many"), RunTimeFailure);
}

TEST(LineTable, ReplacesAnOlderLongerFile) {
  testing::TempFolder folder;
  testing::write_file(folder / "t.txt", std::string(4000, 'x'));
  LineTable table;
  table.add("[fine]");
  table.write(folder / "t.txt");
  EXPECT_EQ(testing::read_file(folder / "t.txt"), "[fine]\r\n");
}

}  // namespace
}  // namespace scenario
