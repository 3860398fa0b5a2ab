#pragma once

#include <filesystem>

#include "compiler/track_model.h"

namespace scenario {

// The compile step: reads the line source file and then the train source file
// from `folder` into the model, deleting each once it is read. A failure in the
// data, and any run-time failure inside the step, ends it with a code in
// codice_errore; it never throws.
void memorizza_dati(TrackModel& model, const std::filesystem::path& folder);

}  // namespace scenario
