#pragma once

#include <string>

#include "view/scenario_view.h"

namespace scenario::tool {

// The SVG picture that "scenario_tool plot" draws of a scenario: the plan,
// the stations and signals, and the profiles.
std::string plot_picture(const ScenarioView& scenario);

}  // namespace scenario::tool
