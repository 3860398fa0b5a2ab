#pragma once

#include <cstdint>

#include "compiler/track_model.h"

namespace scenario {

// The two competition codes of a scenario, from its identity alone: the train
// number (entry 86's text) followed by the line name (entry 85's text), lower
// case, padded with "zzvvuuttssrrqqppnnmmllhhgg"; only the first 25 characters
// count, by their Windows-1252 codes. The key text is built in model.riga.

// The plain sum of the 25 character codes (at most 6375).
int16_t codice_gara_og(TrackModel& model);

// The sum of position (1 to 25) times character code (at most 82875).
int32_t codice_gara_st(TrackModel& model);

}  // namespace scenario
