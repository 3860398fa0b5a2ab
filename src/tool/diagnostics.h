#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_report.h"
#include "compiler/track_model.h"

namespace scenario::tool {

// The author's two source files as the author named them, and the names the
// compiler read them under.
struct SourcePaths {
  std::string line;  // as given on the command line
  std::string train;
  std::string line_name;   // the compiler's name for the line source file
  std::string train_name;  // and for the train source file
};

// What a compile or finishing code means, in a few words.
std::string_view code_text(int32_t code);

// One line per code of a build, "FILE:LINE: error CODE: what went wrong": the
// code the compile step ended with, at the record that set it, then every
// mark the finishing sweep could not place, at the cell of its object
// ("FILE:cell N (progressive P): error CODE: ...").
std::vector<std::string> model_diagnostics(const CompileReport& report, const SourcePaths& paths);

// The line for error 1250 or 1251: which reserved value an object took.
std::string fixed_value_diagnostic(const TrackModel& model, const std::string& number, const SourcePaths& paths);

}  // namespace scenario::tool
