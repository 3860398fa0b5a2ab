#include "base/line_index.h"

namespace scenario {

LineIndex::LineIndex(std::string_view bytes) : bytes_(bytes), starts_{0} {
  for (std::size_t i = bytes.find_first_of("\r\n"); i != std::string_view::npos;
       i = bytes.find_first_of("\r\n", i + 1)) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    starts_.push_back(i + 1);
  }
}

std::string_view LineIndex::line(int32_t line) const {
  if (line < 1 || static_cast<std::size_t>(line) > starts_.size()) return {};
  const std::size_t start = starts_[static_cast<std::size_t>(line) - 1];
  if (start > bytes_.size()) return {};
  const std::size_t end = bytes_.find_first_of("\r\n", start);
  return bytes_.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace scenario
