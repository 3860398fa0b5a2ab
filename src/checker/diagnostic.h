#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/codes.h"
#include "compiler/compile_report.h"

namespace scenario {

// One problem in a scenario's sources, as an author is told of it: how bad it
// is, its code from the code table, where it is (the compiler's name of the
// file, the line from 1, 0 for the file as a whole, and the column as the
// byte offset in the line, from 0, with the length in bytes of the field it is
// about), what is wrong and, where it helps, how to put it right.
// Another place a diagnostic is about: the record that replaced a value, the
// row that a row out of order follows.
struct RelatedLocation {
  SourcePlace place;
  int32_t length = 0;
  std::string message;

  bool operator==(const RelatedLocation&) const = default;
};

struct Diagnostic {
  Severity severity = Severity::error;
  int32_t code = 0;
  SourcePlace place;
  int32_t length = 0;
  std::string message;
  std::string hint;
  std::vector<RelatedLocation> related;

  bool operator==(const Diagnostic&) const = default;
};

using Diagnostics = std::vector<Diagnostic>;

// A diagnostic of `code` with the severity the code table gives it.
Diagnostic diagnostic(int32_t code, SourcePlace place, int32_t length, std::string message, std::string hint = {});

}  // namespace scenario
