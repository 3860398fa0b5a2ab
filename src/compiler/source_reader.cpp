#include "compiler/source_reader.h"

#include <algorithm>

#include "base/run_time_failure.h"
#include "base/windows1252.h"

namespace scenario {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

SourceReader::SourceReader(std::string bytes, std::string name) : bytes_(std::move(bytes)), name_(std::move(name)) {}

void SourceReader::skip_blanks() {
  while (!at_end() && is_blank(bytes_[pos_])) ++pos_;
}

void SourceReader::start_field() {
  if (at_end()) {
    throw RunTimeFailure(name_ + ":" + std::to_string(line_) + ": read past the end of the file");
  }
  skip_blanks();
  field_line_ = line_;
  field_column_ = static_cast<int32_t>(pos_ - line_start_);
}

void SourceReader::consume_separator() {
  if (at_end()) return;
  const char c = bytes_[pos_];
  if (c == ',') {
    ++pos_;
  } else if (c == '\r') {
    ++pos_;
    if (!at_end() && bytes_[pos_] == '\n') ++pos_;
    ++line_;
    line_start_ = pos_;
  } else if (c == '\n') {
    ++pos_;
    ++line_;
    line_start_ = pos_;
  }
}

std::string_view SourceReader::text_field() {
  start_field();
  const std::size_t begin = pos_;
  while (!at_end() && bytes_[pos_] != ',' && !is_line_end(bytes_[pos_])) ++pos_;
  const std::string_view field(bytes_.data() + begin, pos_ - begin);
  field_end_ = static_cast<int32_t>(pos_ - line_start_);
  consume_separator();
  return field;
}

std::string SourceReader::read_text() { return from_windows1252(text_field()); }

std::string SourceReader::read_stored_text() {
  // One Windows-1252 byte per character: the bytes read are the bytes stored.
  constexpr std::size_t kMaxStoredText = 32767;
  const std::string_view field = text_field();
  if (field.size() > kMaxStoredText) {
    throw RunTimeFailure(name_ + ":" + std::to_string(field_line_) + ": a text of " + std::to_string(field.size()) +
                         " characters is longer than the scenario file holds (32767)");
  }
  return from_windows1252(field);
}

int32_t SourceReader::read_int32() {
  start_field();
  const std::size_t begin = pos_;
  while (!at_end() && bytes_[pos_] != ',' && !is_line_end(bytes_[pos_]) && !is_blank(bytes_[pos_])) ++pos_;
  const std::string_view field(bytes_.data() + begin, pos_ - begin);
  field_end_ = static_cast<int32_t>(pos_ - line_start_);
  skip_blanks();
  consume_separator();

  if (field.empty()) return 0;
  std::size_t i = 0;
  const bool negative = field[0] == '-';
  if (field[0] == '-' || field[0] == '+') i = 1;
  if (i == field.size()) not_a_number(field, "a whole number");
  int64_t magnitude = 0;
  for (; i < field.size(); ++i) {
    if (!is_digit(field[i])) not_a_number(field, "a whole number");
    magnitude = magnitude * 10 + (field[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) not_a_number(field, "a 32-bit whole number");
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) not_a_number(field, "a 32-bit whole number");
  return static_cast<int32_t>(value);
}

int16_t SourceReader::read_int16() {
  const int32_t value = read_int32();
  if (value < INT16_MIN || value > INT16_MAX) {
    not_a_number(std::to_string(value), "a whole number from -32768 to 32767");
  }
  return static_cast<int16_t>(value);
}

uint8_t SourceReader::read_uint8() {
  const int32_t value = read_int32();
  if (value < 0 || value > 255) not_a_number(std::to_string(value), "a whole number from 0 to 255");
  return static_cast<uint8_t>(value);
}

void SourceReader::not_a_number(std::string_view field, const char* expected) const {
  throw RunTimeFailure(name_ + ":" + std::to_string(field_line_) + ": \"" + from_windows1252(field) + "\" is not " +
                       expected);
}

bool contains(std::string_view field, std::string_view text) { return field.find(text) != std::string_view::npos; }

bool contains_ignoring_case(std::string_view field, std::string_view text) {
  const auto same = [](char a, char b) { return lower_ascii(a) == lower_ascii(b); };
  return std::search(field.begin(), field.end(), text.begin(), text.end(), same) != field.end();
}

}  // namespace scenario
