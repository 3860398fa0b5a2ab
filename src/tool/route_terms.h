#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/track_model.h"

namespace scenario::tool {

// How the tool names what it finds in the compiled files.

// The object of a cell's tipo code: "signal", "slowdown start", ...; "none"
// for 0 and "unknown object" for a code the compiler never writes.
std::string_view object_name(uint8_t tipo);

// The progressive a source file gives an object that lands in `cell`. Most
// objects at progressive p stand in cell nearest(p / 50 + 1), so the cell's
// progressive is (cell - 1) × 50; speed abatement points stand at a section
// boundary, cell nearest(p / 50), so theirs is cell × 50.
int32_t cell_progressive(int32_t cell, uint8_t tipo);

// The roles of the scenario table's entries. Stations fill it from entry 1
// upward, sign texts from entry 80 downward; entries 81 to 86 are fixed.
enum class EntryRole {
  unused,
  station,
  sign_text,
  free,
  kilometre_reference,
  train_and_line,
  line_header,
  train_header
};

std::string_view role_name(EntryRole role);

// The role of each entry of a whole scenario table (87 entries).
EntryRole entry_role(const std::array<voce_sim, kVociSim>& table, int entry);

// Seconds from midnight as "hh:mm:ss".
std::string clock_text(int32_t seconds);

}  // namespace scenario::tool
