#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// Cells of the ruled tables on the driver's documents. Every text inside a
// grid is ASCII, so a width in characters is a width in bytes.

inline std::string spaces(std::size_t count) { return std::string(count, ' '); }

// `text` followed by spaces up to `width`.
std::string left_aligned(std::string_view text, std::size_t width);

// Spaces, then `text` ending at the cell's right edge.
std::string right_aligned(std::string_view text, std::size_t width);

// `text` with the free space shared on both sides; when it is odd, the extra
// space goes to the right ("8" in 12 is 5 spaces, "8", 6 spaces).
std::string centred(std::string_view text, std::size_t width);

// A grid line: a space, a "|", then every cell followed by a "|". Each cell
// must be exactly as wide as its column, so that every "|" of a table stands
// in the same column on every line.
std::string grid_row(std::span<const std::size_t> widths, const std::vector<std::string>& cells);

// A grid line whose cells are all `fill`: spaces for an empty row,
// underscores for a rule.
std::string filled_row(std::span<const std::size_t> widths, char fill);

}  // namespace scenario
