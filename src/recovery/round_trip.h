#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/compiled_input.h"

namespace scenario {

// Two source files compiled in memory, as the program compiles them, and the
// result set against compiled files.
struct RoundTrip {
  bool same = false;                 // the compile gives every byte of the files
  int32_t codice_errore = 0;         // the compile's code (0 when clean)
  std::vector<Finding> differences;  // every field that differs, named (the first few of each file)
  std::size_t more_differences = 0;  // beyond those
};

// Compiles `line_source` and `train_source` (the files' bytes) under the line
// name and train number `names`, with a plan when `with_plan`, and compares
// the scenario table, the cells and the plan with `files`.
RoundTrip round_trip(const CompiledFiles& files, const std::string& line_name, const std::string& train_number,
                     const std::string& line_source, const std::string& train_source, bool with_plan);

// The fields where two compiled scenarios differ, at most `limit` of them;
// `more` counts the rest.
std::vector<Finding> compiled_differences(const CompiledFiles& a, const CompiledFiles& b, std::size_t limit,
                                          std::size_t& more);

}  // namespace scenario
