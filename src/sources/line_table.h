#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace scenario {

// The end sentinel: the slot after a text file's last line holds it; it marks
// the end and is never written.
inline constexpr std::string_view kEndSentinel = "riferimento fine del file";

// The table every text writer fills before writing: 1001 text slots (0 to
// 1000), one output line per slot from slot 0, the sentinel after the last.
class LineTable {
 public:
  static constexpr std::size_t kSlots = 1001;

  LineTable() { slots_[0] = kEndSentinel; }

  // Appends one line (UTF-8). A table with no slot left for the line and the
  // sentinel after it is a run-time failure.
  void add(std::string line);
  std::size_t size() const { return used_; }
  const std::string& operator[](std::size_t slot) const { return slots_[slot]; }

  // The file's bytes: every slot before the first one equal to the sentinel,
  // each followed by CR LF, in Windows-1252.
  std::string bytes() const;

  // Replaces `file` with bytes().
  void write(const std::filesystem::path& file) const;

 private:
  std::array<std::string, kSlots> slots_{};
  std::size_t used_ = 0;
};

}  // namespace scenario
