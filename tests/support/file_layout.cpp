#include "support/file_layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace scenario::testing {

namespace {

struct Field {
  std::size_t offset;
  const char* name;
};

std::string field_at(const Field* fields, std::size_t count, std::size_t offset) {
  std::string name = fields[0].name;
  for (std::size_t i = 0; i < count && fields[i].offset <= offset; ++i) name = fields[i].name;
  return name;
}

std::string describe_route(std::size_t offset) {
  static constexpr std::array<Field, 11> kFields = {{{0, "tipo"},
                                                     {1, "dato1"},
                                                     {3, "dato2"},
                                                     {5, "dato3"},
                                                     {7, "dato4"},
                                                     {9, "tempo"},
                                                     {10, "avviso"},
                                                     {11, "montagna"},
                                                     {12, "velocita"},
                                                     {13, "pendenza"},
                                                     {14, "aderenza"}}};
  return "cell " + std::to_string(offset / 15) + ", " + field_at(kFields.data(), kFields.size(), offset % 15);
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
    const std::size_t size = 34 + n;
    if (offset < start + size) {
      const std::size_t at = offset - start;
      const std::array<Field, 16> fields = {{{0, "tipo"},
                                             {1, "inizio"},
                                             {5, "fine"},
                                             {9, "posizione"},
                                             {13, "col4"},
                                             {14, "testo length"},
                                             {16, "testo"},
                                             {16 + n, "col7"},
                                             {18 + n, "col8"},
                                             {20 + n, "col10"},
                                             {22 + n, "col11"},
                                             {24 + n, "col12"},
                                             {26 + n, "col9"},
                                             {27 + n, "col13"},
                                             {28 + n, "col6"},
                                             {30 + n, "orario"}}};
      std::string name = field_at(fields.data(), fields.size(), at);
      if (at == 29 + n) name = "col5";
      return "entry " + std::to_string(entry) + ", " + name;
    }
    start += size;
  }
  return "past the last entry";
}

std::string describe_plan(const std::string& bytes, std::size_t offset) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < bytes.size();) {
    starts.push_back(at);
    const uint16_t kind = int16_at(bytes, at);
    at += kind == 5 ? 10 : kind == 2 ? 4 : 2;
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
