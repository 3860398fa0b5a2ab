#pragma once

#include <string>
#include <vector>

#include "checker/observation.h"
#include "compiler/compile_report.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"
#include "tool/author_sources.h"

namespace scenario::tool {

// The lines compile writes for the codes of its build, one a code:
// "FILE:LINE:COL: error CODE: what went wrong" for the code the compile step ended
// with, at the field that set it, then "FILE:cell N (progressive P): error
// CODE: ..." for every mark the finishing sweep could not place, at the cell
// of its object. `observation` watched the compile.
std::vector<std::string> compile_error_lines(const CompileReport& report, const Observation& observation,
                                             const TrackModel& model, const AuthorSources& sources);

// The line for error 1250 or 1251: which object took a reserved value.
std::string fixed_value_line(Finish finish, const Observation& observation, const TrackModel& model,
                             const AuthorSources& sources);

}  // namespace scenario::tool
