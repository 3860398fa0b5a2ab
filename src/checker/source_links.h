#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "checker/observation.h"
#include "compiler/track_model.h"

namespace scenario {

// Ties the compiled model back to the sources a compile read.

// The record that placed the object in `cell`, among those `observation`
// holds: the first whose object lands there (a later one would have been
// refused); nullptr when no record placed it (a finishing mark, or nothing).
const ObservedRecord* record_of_object(const Observation& observation, const TrackModel& model, int32_t cell);

// The text of line `line` (from 1) of a file the compile read, without its
// line end, as the file's bytes; empty when there is none.
std::string_view line_of(const Observation& observation, std::string_view file, int32_t line);

// The length in bytes of the field that starts at `place`: up to the next
// comma or line end, and for a number up to the first blank as well.
int32_t field_length(const Observation& observation, const SourcePlace& place, bool number);

// "FILE:LINE" of a record, for messages.
std::string where(const ObservedRecord& record);

}  // namespace scenario
