#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/line_index.h"
#include "compiler/compile_observer.h"
#include "compiler/compile_report.h"
#include "compiler/source_format.h"

namespace scenario {

// What one compile read, kept: every record with its fields, and every field
// it passed over, in the order read; and the files as they were. The checker
// finds its warnings here, and maps objects back to the records that placed
// them.

struct ObservedField {
  const FieldFormat* format = nullptr;
  SourcePlace place;
  std::string text;  // a text field's text
  int32_t number = 0;
};

struct ObservedRecord {
  const RecordFormat* format = nullptr;
  SourcePlace place;  // of the keyword field
  std::string keyword;
  std::vector<ObservedField> fields;  // as far as they were read

  // The value of the field of that name, when it was read.
  std::optional<int32_t> number(std::string_view field) const;
  const ObservedField* field(std::string_view name) const;
  bool complete() const { return format != nullptr && fields.size() == format->fields.size(); }
};

struct PassedOverField {
  SourcePlace place;
  std::string text;
  PassedOver why;
};

class Observation : public CompileObserver {
 public:
  void file_opened(std::string_view name, std::string_view bytes) override;
  void record(const RecordFormat& format, const FieldRead& keyword) override;
  void field(const FieldFormat& format, const FieldRead& field) override;
  void passed_over(const FieldRead& field, PassedOver why) override;

  std::vector<ObservedRecord> records;
  std::vector<PassedOverField> passed;
  std::map<std::string, std::string, std::less<>> files;  // name -> bytes, as read

  // The record whose keyword stands at `place`, the last one read there.
  const ObservedRecord* record_at(const SourcePlace& place) const;
  // The records of one kind, in file order.
  std::vector<const ObservedRecord*> of(Record id) const;

  // Line `line` (from 1) of a file as read, without its line end; empty when
  // there is no such line.
  std::string_view line_of(std::string_view file, int32_t line) const;

 private:
  // Each file's lines, indexed when a line of it is first asked for.
  mutable std::map<std::string, LineIndex, std::less<>> line_indexes_;
};

}  // namespace scenario
