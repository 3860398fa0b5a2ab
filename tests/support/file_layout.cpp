#include "support/file_layout.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/binary_encoding.h"
#include "base/file_names.h"
#include "output/compiled_layout.h"

namespace scenario::testing {

namespace {

std::string describe_route(std::size_t offset) {
  return "cell " + std::to_string(offset / kCellBytes) + ", " + field_at(cell_places(), offset % kCellBytes).name;
}

// The 16-bit value at `at`, or 0 past the end.
uint16_t int16_at(const std::string& bytes, std::size_t at) {
  if (at + 1 >= bytes.size()) return 0;
  return static_cast<uint16_t>(scenario::int16_at(bytes, at));
}

std::string describe_scenario(const std::string& bytes, std::size_t offset) {
  // Where an entry gives the length of its text.
  const std::vector<FieldPlace> places = entry_places(0);
  const std::size_t text_length = std::find_if(places.begin(), places.end(), [](const FieldPlace& p) {
                                    return p.name.ends_with(" length");
                                  })->offset;
  std::size_t start = 0;
  for (int entry = 0; start < bytes.size(); ++entry) {
    const std::size_t n = int16_at(bytes, start + text_length);
    const std::size_t size = kEntryFixedBytes + n;
    if (offset < start + size) {
      return "entry " + std::to_string(entry) + ", " + field_at(entry_places(n), offset - start).name;
    }
    start += size;
  }
  return "past the last entry";
}

std::string describe_plan(const std::string& bytes, std::size_t offset) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < bytes.size();) {
    starts.push_back(at);
    const std::size_t size = plan_value_bytes(int16_at(bytes, at));
    at += size == 0 ? 2 : size;
  }
  const std::size_t per_column = starts.size() / 2;
  const auto it = std::upper_bound(starts.begin(), starts.end(), offset);
  const std::size_t value = static_cast<std::size_t>(it - starts.begin()) - 1;
  if (per_column == 0) return "value " + std::to_string(value);
  return std::string(value < per_column ? "x" : "y") + " of metre " + std::to_string(value % per_column);
}

std::string describe_text(const std::string& bytes, std::size_t offset) {
  std::size_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < offset && i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - line_start + 1);
}

}  // namespace

std::string describe_offset(const std::string& file_name, const std::string& bytes, std::size_t offset) {
  std::string where;
  switch (kind_of_file(file_name)) {
    case FileKind::plan:
      where = describe_plan(bytes, offset);
      break;
    case FileKind::route:
      where = describe_route(offset);
      break;
    case FileKind::scenario:
      where = describe_scenario(bytes, offset);
      break;
    default:
      where = describe_text(bytes, offset);
  }
  return "offset " + std::to_string(offset) + " (" + where + ")";
}

std::size_t first_difference(const std::string& a, const std::string& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (ia == a.end() && ib == b.end()) return std::string::npos;
  return static_cast<std::size_t>(ia - a.begin());
}

}  // namespace scenario::testing
