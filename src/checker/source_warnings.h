#pragma once

#include "base/file_names.h"
#include "compiler/track_model.h"
#include "checker/diagnostic.h"
#include "checker/observation.h"

namespace scenario {

// What compiles but is almost certainly not what the author meant (warnings),
// and what is worth knowing (notes), found in what one compile read and the
// model it made: misspelled keywords and keywords turned into comments, stray
// fields, rows out of order, values the cells round or cannot hold, records
// past the line's end, and more. In the order of the sources.
Diagnostics source_warnings(const Observation& observation, const TrackModel& model, const FileNames& names);

// The keyword of `kind`'s records nearest to a misspelled one, for a hint;
// empty when none is near.
std::string_view nearest_keyword(std::string_view keyword, SourceKind kind, bool general_block);

}  // namespace scenario
