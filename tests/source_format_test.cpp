// The table of the source formats against the built-in sources: every line
// the template writes is a section header of its format or one record of it,
// with exactly the fields the table lists.
#include "compiler/source_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/windows1252.h"
#include "compiler/source_reader.h"
#include "sources/text_writers.h"

namespace scenario {
namespace {

struct TemplateCase {
  const char* name;
  LineTable table;
  const SourceFormat& format;
};

// The formats of `formats` whose tests the keyword passes.
std::vector<const RecordFormat*> recognising(std::span<const RecordFormat> formats, const std::string& keyword) {
  std::vector<const RecordFormat*> found;
  for (const RecordFormat& format : formats) {
    if (recognises(format, keyword)) found.push_back(&format);
  }
  return found;
}

TEST(SourceFormat, EveryTemplateLineIsAHeaderOrOneRecordWithItsFields) {
  const TemplateCase cases[] = {{"line", line_source_table(), line_format()},
                                {"train", train_source_table(), train_format()}};
  for (const TemplateCase& c : cases) {
    std::vector<std::string> headers;
    bool in_general = false;
    for (std::size_t i = 0; i < c.table.size(); ++i) {
      const std::string& line = c.table[i];
      SourceReader reader(to_windows1252(line) + "\r\n", c.name);
      const std::string keyword = reader.read_text();
      if (keyword.starts_with("[")) {
        headers.push_back(keyword);
        in_general = keyword == kGeneralHeader;
        continue;
      }
      const bool general = in_general && !c.format.general.empty();
      const std::vector<const RecordFormat*> found =
          recognising(general ? c.format.general : c.format.records, keyword);
      ASSERT_EQ(found.size(), 1u) << c.name << " line " << i + 1 << ": " << line;
      const RecordFormat& format = *found.front();
      EXPECT_EQ(recognising(general ? c.format.records : c.format.general, keyword).size(), 0u) << line;
      for (const FieldFormat& field : format.fields) {
        if (field.type == FieldType::text || field.type == FieldType::stored_text) {
          reader.read_text();
        } else if (field.type == FieldType::int16) {
          reader.read_int16();
        } else if (field.type == FieldType::uint8) {
          reader.read_uint8();
        } else {
          reader.read_int32();
        }
        EXPECT_EQ(reader.line(), 1) << "field " << field.name << " of " << line;
      }
      EXPECT_TRUE(reader.at_end()) << "fields left after " << format.keyword << ": " << line;
    }
    std::vector<std::string> sections;
    for (const SectionFormat& section : c.format.sections) sections.emplace_back(section.header);
    EXPECT_EQ(headers, sections) << c.name;
  }
}

// The keyword as the table writes it passes its own tests, and every record
// belongs to the format's sections once.
TEST(SourceFormat, EachRecordIsRecognisedByItsKeywordAndListedInOneSection) {
  for (const SourceFormat* format : {&line_format(), &train_format()}) {
    for (const auto records : {format->general, format->records}) {
      for (const RecordFormat& record : records) {
        EXPECT_TRUE(recognises(record, record.keyword)) << record.keyword;
        EXPECT_EQ(&record_format(record.id), &record) << record.keyword;
        int sections = 0;
        for (const SectionFormat& section : format->sections) {
          for (const Record id : section.records) sections += id == record.id ? 1 : 0;
        }
        EXPECT_EQ(sections, 1) << record.keyword;
      }
    }
  }
}

}  // namespace
}  // namespace scenario
