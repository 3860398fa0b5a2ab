#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compiler/compile_observer.h"
#include "compiler/compile_report.h"
#include "compiler/source_format.h"
#include "view/scenario_view.h"

namespace scenario::tool {

// A record as the compile read it: its kind, its keyword's place (the file
// as the compiler names it, column a byte offset from 0) and its numeric
// fields in order.
struct RecordRead {
  Record kind;
  SourcePlace place;
  std::vector<int32_t> numbers;
};

// Where every object of a compiled scenario came from, learnt by watching the
// compile: each record the compile recognised, with the numbers it read, and
// the object it places, found by the placement rule of its first progressive
// (an object at p in cell nearest(p / 50 + 1), a section boundary at p in
// cell nearest(p / 50), the k-th station in entry k).
class SourceLinks : public CompileObserver {
 public:
  void record(const RecordFormat& format, const FieldRead& keyword) override;
  void field(const FieldFormat& format, const FieldRead& field) override;

  // The record that placed an object of this kind: by its cell for signals,
  // boards, signs, slowdowns (their start cell), abatement points, mountains
  // (their first cell) and the profile changes of "pendenza", "velocita" and
  // "aderenza" (the cell their section starts in); by entry for stations; by
  // the start metre for curves. The first record of a kind and key counts.
  std::optional<SourcePlace> of(Record kind, int32_t key) const;

  // The record of a kilometre reference, matched by its values (a reference
  // whose direction is 1 is stored 100 m further on).
  std::optional<SourcePlace> of_reference(const KilometreReference& reference) const;

  const std::vector<RecordRead>& records() const { return records_; }

 private:
  std::vector<RecordRead> records_;
  bool placed_current_ = false;
  int32_t stations_ = 0;
  std::map<std::pair<Record, int32_t>, std::size_t> placed_;
};

}  // namespace scenario::tool
