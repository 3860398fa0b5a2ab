#pragma once

#include <chrono>
#include <istream>
#include <ostream>

namespace scenario::tool::lsp {

// The language server: reads messages from `in` and answers on `out` until
// the editor sends "exit". Diagnostics of a pair of sources are published on
// open, on save, and after a change once the editor has been quiet for
// `debounce`. Returns the exit status: 0 after "shutdown" then "exit", 1 when
// the stream ends or "exit" comes without "shutdown".
int serve(std::istream& in, std::ostream& out, std::chrono::milliseconds debounce = std::chrono::milliseconds(20));

}  // namespace scenario::tool::lsp
