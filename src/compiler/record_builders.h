#pragma once

#include <cstdint>

#include "compiler/cell_rules.h"
#include "compiler/track_model.h"

namespace scenario {

// The builders of the route's objects. Each takes the 32-bit values of one
// source record, in the record's order, and either places its object in the
// cells or sets codice_errore and returns (only 20 leaves part of the object
// placed). A cell outside celle is a run-time failure, raised before anything
// of the object is written.
//
// An object at progressive p stands in cell nearest(p / 50 + 1); it may go only
// where the cell is free (empty or a mountain marker). Values stored into the
// 16-bit dato fields and the 8-bit fields keep their low bits.

// A mountain from `inizio` to `fine` (progressives) of scenery type `tipo`;
// a type above 10 also puts a marker in every fourth empty cell. A mountain
// starting 150 m or less after the previous one ends gets type 3. Never fails.
void memo_montagna(TrackModel& model, int32_t inizio, int32_t fine, int32_t tipo);

// A slowdown from `x` over `l` metres at speed `v` (second speed `d_v`, 0 for
// none): the warning board 1200 m before the start (only when the start is
// beyond 1500), the start and the end. With `f_ta` the four cells before the
// board are marked too. Codes 17 to 20.
void memo_rallentamento(TrackModel& model, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta, int32_t d_v);

// A signal and its approach markers 100, 200, 300 and 400 m before it. Code 16.
void memo_segnale(TrackModel& model, int32_t posizione, int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp,
                  int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo);

// A maximum-speed indicator board. Each speed pair becomes one number,
// vs * 20 + vd / 5 rounded; a pair outside 16 bits is a run-time failure.
// Code 21.
void memo_indicatori_v_max(TrackModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced);

}  // namespace scenario
