// Fuzz target: the readers of compiled files, as dump, view, plot and diff
// read a scenario that someone else compiled (or damaged).
//
// The input is a scenario file, the marker "==percorso==", a route file and,
// after the marker "==piano==", a plan file when there is one. Each is decoded
// whole; the decoded arrays make the view model, its kilometre sections,
// posts, curves and profiles, the plot's picture and the viewer page's data.
// A damaged file may be reported (a decoder's problem, a run-time failure);
// a crash, undefined behaviour, a hang or memory without bound is a finding.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_time_failure.h"
#include "output/compiled_layout.h"
#include "tool/plot_picture.h"
#include "tool/viewer_data.h"
#include "view/line_profiles.h"
#include "view/scenario_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scenario;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t route_at = input.find("==percorso==");
  if (route_at == std::string_view::npos) return 0;
  const std::string_view sim = input.substr(0, route_at);
  std::string_view route = input.substr(route_at + 12);
  std::optional<std::string_view> plan;
  if (const std::size_t plan_at = route.find("==piano=="); plan_at != std::string_view::npos) {
    plan = route.substr(plan_at + 9);
    route = route.substr(0, plan_at);
  }

  const DecodedScenario table = decode_scenario(sim);
  const DecodedRoute cells = decode_route(route);
  std::array<voce_sim, kVociSim> entries{};
  std::copy_n(table.entries.begin(), std::min(table.entries.size(), entries.size()), entries.begin());
  std::optional<std::vector<PlanPoint>> points;
  if (plan) points = plan_points(decode_plan(*plan).values);

  try {
    const ScenarioView view = view_of(entries, cells.cells, std::move(points));
    const auto sections = kilometre_sections(view);
    kilometre_posts(sections, view.length);
    if (view.plan) curves_of(*view.plan);
    effective_speed(view);
    heights(view);
    tool::plot_picture(view);
    tool::page_data(view, nullptr, {});
  } catch (const RunTimeFailure&) {
    // A file the readers refuse, with a reason: not a finding.
  }
  return 0;
}
