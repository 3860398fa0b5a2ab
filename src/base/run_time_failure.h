#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

// A failure of the run itself rather than of the scenario data: a file that
// cannot be written or read, a read past the end of a source file, an index
// outside one of the model's arrays, an arithmetic overflow. The compile step
// turns every one of these into code 25; anywhere else it ends the program
// with a message naming what failed.
class RunTimeFailure : public std::runtime_error {
 public:
  explicit RunTimeFailure(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace scenario
