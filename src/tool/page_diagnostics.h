#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "checker/checker.h"
#include "tool/author_sources.h"

namespace scenario::tool {

// One problem in an author's sources, as the viewer page lists and draws it:
// the file as the author named it, the line (from 1; 0 for none) and the
// column (the byte offset in the line, from 0), how bad it is ("error",
// "warning" or "note"), its code, what is wrong and what to do about it.
struct PageDiagnostic {
  std::string file;
  int32_t line = 0;
  int32_t column = 0;
  std::string severity;
  std::string code;
  std::string message;
  std::string hint;
};

// What the checker finds in the sources, as the page shows it. This is the
// one place the page's diagnostics come from.
std::vector<PageDiagnostic> page_diagnostics(const CheckResult& result, const SourcePaths& paths);

}  // namespace scenario::tool
