#pragma once

#include "compiler/track_model.h"

namespace scenario {

// Puts the three kilometre references of entries 81 to 83 (start progressive
// in inizio, kilometre value in fine, direction flag in posizione) in order of
// start, greatest first, moving whole references. When all three start at 0
// the one with a positive kilometre value goes first instead. A tie for the
// greatest start, or no positive kilometre value at start 0, clears all three.
// A reference with direction 1 then has its kilometre value raised by 100.
void progressive_ordina(TrackModel& model);

}  // namespace scenario
