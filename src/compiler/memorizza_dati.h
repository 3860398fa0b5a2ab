#pragma once

#include "base/source_folder.h"
#include "compiler/compile_observer.h"
#include "compiler/compile_report.h"
#include "compiler/track_model.h"

namespace scenario {

// The compile step: reads the line source file and then the train source file
// from `files` into the model, deleting each once it is read. A failure in the
// data, and any run-time failure inside the step, ends it with a code in
// codice_errore; the report says which field set it. It never throws. An
// observer, when given, is told every field the compile reads.
void memorizza_dati(TrackModel& model, SourceFolder& files, CompileReport& report, CompileObserver* observer = nullptr);

}  // namespace scenario
