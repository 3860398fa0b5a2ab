#pragma once

#include <array>
#include <optional>

#include "compiler/track_model.h"

namespace scenario {

// Puts the three kilometre references of entries 81 to 83 (start progressive
// in inizio, kilometre value in fine, direction flag in posizione) in order of
// start, greatest first, moving whole references. When all three start at 0
// the one with a positive kilometre value goes first instead. A tie for the
// greatest start, or no positive kilometre value at start 0, clears all three.
// A reference with direction 1 then has its kilometre value raised by 100.
void progressive_ordina(TrackModel& model);

// Where progressive_ordina will move the references: for entries 81, 82 and
// 83, the index (0 for 81, 1 for 82, 2 for 83) of the entry whose reference
// goes there; none when all three are to be cleared.
std::optional<std::array<int, 3>> progressive_order(const TrackModel& model);

}  // namespace scenario
