#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

// The words every reader of a compiled model uses for what it finds there.

// How a cell's object is named: "signal", "slowdown start", ...; "none" for 0
// and "unknown object" for a code the compiler never writes.
std::string_view object_name(uint8_t tipo);

// The progressive a source file gives an object that lands in `cell`: that of
// an object for most objects, that of a section boundary for the speed
// abatement points (cell_rules.h).
int32_t cell_progressive(int32_t cell, uint8_t tipo);

// Seconds from midnight as "hh:mm:ss" (a "-" before a negative time).
std::string clock_text(int32_t seconds);

}  // namespace scenario
