#pragma once

#include <nlohmann/json.hpp>

#include "checker/checker.h"
#include "compiler/compile_report.h"
#include "tool/author_sources.h"
#include "tool/source_links.h"

namespace scenario::tool {

// What a build from sources carries of them, for the viewer page to tell a
// partial build from a whole one. A compile stops at its first error and
// leaves the rest of the sources unread: the objects after it are missing and
// a profile is written only up to its last change read (the cells after it
// stay 0). As JSON:
//   complete   whether the compile read both files to their end;
//   stop       the stopping error: code, message, hint, file (the author's
//              path), line, column; null for a complete build;
//   counts     for each kind of object the page counts, {key, compiled,
//              sources}: what the build holds against what the sources hold
//              (as the checker reads them, the bad records left out);
//   reached    for each profile lane, the progressive up to which the build
//              carries it, or null where it carries the whole line;
//   failedStation  the station entry the stopping record left half-filled,
//              or null.
nlohmann::json build_extent(const CompileReport& report, const SourceLinks& links, const CheckResult& checked,
                            const SourcePaths& paths);

// The extent of a build that is whole (compiled files, say).
nlohmann::json whole_build_extent();

}  // namespace scenario::tool
