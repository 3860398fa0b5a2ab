#pragma once

#include <string>
#include <vector>

namespace scenario::tool {

// The tool's arguments after its own name, as UTF-8 (the text every path and
// name has inside the tool). On Windows they come from the wide-character
// command line, so that file names outside the ANSI code page survive, and
// the console shows the tool's UTF-8 output until the tool ends.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace scenario::tool
