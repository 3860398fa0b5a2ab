#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Text for a terminal with every control character shown as "\xHH" (the C0
// controls but the line end and the tab, DEL, and the C1 controls as UTF-8
// encodes them, which some terminals obey too): a byte read from a file can
// then never move the cursor, set a title or start an escape sequence.
std::string visible_text(std::string_view text);

// The same, one byte at a time, for a stream: a C1 control's two bytes may
// come in two calls.
class VisibleTextFilter {
 public:
  // Appends what `byte` shows as to `out`.
  void put(char byte, std::string& out);
  // Ends a character left open by put.
  void finish(std::string& out);

 private:
  bool after_c2_ = false;
};

}  // namespace scenario
