#include "support/file_layout.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "output/compiled_layout.h"

namespace scenario::testing {

namespace {

std::string describe_route(std::size_t offset) {
  const FieldPlace& field = field_at(kCellFields.data(), kCellFields.size(), offset % kCellBytes);
  return "cell " + std::to_string(offset / kCellBytes) + ", " + field.name;
}

uint16_t int16_at(const std::string& bytes, std::size_t at) {
  if (at + 1 >= bytes.size()) return 0;
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::string describe_scenario(const std::string& bytes, std::size_t offset) {
  std::size_t start = 0;
  for (int entry = 0; start < bytes.size(); ++entry) {
    const std::size_t n = int16_at(bytes, start + 14);
    const std::size_t size = kEntryFixedBytes + n;
    if (offset < start + size) {
      const auto fields = scenario_entry_fields(n);
      return "entry " + std::to_string(entry) + ", " + field_at(fields.data(), fields.size(), offset - start).name;
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

bool ends_with(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string describe_offset(const std::string& file_name, const std::string& bytes, std::size_t offset) {
  std::string where;
  if (ends_with(file_name, "_linea.dat")) {
    where = describe_plan(bytes, offset);
  } else if (ends_with(file_name, ".dat")) {
    where = describe_route(offset);
  } else if (ends_with(file_name, ".sim")) {
    where = describe_scenario(bytes, offset);
  } else {
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
