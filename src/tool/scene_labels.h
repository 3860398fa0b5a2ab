#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tool/label_layout.h"
#include "view/line_profiles.h"
#include "view/scenario_view.h"

namespace scenario::tool {

// The labels of a scenario's pictures, the same for the plot and the viewer
// page: what each says, how big it is, where it stands and from which scale
// it is drawn.

enum class LabelKind { station, slowdown, post, board, sign, marker };

struct SceneLabel {
  LabelKind kind;
  std::string text;  // empty for a marker: an obstacle that labels keep clear of
  LabelBox box;
  double font = 11;  // pixels
  bool bold = false;
  double angle = 0;            // degrees, counter-clockwise; the text starts at the anchor's offset
  std::optional<double> from;  // pixels per metre; none: never drawn
};

// The point of the plan at a progressive, clamped to the plan.
PlanPoint plan_point(const std::vector<PlanPoint>& plan, int32_t progressive);

// The labels on the plan, anchored at plan metres: station names beside their
// circles, slowdowns, kilometre posts, board speeds and sign texts, each kind
// giving way to the kinds before it; stations and signals are markers the
// labels keep clear of. Scales from `least` to `most` pixels per metre.
std::vector<SceneLabel> plan_labels(const ScenarioView& view, const std::vector<KilometrePost>& posts, double least,
                                    double most);

// The station names over the profiles, slanted, anchored at their
// progressives: the first and last station first, then those where the
// train stops.
std::vector<SceneLabel> axis_station_labels(const ScenarioView& view, double least, double most);

// The kilometre posts under the profiles, anchored at their progressives:
// rounder kilometres first.
std::vector<SceneLabel> axis_post_labels(const std::vector<KilometrePost>& posts, double least, double most);

// The angle of the slanted station names.
inline constexpr double kStationNameAngle = 35;

}  // namespace scenario::tool
