#pragma once

#include "base/file_names.h"
#include "checker/diagnostic.h"
#include "checker/observation.h"
#include "compiler/compile_report.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"

namespace scenario {

// The errors of a build told as an author needs them: at the field that
// caused them, naming what else is involved (what holds a cell, and from
// which line; both station areas), with a hint how to put them right. The
// compile command and the checker tell them alike.

// The code the compile ended with (none when it ended clean). `observation`
// watched that compile; `model` is as the compile left it.
std::optional<Diagnostic> compile_error(const CompileReport& report, const Observation& observation,
                                        const TrackModel& model);

// The marks the finishing sweep could not place, at the records of the
// objects they belong to.
Diagnostics missing_mark_errors(const CompileReport& report, const Observation& observation, const TrackModel& model,
                                const FileNames& names);

// Error 1250 or 1251: which object took a reserved value, at its record.
Diagnostic fixed_value_error(Finish finish, const Observation& observation, const TrackModel& model,
                             const FileNames& names);

// A line source file whose general block gave no length: the compile leaves
// no cell to finish.
Diagnostic no_line_error(const CompileReport& report, const FileNames& names);

}  // namespace scenario
