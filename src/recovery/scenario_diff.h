#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/kilometres.h"
#include "output/compiled_input.h"

namespace scenario {

// What differs between two compiled scenarios, in an author's terms: the
// records that sources recovered from each would hold, matched by what an
// author knows them by (a station by its name, an object by its progressive),
// and the profiles and the plan compared by stretches of line.
struct Difference {
  std::string kind;    // "line", "train", "station", "signal", "board", "sign", "slowdown",
                       // "abatement point", "mountain", "curve", "gradient", "speed", "adhesion", "plan", "cells"
  std::string change;  // "added", "removed", "moved", "retimed", "changed"
  std::optional<int64_t> from;  // progressive where it starts, metres
  std::optional<int64_t> to;    // and where it ends, for a stretch
  std::string what;             // in words, "before -> after"
  // `from` and `to` as places on the line, "km 5+050", by the kilometres of
  // the scenario compared against; empty without them.
  std::string from_place;
  std::string to_place;
};

std::vector<Difference> diff_scenarios(const CompiledFiles& before, const CompiledFiles& after);

// A progressive as a place on the line by its kilometre: "km 12+350".
std::string place_on_line(const std::vector<KilometreSection>& sections, int64_t progressive);

// One line of text for a difference.
std::string difference_text(const Difference& d);

}  // namespace scenario
