#pragma once

#include <string>

#include "base/line_index.h"
#include "checker/checker.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"

namespace scenario::tool {

// How a check's diagnostics are written: for a person, one diagnostic after
// another with its source line and a caret under the field, then a summary;
// or as JSON; or as SARIF 2.1.0 for editors and CI.
enum class OutputFormat { text, json, sarif };

// --format text|json|sarif (text when not given).
OutputFormat output_format(const Arguments& arguments);

// Diagnostics for a person, one at a time: "FILE:LINE:COL: SEVERITY CODE:
// message", the source line with a caret under the field, and the hint. The
// sources' lines are indexed once, for every diagnostic to find its line.
class DiagnosticPrinter {
 public:
  explicit DiagnosticPrinter(const AuthorSources& sources);

  std::string text(const Diagnostic& d) const;

 private:
  const AuthorSources& sources_;
  LineIndex line_lines_;
  LineIndex train_lines_;
};

// "2 errors, 1 warning, 0 notes; read 13 stations, 29 signals, ..."
std::string summary_text(const CheckResult& result);
// "; 12 more errors not listed (...)" when the check listed fewer errors than
// it found; empty otherwise.
std::string not_listed_text(const CheckResult& result);

std::string check_output(const CheckResult& result, const AuthorSources& sources, OutputFormat format);

}  // namespace scenario::tool
