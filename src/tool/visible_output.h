#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

namespace scenario::tool {

// While it lives, standard output and standard error show every control
// character that a command writes as "\xHH" (visible_text), whatever file,
// name or message the text came from. JSON is unchanged by it: its own
// escapes leave no control character to show.
class VisibleOutput {
 public:
  VisibleOutput();
  ~VisibleOutput();
  VisibleOutput(const VisibleOutput&) = delete;
  VisibleOutput& operator=(const VisibleOutput&) = delete;

 private:
  std::unique_ptr<std::streambuf> out_;
  std::unique_ptr<std::streambuf> err_;
  std::streambuf* original_out_;
  std::streambuf* original_err_;
};

}  // namespace scenario::tool
