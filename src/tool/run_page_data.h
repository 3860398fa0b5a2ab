#pragma once

#include <nlohmann/json.hpp>

#include "running/running_time.h"

namespace scenario::tool {

// The train's fastest run as the viewer page draws it (its field "run"): the
// points of the run as [progressive, km/h, seconds from the first departure,
// part], the names of the parts, the timetable's points as [progressive,
// seconds from the first departure, name], and each leg's margin at its
// arriving station.
nlohmann::json run_page_data(const running::RunResult& run);

// The run of the scenario's train with the default rolling stock, as the page
// shows it; none when the scenario has fewer than two stations.
nlohmann::json run_page_data(const ScenarioView& view);

}  // namespace scenario::tool
