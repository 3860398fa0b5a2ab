#include "sources/line_table.h"

#include <utility>

#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "base/windows1252.h"

namespace scenario {

void LineTable::add(std::string line) {
  if (used_ + 1 >= kSlots) throw RunTimeFailure("a text file has more than 1000 lines");
  slots_[used_++] = std::move(line);
  slots_[used_] = kEndSentinel;
}

std::string LineTable::bytes() const {
  std::string text;
  for (std::size_t slot = 0; slot < kSlots && slots_[slot] != kEndSentinel; ++slot) {
    text += slots_[slot];
    text += "\r\n";
  }
  return to_windows1252(text);
}

void LineTable::write(const std::filesystem::path& file) const { replace_file(file, bytes()); }

}  // namespace scenario
