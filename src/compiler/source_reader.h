#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

// Reads a line or train source file field by field. The file is a stream of
// fields; the reader looks at line ends only where they end a field:
//
// - Blanks (spaces, tabs) before a field are skipped.
// - A text field runs to the next comma or line end, which it consumes.
// - A numeric field also ends at the first blank after its digits; the blanks
//   after it, and then one comma or line end, still belong to it. So
//   "13    57   40 " is three numbers and "    0    ,0" two. An empty
//   numeric field reads 0.
// - A line end is CR LF (a lone CR or LF counts too).
//
// Reading the last field of the file, line end included, brings the reader to
// the end; reading once more is a run-time failure. A numeric field must be an
// optionally signed decimal integer that fits the field it is read into.
// Files hold Windows-1252; text comes back as UTF-8.
class SourceReader {
 public:
  // `bytes` is the whole file; `name` names it in failure messages.
  SourceReader(std::string bytes, std::string name);

  bool at_end() const { return pos_ >= bytes_.size(); }
  std::string_view bytes() const { return bytes_; }
  const std::string& name() const { return name_; }

  // Line (from 1) on which the field last read stands, 0 before the first;
  // and its column, the byte offset in that line where it starts (after the
  // blanks before it).
  int32_t line() const { return field_line_; }
  int32_t column() const { return field_column_; }
  // Where that field ends in its line: the byte after its last one.
  int32_t end_column() const { return field_end_; }

  std::string read_text();
  // A text the scenario table keeps (a sign text, a station name): the
  // scenario file stores it behind a 16-bit byte count, so a longer one is a
  // run-time failure here rather than when the files are written.
  std::string read_stored_text();
  int32_t read_int32();
  int16_t read_int16();
  uint8_t read_uint8();

 private:
  void start_field();
  std::string_view text_field();  // the raw bytes of the next text field
  void skip_blanks();
  void consume_separator();  // one comma or line end, if the next thing is one
  [[noreturn]] void not_a_number(std::string_view field, const char* expected) const;

  std::string bytes_;
  std::string name_;
  std::size_t pos_ = 0;
  int32_t line_ = 1;            // line of the reading position
  std::size_t line_start_ = 0;  // where that line starts
  int32_t field_line_ = 0;      // line of the field last read
  int32_t field_column_ = 0;    // and its column
  int32_t field_end_ = 0;       // and where it ends
};

// Keyword tests: a keyword field is recognised by the texts it contains.
bool contains(std::string_view field, std::string_view text);                // exact case
bool contains_ignoring_case(std::string_view field, std::string_view text);  // ASCII letters

}  // namespace scenario
