#pragma once

#include <cstdint>
#include <string_view>

namespace scenario {

// What an author needs to know of each code of the code table: why it
// matters, how to fix it, and a small example of the mistake and its fix.
// Every code has one (a test holds the two tables together).
struct CodeExplanation {
  int32_t number;
  std::string_view why;
  std::string_view fix;
  std::string_view example;  // lines of a source file; "->" leads to the fixed form
};

// nullptr for a number without an explanation.
const CodeExplanation* explanation_of(int32_t number);

}  // namespace scenario
