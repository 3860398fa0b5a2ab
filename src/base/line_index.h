#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace scenario {

// Where each line of a file's bytes starts, so that any line is found at once:
// a check asks for the line of every diagnostic, and a file may hold a million
// of them. Lines end at CR LF, CR or LF, as the compiler counts them. The
// index looks into the bytes it was made from, which must outlive it.
class LineIndex {
 public:
  explicit LineIndex(std::string_view bytes);

  // Line `line` (from 1) without its line end; empty when there is none.
  std::string_view line(int32_t line) const;

 private:
  std::string_view bytes_;
  std::vector<std::size_t> starts_;
};

}  // namespace scenario
