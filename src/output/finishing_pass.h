#pragma once

#include <cstdint>

#include "compiler/compile_report.h"
#include "compiler/track_model.h"

namespace scenario {

// Value of the speed abatement marks the finishing pass places.
inline constexpr int16_t kValoreSegno = 180;

// The smaller of x and y; x when they are equal.
int16_t minimo(int16_t x, int16_t y);

// One sweep over cells 1 to n - 2 that places speed abatement marks (tipo 12,
// dato1 180) around the slowdowns: before the signals that precede a warning
// board (rule A), at three distances before a slowdown start (rule B), every
// 400 m inside a slowdown under 110 km/h (rule C) and before the first signal
// after it (rule D). A mark that finds no free cell sets codice_errore to 11,
// 12 or 13 and is recorded in the report's missing marks; the sweep goes on.
// The sweep never examines or marks a cell outside the array.
void finishing_sweep(TrackModel& model, CompileReport& report);

}  // namespace scenario
