#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/compile_report.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"
#include "tool/diagnostics.h"
#include "tool/source_links.h"

namespace scenario::tool {

// One problem in an author's sources, as the viewer page lists and draws it:
// the file as the author named it, the line (from 1; 0 for none) and the
// column (the byte offset in the line, from 0), how bad it is ("error",
// "warning" or "note"), its code, what is wrong and what to do about it.
struct Diagnostic {
  std::string file;
  int32_t line = 0;
  int32_t column = 0;
  std::string severity;
  std::string code;
  std::string message;
  std::string hint;
};

// The diagnostics of one build: the code the compile ended with at the record
// that set it, every speed abatement mark the finishing sweep could not place
// at the record of its signal or slowdown, and error 1250 or 1251 at the
// object that took the reserved value. This is the one place the page's
// diagnostics come from.
std::vector<Diagnostic> build_diagnostics(const CompileReport& report, const TrackModel& model, Finish finish,
                                          const SourcePaths& paths, const SourceLinks& links);

}  // namespace scenario::tool
