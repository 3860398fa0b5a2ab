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

// Where a diagnostic points, as every command prints it: "FILE:LINE:COL",
// the column counted from 1, or "FILE" alone for a place on no line.
std::string place_text(const AuthorSources& sources, const SourcePlace& place);

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

// How many diagnostics of one code the text output shows in full; the rest of
// that code are counted on one line, "and 199,800 more of warning 201", so
// that a file repeating one mistake cannot flood the terminal while every
// distinct problem still shows.
inline constexpr std::size_t kShownPerCode = 100;

// The text of `result`'s diagnostics that `show` accepts, each code's beyond
// kShownPerCode counted rather than shown.
std::string diagnostics_text(const CheckResult& result, const AuthorSources& sources,
                             bool (*show)(const Diagnostic&) = nullptr);

}  // namespace scenario::tool
