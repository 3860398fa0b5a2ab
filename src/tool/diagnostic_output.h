#pragma once

#include <string>

#include "output/checker.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"

namespace scenario::tool {

// How a check's diagnostics are written: for a person, one diagnostic after
// another with its source line and a caret under the field, then a summary;
// or as JSON; or as SARIF 2.1.0 for editors and CI.
enum class OutputFormat { text, json, sarif };

// --format text|json|sarif (text when not given).
OutputFormat output_format(const Arguments& arguments);

// One diagnostic for a person: "FILE:LINE:COL: SEVERITY CODE: message", the
// source line with a caret under the field, and the hint.
std::string diagnostic_text(const Diagnostic& d, const AuthorSources& sources);

// "2 errors, 1 warning, 0 notes; read 13 stations, 29 signals, ..."
std::string summary_text(const CheckResult& result);

std::string check_output(const CheckResult& result, const AuthorSources& sources, OutputFormat format);

}  // namespace scenario::tool
