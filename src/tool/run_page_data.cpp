#include "tool/run_page_data.h"

#include <cmath>

namespace scenario::tool {

using Json = nlohmann::json;

namespace {

double rounded(double value, double unit) { return std::round(value / unit) * unit; }

}  // namespace

Json run_page_data(const running::RunResult& run) {
  Json points = Json::array();
  for (const running::RunPoint& p : run.points) {
    points.push_back({rounded(p.position, 0.1), rounded(p.speed, 0.1), rounded(p.time, 0.1), static_cast<int>(p.part)});
  }
  Json parts = Json::array();
  for (const running::RunPart part :
       {running::RunPart::traction, running::RunPart::speed_limit, running::RunPart::braking, running::RunPart::stop}) {
    parts.push_back(running::part_name(part));
  }
  Json timetable = Json::array();
  Json legs = Json::array();
  if (!run.legs.empty()) {
    const double first = run.legs.front().departure;
    timetable.push_back({run.legs.front().from, 0, run.legs.front().from_name});
    for (const running::Leg& leg : run.legs) {
      timetable.push_back({leg.to, leg.next_time - first, leg.to_name});
      const bool finite = leg.runnable && std::isfinite(leg.margin);
      legs.push_back({{"from", leg.from},
                      {"to", leg.to},
                      {"name", leg.to_name},
                      {"scheduled", leg.scheduled},
                      {"technical", finite ? Json(rounded(leg.technical, 0.1)) : Json(nullptr)},
                      {"margin", finite ? Json(rounded(leg.margin, 0.1)) : Json(nullptr)}});
    }
  }
  return {{"points", points},
          {"parts", parts},
          {"timetable", timetable},
          {"legs", legs},
          {"allowance", run.options.allowance},
          {"stock", run.train.stock.name}};
}

Json run_page_data(const ScenarioView& view) {
  if (view.stations.size() < 2) return nullptr;
  return run_page_data(running::run_scenario(view, running::train_of(view, nullptr)));
}

}  // namespace scenario::tool
