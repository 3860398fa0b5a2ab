#include "view/scenario_view.h"

#include <algorithm>

#include "base/file_names.h"
#include "base/plain_file_name.h"
#include "base/read_file.h"
#include "base/run_time_failure.h"
#include "output/compiled_layout.h"

namespace scenario {

namespace {

bool empty_entry(const voce_sim& e) { return e == voce_sim{}; }

// A sign text holds its text and nothing else.
bool text_only(const voce_sim& e) {
  voce_sim numbers = e;
  numbers.testo.clear();
  return !e.testo.empty() && empty_entry(numbers);
}

}  // namespace

std::string_view role_name(EntryRole role) {
  switch (role) {
    case EntryRole::unused:
      return "unused";
    case EntryRole::station:
      return "station";
    case EntryRole::sign_text:
      return "sign text";
    case EntryRole::free:
      return "free";
    case EntryRole::kilometre_reference:
      return "kilometre reference";
    case EntryRole::train_and_line:
      return "train and line figures";
    case EntryRole::line_header:
      return "line header";
    case EntryRole::train_header:
      return "train header";
  }
  return "unknown";
}

EntryRole entry_role(const std::array<voce_sim, kVociSim>& table, int entry) {
  if (entry == 0) return EntryRole::unused;
  if (entry >= voce::progressiva_tre && entry <= voce::progressiva_uno) return EntryRole::kilometre_reference;
  if (entry == voce::treno_e_linea) return EntryRole::train_and_line;
  if (entry == voce::intestazione_linea) return EntryRole::line_header;
  if (entry == voce::intestazione_treno) return EntryRole::train_header;
  // Sign texts run from 80 downward without a gap; the stations fill what is
  // used below them.
  int lowest_sign = voce::primo_cartello + 1;
  while (lowest_sign - 1 >= 1 && text_only(table[static_cast<std::size_t>(lowest_sign - 1)])) --lowest_sign;
  if (entry >= lowest_sign) return EntryRole::sign_text;
  return empty_entry(table[static_cast<std::size_t>(entry)]) ? EntryRole::free : EntryRole::station;
}

SignalValues SignalView::values() const { return signal_values(fields); }

std::array<int32_t, 3> BoardView::s_speeds() const {
  return {board_speeds_of(fields.dato1).s, board_speeds_of(fields.dato2).s, board_speeds_of(fields.dato3).s};
}

std::array<int32_t, 3> BoardView::d_speeds() const {
  return {board_speeds_of(fields.dato1).d, board_speeds_of(fields.dato2).d, board_speeds_of(fields.dato3).d};
}

PlanBounds bounds_of(const std::vector<PlanPoint>& plan) {
  if (plan.empty()) return {};
  PlanBounds b{plan[0].x, plan[0].y, plan[0].x, plan[0].y};
  for (const PlanPoint& p : plan) {
    b.min_x = std::min(b.min_x, p.x);
    b.max_x = std::max(b.max_x, p.x);
    b.min_y = std::min(b.min_y, p.y);
    b.max_y = std::max(b.max_y, p.y);
  }
  return b;
}

std::vector<PlanPoint> plan_points(std::span<const PlanValue> values) {
  std::vector<PlanPoint> points;
  const std::size_t metres = values.size() / 2;
  for (std::size_t m = 0; m < metres; ++m) {
    const PlanValue& x = values[m];
    const PlanValue& y = values[metres + m];
    if (x.kind == PlanValue::Kind::Empty || y.kind == PlanValue::Kind::Empty) break;
    points.push_back({x.value, y.value});
  }
  return points;
}

ScenarioView view_of(const std::array<voce_sim, kVociSim>& table, const std::vector<cella>& cells,
                     std::optional<std::vector<PlanPoint>> plan) {
  ScenarioView view;
  view.table = table;
  view.cells = cells;
  view.plan = std::move(plan);
  view.line_name = table[voce::intestazione_linea].testo;
  view.train_number = table[voce::intestazione_treno].testo;
  view.length = table[voce::treno_e_linea].fine;
  view.references = kilometre_references(table);
  for (int e = 1; e <= voce::primo_cartello; ++e) {
    if (entry_role(table, e) == EntryRole::station)
      view.stations.push_back({e, table[static_cast<std::size_t>(e)], {}});
  }

  const auto n = static_cast<int32_t>(cells.size());
  const auto at = [&cells](int32_t c) -> const cella& { return cells[static_cast<std::size_t>(c)]; };
  for (int32_t c = 0; c < n; ++c) {
    const cella& cell = at(c);
    const int32_t progressive = cell_progressive(c, cell.tipo);
    view.speed.push_back(speed_of(cell.velocita));
    view.gradient.push_back(gradient_of(cell.pendenza));
    view.adhesion.push_back(adhesion_of(cell.aderenza));
    switch (cell.tipo) {
      case tipo_cella::segnale:
        view.signals.push_back({c, progressive, cell});
        break;
      case tipo_cella::indicatore_v_max:
        view.boards.push_back({c, progressive, cell});
        break;
      case tipo_cella::cartello: {
        const bool points_at_text = cell.dato1 >= 0 && cell.dato1 < kVociSim;
        view.signs.push_back({c, progressive, cell.dato1,
                              points_at_text ? table[static_cast<std::size_t>(cell.dato1)].testo : std::string()});
        break;
      }
      case tipo_cella::fermata:
        for (StationView& station : view.stations) {
          if (station.entry == cell.dato1) station.stop_cell = c;
        }
        break;
      case tipo_cella::abbattimento_valore:
        view.abatements.push_back({c, progressive, cell.dato1});
        break;
      case tipo_cella::abbattimento:
        view.abatements.push_back({c, progressive, std::nullopt});
        break;
      case tipo_cella::inizio_rallentamento: {
        SlowdownView slowdown;
        slowdown.start_cell = c;
        slowdown.start = progressive;
        slowdown.end = progressive;
        slowdown.speed = cell.dato1;
        slowdown.second_speed = cell.dato2;
        slowdown.flag = cell.dato3;
        for (int32_t e = c + 1; e < n; ++e) {
          if (at(e).tipo == tipo_cella::fine_rallentamento) {
            slowdown.end_cell = e;
            slowdown.end = cell_progressive(e, at(e).tipo);
            break;
          }
        }
        if (const int32_t b = warning_board_cell(c); b >= 0 && at(b).tipo == tipo_cella::avviso_rallentamento) {
          slowdown.warning_cell = b;
        }
        view.slowdowns.push_back(slowdown);
        break;
      }
      default:
        break;
    }
    if (cell.montagna != 0) {
      MountainView* last = view.mountains.empty() ? nullptr : &view.mountains.back();
      if (last == nullptr || last->last_cell != c - 1 || last->type != cell.montagna) {
        view.mountains.push_back({c, c, cell.montagna, 0});
        last = &view.mountains.back();
      }
      last->last_cell = c;
      if (cell.tipo == tipo_cella::segno_montagna) ++last->markers;
    }
  }
  return view;
}

ScenarioView view_of(const TrackModel& model) {
  std::optional<std::vector<PlanPoint>> plan;
  if (model.tracciato.allocated()) {
    std::vector<PlanValue> values(model.tracciato.size());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = model.tracciato.stored(i);
    plan = plan_points(values);
  }
  return view_of(model.tabella_sim, model.celle, std::move(plan));
}

ScenarioView read_compiled_view(const std::filesystem::path& sim_file) {
  const DecodedScenario table = decode_scenario(read_file(sim_file));
  if (!table.problem.empty()) throw RunTimeFailure(sim_file.string() + " does not fit its layout: " + table.problem);
  std::array<voce_sim, kVociSim> entries{};
  std::copy(table.entries.begin(), table.entries.end(), entries.begin());

  std::filesystem::path route_file = sim_file;
  route_file.replace_extension(FileNames::kRoute);
  const DecodedRoute route = decode_route(read_file(route_file));
  if (!route.problem.empty()) throw RunTimeFailure(route_file.string() + " does not fit its layout: " + route.problem);

  // The plan is named by the stored line name only when that is a plain file
  // name; otherwise by the scenario file's own name, never by a path.
  std::string line_name = entries[voce::intestazione_linea].testo;
  if (!is_plain_file_name(line_name)) {
    const auto names = names_of_compiled_file(utf8_of_path(sim_file.filename()));
    line_name = names ? names->nome_linea : "";
  }
  const std::filesystem::path plan_file = in_folder(sim_file.parent_path(), FileNames{line_name, ""}.plan());
  std::optional<std::vector<PlanPoint>> plan;
  if (std::filesystem::exists(plan_file)) {
    const DecodedPlan decoded = decode_plan(read_file(plan_file));
    if (!decoded.problem.empty()) {
      throw RunTimeFailure(plan_file.string() + " does not fit its layout: " + decoded.problem);
    }
    plan = plan_points(decoded.values);
  }
  return view_of(entries, route.cells, std::move(plan));
}

}  // namespace scenario
