#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

// Builds one JSON text. Commas and nesting are the writer's business; the
// caller states what comes next. Strings are UTF-8 and escaped as JSON asks.
class JsonWriter {
 public:
  JsonWriter& begin_object();
  JsonWriter& end_object();
  JsonWriter& begin_array();
  JsonWriter& end_array();
  JsonWriter& key(std::string_view name);

  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(int64_t number);
  JsonWriter& value(double number);  // not finite: null
  JsonWriter& null();

  const std::string& text() const { return out_; }

 private:
  void before_value();

  std::string out_;
  std::vector<bool> first_;  // per open object or array: nothing written in it yet
  bool after_key_ = false;
};

// The shortest decimal text that reads back as the same double.
std::string number_text(double v);

}  // namespace scenario::tool
