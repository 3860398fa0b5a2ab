#include "tool/page_diagnostics.h"

namespace scenario::tool {

std::vector<PageDiagnostic> page_diagnostics(const CheckResult& result, const SourcePaths& paths) {
  std::vector<PageDiagnostic> found;
  for (const Diagnostic& d : result.diagnostics) {
    found.push_back({paths.author_file(d.place.file), d.place.line, d.place.column,
                     std::string(severity_name(d.severity)), std::to_string(d.code), paths.with_author_names(d.message),
                     paths.with_author_names(d.hint)});
  }
  return found;
}

}  // namespace scenario::tool
