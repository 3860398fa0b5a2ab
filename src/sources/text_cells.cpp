#include "sources/text_cells.h"

#include "base/run_time_failure.h"

namespace scenario {

namespace {

// A text wider than its cell would push every "|" after it out of line.
void require_fit(std::string_view text, std::size_t width) {
  if (text.size() > width) {
    throw RunTimeFailure("\"" + std::string(text) + "\" does not fit a cell " + std::to_string(width) +
                         " characters wide");
  }
}

}  // namespace

std::string left_aligned(std::string_view text, std::size_t width) {
  require_fit(text, width);
  return std::string(text) + spaces(width - text.size());
}

std::string right_aligned(std::string_view text, std::size_t width) {
  require_fit(text, width);
  return spaces(width - text.size()) + std::string(text);
}

std::string centred(std::string_view text, std::size_t width) {
  require_fit(text, width);
  const std::size_t left = (width - text.size()) / 2;
  return spaces(left) + std::string(text) + spaces(width - text.size() - left);
}

std::string grid_row(std::span<const std::size_t> widths, const std::vector<std::string>& cells) {
  if (cells.size() != widths.size()) throw RunTimeFailure("a grid row has the wrong number of cells");
  std::string line = " |";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].size() != widths[i]) {
      throw RunTimeFailure("grid cell \"" + cells[i] + "\" is not " + std::to_string(widths[i]) + " characters wide");
    }
    line += cells[i];
    line += '|';
  }
  return line;
}

std::string filled_row(std::span<const std::size_t> widths, char fill) {
  std::vector<std::string> cells;
  for (const std::size_t width : widths) cells.emplace_back(width, fill);
  return grid_row(widths, cells);
}

}  // namespace scenario
