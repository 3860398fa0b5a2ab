#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/source_format.h"

namespace scenario {

// A field as the compile read it: where it stands (the file, the line from 1,
// the column as the byte offset in the line from 0), its text as UTF-8 (empty
// for a numeric field) and, for a numeric field, its value.
struct FieldRead {
  std::string_view file;
  int32_t line = 0;
  int32_t column = 0;
  std::string_view text;
  int32_t number = 0;
};

// Why the compile passed over a field without reading it as a record.
enum class PassedOver {
  before_general_block,  // everything before "[generale]" is skipped
  header,                // a section header: "[" and "]"
  comment,               // a field with a hyphen, discarded before a keyword
  unknown,               // a keyword field that no test recognises
  end_of_file,           // the file's last field, never interpreted
};

// Told what the compile reads, field by field, in the order it reads it, by
// those who want to know more than the code it ends with: a checker, an
// editor, a viewer. Watching changes nothing in the compile.
class CompileObserver {
 public:
  virtual ~CompileObserver() = default;

  // A source file, whole, as the compile starts reading it.
  virtual void file_opened(std::string_view /*name*/, std::string_view /*bytes*/) {}
  // A keyword field recognised as `format`; its fields follow, as far as the
  // compile reads them.
  virtual void record(const RecordFormat& /*format*/, const FieldRead& /*keyword*/) {}
  virtual void field(const FieldFormat& /*format*/, const FieldRead& /*field*/) {}
  virtual void passed_over(const FieldRead& /*field*/, PassedOver /*why*/) {}
};

}  // namespace scenario
