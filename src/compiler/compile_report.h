#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/source_format.h"

namespace scenario {

// A place in a source file: the file's name, the line (from 1; 0 when the
// code belongs to no line of the file) and the column, the byte offset of the
// field within its line (from 0).
struct SourcePlace {
  std::string file;
  int32_t line = 0;
  int32_t column = 0;

  bool operator==(const SourcePlace&) const = default;
};

// A speed abatement mark the finishing sweep could not place. `cell` is the
// object the mark belongs to (the signal for rules A and D, the slowdown
// start for rules B and C) and `candidate` the first cell tried for it.
struct MissingMark {
  int32_t code = 0;  // 11, 12 or 13
  char rule = 'A';   // 'A' to 'D'
  int32_t cell = 0;
  int32_t candidate = 0;

  bool operator==(const MissingMark&) const = default;
};

// What a build learnt about its sources besides the track model: the code the
// compile step ended with and the field that set it, the reason of a
// run-time failure, and every mark the finishing sweep could not place. The
// model's own codice_errore may be replaced by the sweep; `code` keeps the
// compile's.
struct CompileReport {
  int32_t code = 0;
  SourcePlace place;
  std::string reason;  // after a run-time failure (code 25), what failed
  // The record being read when the code was set, and where its keyword
  // stands; none for a code that belongs to no record (101, 102, 2 of a
  // reference read in no record).
  std::optional<Record> record;
  SourcePlace record_place;
  std::vector<MissingMark> missing_marks;
};

}  // namespace scenario
