#pragma once

#include <string>
#include <string_view>

#include "base/file_names.h"
#include "checker/diagnostic.h"
#include "checker/observation.h"
#include "compiler/track_model.h"

namespace scenario {

// What compiles but is almost certainly not what the author meant (warnings),
// and what is worth knowing (notes), found in what one compile read and the
// model it made: misspelled keywords and keywords turned into comments, stray
// fields, rows out of order, values outside their ranges, objects replaced by
// later records, records past the line's end, and more. In the order of the
// sources. `complete`: the compile ran to its end, so that the model holds
// every record it read (where values landed is told only then).
Diagnostics source_warnings(const Observation& observation, const TrackModel& model, const FileNames& names,
                            bool complete);

// The keyword of `kind`'s records nearest to a misspelled one, for a hint;
// empty when none is near. A curve keeps the side and class written.
std::string nearest_keyword(std::string_view keyword, SourceKind kind, bool general_block);

}  // namespace scenario
