// Reading source files field by field.
#include "compiler/source_reader.h"

#include <gtest/gtest.h>

#include "base/run_time_failure.h"

namespace scenario {
namespace {

SourceReader reader_of(const std::string& bytes) { return SourceReader(bytes, "test.txt"); }

TEST(SourceReader, NumbersEndAtBlanksAndTakeTheSeparatorAfterThem) {
  struct Case {
    std::string line;
    std::vector<int32_t> numbers;
  };
  const Case cases[] = {
      {"13              57            40 \r\n", {13, 57, 40}},
      {"    0    ,0\r\n", {0, 0}},
      {"  125,  135,  0,  ,  ,  ,  0\r\n", {125, 135, 0, 0, 0, 0, 0}},  // empty fields read 0
      {"-1500,+7,\t2147483647, -2147483648\r\n", {-1500, 7, 2147483647, INT32_MIN}},
      {"1 2 ,3\n4\r5", {1, 2, 3, 4, 5}},  // a lone LF or CR ends a line too
  };
  for (const Case& c : cases) {
    SourceReader reader = reader_of(c.line);
    for (int32_t expected : c.numbers) EXPECT_EQ(reader.read_int32(), expected) << c.line;
    EXPECT_TRUE(reader.at_end()) << c.line;
  }
}

TEST(SourceReader, TextRunsToTheNextCommaOrLineEndAndComesBackAsUtf8) {
  SourceReader reader = reader_of("cartello_indicatore,  2900,   (PL km )(1+522)\r\n  citt\xE0 alta ,x");
  EXPECT_EQ(reader.read_text(), "cartello_indicatore");
  EXPECT_EQ(reader.read_int32(), 2900);
  EXPECT_EQ(reader.read_text(), "(PL km )(1+522)");
  EXPECT_EQ(reader.read_text(), "città alta ");
  EXPECT_EQ(reader.read_text(), "x");
  EXPECT_TRUE(reader.at_end());
}

TEST(SourceReader, TheLastFieldReachesTheEndAndReadingOnFails) {
  SourceReader reader = reader_of("[fine]\r\n");
  EXPECT_EQ(reader.read_text(), "[fine]");
  EXPECT_TRUE(reader.at_end());
  EXPECT_THROW(reader.read_text(), RunTimeFailure);
  EXPECT_THROW(reader.read_int32(), RunTimeFailure);

  // An empty line is a field of its own.
  SourceReader blank = reader_of("a\r\n\r\n");
  blank.read_text();
  EXPECT_FALSE(blank.at_end());
  EXPECT_EQ(blank.read_text(), "");
  EXPECT_TRUE(blank.at_end());
}

TEST(SourceReader, RefusesWhatIsNotAWholeNumberOfItsField) {
  for (const char* field : {"abc", "1.5", "-", "+", "12a", "0x10", "2147483648", "-2147483649", "1-2"}) {
    EXPECT_THROW(reader_of(field).read_int32(), RunTimeFailure) << field;
  }
  EXPECT_EQ(reader_of("32767").read_int16(), 32767);
  EXPECT_EQ(reader_of("-32768").read_int16(), -32768);
  EXPECT_THROW(reader_of("32768").read_int16(), RunTimeFailure);
  EXPECT_EQ(reader_of("255").read_uint8(), 255);
  EXPECT_THROW(reader_of("256").read_uint8(), RunTimeFailure);
  EXPECT_THROW(reader_of("-1").read_uint8(), RunTimeFailure);
}

// Where each field starts: its line and the byte offset in that line, after
// the blanks before it, whatever ends the line before.
TEST(SourceReader, KnowsTheLineAndColumnOfEachField) {
  SourceReader reader("[generale]\r\n  sabbia,   300\rorologio, 13  57\n,x", "a.txt");
  const auto at = [&reader](int32_t line, int32_t column) {
    EXPECT_EQ(reader.line(), line);
    EXPECT_EQ(reader.column(), column);
  };
  at(0, 0);  // before the first field
  EXPECT_EQ(reader.read_text(), "[generale]");
  at(1, 0);
  EXPECT_EQ(reader.read_text(), "sabbia");
  at(2, 2);
  EXPECT_EQ(reader.read_int32(), 300);
  at(2, 12);
  EXPECT_EQ(reader.read_text(), "orologio");  // after a lone CR
  at(3, 0);
  EXPECT_EQ(reader.read_int32(), 13);
  at(3, 10);
  EXPECT_EQ(reader.read_int32(), 57);
  at(3, 14);
  EXPECT_EQ(reader.read_text(), "");
  at(4, 0);
  EXPECT_EQ(reader.read_text(), "x");
  at(4, 1);
}

TEST(KeywordTests, MatchByContainmentInExactOrAnyCase) {
  EXPECT_TRUE(contains("progressiva chilometrica uno", "uno"));
  EXPECT_FALSE(contains("Progressiva chilometrica uno", "progressiva"));
  EXPECT_TRUE(contains_ignoring_case("VELOCITA", "velocit"));
  EXPECT_TRUE(contains_ignoring_case("[Generale]", "[generale]"));
  EXPECT_FALSE(contains_ignoring_case("[vel_limite]", "velocit"));
}

}  // namespace
}  // namespace scenario
