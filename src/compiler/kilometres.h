#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/track_model.h"

namespace scenario {

// The kilometre of a progressive, as the line's own kilometre posts and signs
// count it. Every picture and listing of a line (the viewer's axis, readout
// and station list, the plan, diff, dump, the editor's hover) asks here.
//
// A kilometre reference (entries 81 to 83 of the scenario table) holds a
// start progressive, a kilometre value and a direction. From its start up to
// the next reference's start the kilometre is:
//   - direction 0, counting up:   kilometre = progressive + value;
//   - direction 1, counting down: kilometre = value - progressive, the value
//     being the one the source gave (the compile stores it 100 m higher).
// The value is thus the constant that ties the two counts, not the kilometre
// at the start: the built-in line's "due" (1500, -1500, 0) puts kilometre 0
// at progressive 1500, its "uno" (0, 90000, 1) puts the origin at 90+000,
// as the timetable card says ("cippo km 0.000" after the origin at 90.000,
// and 7 of its 12 other stations at exactly their progressive - 1500).
// Before the first reference's start, the first one holds; without any
// reference the kilometre is the progressive.

struct KilometreReference {
  int32_t start = 0;      // progressive
  int32_t kilometre = 0;  // metres, as stored
  int32_t direction = 0;  // 0 counting up, 1 counting down

  bool given() const { return start != 0 || kilometre != 0 || direction != 0; }
  bool operator==(const KilometreReference&) const = default;
};

// How much higher the compile stores the value of a reference counting down.
inline constexpr int32_t kDescendingRaise = 100;

// The references of entries 81, 82 and 83.
std::array<KilometreReference, 3> kilometre_references(const std::array<voce_sim, kVociSim>& table);

// A stretch of line over which one reference holds: from `from` up to `to`
// (exclusive) the kilometre counts up from `kilometre` (or down, when
// `descending`) one metre per metre of progressive.
struct KilometreSection {
  int32_t from = 0;       // progressive
  int32_t to = 0;         // progressive, exclusive
  int64_t kilometre = 0;  // metres, at `from`
  bool descending = false;
  std::optional<KilometreReference> reference;  // none when the line has no reference
};

// The sections of a line of `length` metres, in ascending progressive. A
// reference left all zero is one the line source file did not give; of two
// with one start, the later entry holds.
std::vector<KilometreSection> kilometre_sections(const std::array<KilometreReference, 3>& references, int32_t length);

// The kilometre, in metres, at `progressive`.
int64_t kilometre_at(const std::vector<KilometreSection>& sections, int32_t progressive);

// A kilometre as the line's signs write it: "12+345", "-1+500".
std::string kilometre_text(int64_t metres);

// A post wherever the kilometre is a whole kilometre, from progressive 0 to
// the end of the line.
struct KilometrePost {
  int32_t progressive = 0;
  int64_t kilometre = 0;  // metres, a multiple of 1000
};
std::vector<KilometrePost> kilometre_posts(const std::vector<KilometreSection>& sections, int32_t length);

// The kilometre a sign's text names, "(PL km)(1+522)" or "(PLA km)(36+409)":
// a part ending in "km" followed by a part "(K+MMM)"; none for other texts.
std::optional<int64_t> kilometre_in_sign(std::string_view text);

// A level-crossing sign stands before its crossing, whose kilometre its text
// gives: that kilometre lies from 0 to this many metres further on, in the
// direction the kilometres count. The built-in line's 42 such signs stand
// 102 to 141 m before the kilometre they name.
inline constexpr int64_t kSignAheadMost = 200;

// Whether the references agree with the kilometre signs of the line.
struct KilometreAgreement {
  bool agrees = true;                       // also when there is no sign to test
  int signs = 0;                            // the signs that name a kilometre
  int64_t least_ahead = 0, most_ahead = 0;  // metres, over those signs
  // The first sign that disagrees: its progressive, text and the kilometre
  // the references give there.
  int32_t progressive = 0;
  std::string text;
  int64_t kilometre = 0;
  std::string why;  // what disagrees, for the author; empty when it agrees
};

struct PlacedSign {
  int32_t progressive = 0;
  std::string text;
};
KilometreAgreement kilometre_agreement(const std::vector<KilometreSection>& sections,
                                       const std::vector<PlacedSign>& signs);

}  // namespace scenario
