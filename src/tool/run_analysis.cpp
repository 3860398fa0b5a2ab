#include "tool/run_analysis.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "base/read_file.h"
#include "base/source_folder.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"

namespace scenario::tool {

using Json = nlohmann::ordered_json;
using running::RollingStock;

namespace {

double number_option(const Arguments& arguments, std::string_view option, double low, double high) {
  const std::optional<std::string> given = arguments.value(option);
  if (!given) return std::numeric_limits<double>::quiet_NaN();
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(*given, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != given->size() || !(value >= low && value <= high)) {
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", low, high);
    throw UsageError(std::string(option) + " takes a number from " + range);
  }
  return value;
}

// The stock's values by name, for reading and writing JSON alike.
struct StockValue {
  const char* name;
  double RollingStock::*value;
};
constexpr StockValue kStockValues[] = {
    {"locomotive_mass", &RollingStock::locomotive_mass},
    {"locomotive_length", &RollingStock::locomotive_length},
    {"car_mass", &RollingStock::car_mass},
    {"car_length", &RollingStock::car_length},
    {"powered_car_share", &RollingStock::powered_car_share},
    {"max_speed", &RollingStock::max_speed},
    {"max_tractive_effort", &RollingStock::max_tractive_effort},
    {"power", &RollingStock::power},
    {"tractive_effort_per_car", &RollingStock::tractive_effort_per_car},
    {"power_per_car", &RollingStock::power_per_car},
    {"resistance_a", &RollingStock::resistance_a},
    {"resistance_b", &RollingStock::resistance_b},
    {"resistance_c", &RollingStock::resistance_c},
    {"resistance_c_per_car", &RollingStock::resistance_c_per_car},
    {"rotating_mass_factor", &RollingStock::rotating_mass_factor},
    {"service_brake_share", &RollingStock::service_brake_share},
};

Json finite_or_null(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

double rounded(double value, double unit) { return std::isfinite(value) ? std::round(value / unit) * unit : value; }

std::string clock_of(double seconds) {
  if (!std::isfinite(seconds)) return "--:--";
  const long long s = std::llround(seconds);
  const long long r = s % 60;
  return std::to_string(s / 60) + (r < 10 ? ":0" : ":") + std::to_string(r);
}

}  // namespace

RunSettings run_settings(const Arguments& arguments) {
  RunSettings settings;
  if (const std::optional<std::string> stock = arguments.value("--rolling-stock")) {
    if (const RollingStock* known = running::find_rolling_stock(*stock)) {
      settings.stock = *known;
    } else {
      settings.stock = rolling_stock_from_json(read_file(path_from_utf8(*stock)), *stock);
    }
  }
  const double allowance = number_option(arguments, "--allowance", 0, 100);
  if (!std::isnan(allowance)) settings.options.allowance = allowance;
  const double dwell = number_option(arguments, "--dwell", 0, 3600);
  if (!std::isnan(dwell)) settings.options.dwell = dwell;
  return settings;
}

RollingStock rolling_stock_from_json(const std::string& text, const std::string& file) {
  const auto fail = [&file](const std::string& what) { throw std::runtime_error(file + ": " + what); };
  Json json;
  try {
    json = Json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    fail(std::string("not JSON: ") + error.what());
  }
  if (!json.is_object()) fail("a rolling stock is a JSON object");
  RollingStock stock = *running::find_rolling_stock("electric-locomotive-coaches");
  if (json.contains("base")) {
    if (!json["base"].is_string()) fail("\"base\" names a catalogue entry");
    const RollingStock* base = running::find_rolling_stock(json["base"].get<std::string>());
    if (base == nullptr) fail("no catalogue entry \"" + json["base"].get<std::string>() + "\"");
    stock = *base;
  }
  stock.sources.clear();
  stock.id = json.value("id", std::string("custom"));
  stock.name = json.value("name", std::string("rolling stock from ") + file);
  for (const auto& [key, value] : json.items()) {
    if (key == "base" || key == "id" || key == "name" || key == "sources") continue;
    const StockValue* known = nullptr;
    for (const StockValue& v : kStockValues) {
      if (key == v.name) known = &v;
    }
    if (known == nullptr) fail("no value \"" + key + "\" in a rolling stock");
    if (!value.is_number()) fail("\"" + key + "\" must be a number");
    stock.*(known->value) = value.get<double>();
    stock.sources.emplace_back(key, file);
  }
  if (json.contains("sources")) {
    if (!json["sources"].is_object()) fail("\"sources\" maps value names to where they come from");
    for (const auto& [key, value] : json["sources"].items()) {
      if (!value.is_string()) fail("a source is a text");
      stock.sources.emplace_back(key, value.get<std::string>());
    }
  }
  const std::vector<std::string> faults = running::rolling_stock_faults(stock);
  if (!faults.empty()) fail(faults.front());
  return stock;
}

Json rolling_stock_json(const RollingStock& stock) {
  Json json = {{"id", stock.id}, {"name", stock.name}};
  for (const StockValue& v : kStockValues) json[v.name] = stock.*(v.value);
  Json sources = Json::object();
  for (const auto& [what, source] : stock.sources) sources[what] = source;
  json["sources"] = sources;
  return json;
}

void RunPlaces::record(const RecordFormat& format, const FieldRead& keyword) {
  current_ = format.id;
  in_record_ = true;
  keyword_ = {{std::string(keyword.file), keyword.line, keyword.column}, static_cast<int32_t>(format.keyword.size())};
  if (current_ == Record::stazione) ++stations_;
}

void RunPlaces::field(const FieldFormat& format, const FieldRead& field) {
  if (!in_record_) return;
  const SourcePlace place{std::string(field.file), field.line, field.column};
  const auto digits = static_cast<int32_t>(std::to_string(field.number).size());
  if (current_ == Record::rallentamento && format.name == "x") {
    slowdowns_.try_emplace(object_cell(field.number), keyword_);
  } else if (current_ == Record::stazione && format.name == "hours") {
    station_times_[stations_] = {place, digits};
  } else if (current_ == Record::stazione && (format.name == "minutes" || format.name == "seconds")) {
    auto found = station_times_.find(stations_);
    if (found != station_times_.end() && found->second.place.line == field.line) {
      found->second.length = field.column + digits - found->second.place.column;
    }
  }
}

std::optional<RunPlaces::Place> RunPlaces::station_time(int32_t entry) const {
  const auto found = station_times_.find(entry);
  if (found == station_times_.end()) return std::nullopt;
  return found->second;
}

std::optional<RunPlaces::Place> RunPlaces::slowdown(int32_t start_cell) const {
  const auto found = slowdowns_.find(start_cell);
  if (found == slowdowns_.end()) return std::nullopt;
  return found->second;
}

Diagnostics run_diagnostics(const running::RunResult& run, const RunPlaces& places, const FileNames& names) {
  Diagnostics diagnostics;
  for (const running::RunFinding& finding : run.findings) {
    std::optional<RunPlaces::Place> place;
    if (finding.subject == running::RunFinding::Subject::leg) place = places.station_time(finding.key);
    if (finding.subject == running::RunFinding::Subject::slowdown) place = places.slowdown(finding.key);
    const RunPlaces::Place at = place.value_or(RunPlaces::Place{{names.train_source(), 0, 0}, 0});
    diagnostics.push_back(diagnostic(finding.code, at.place, at.length, finding.message, finding.hint));
  }
  return diagnostics;
}

CompiledSources compile_sources(const AuthorSources& sources) {
  CompiledSources compiled;
  TrackModel model;
  model.nome_linea = sources.names.nome_linea;
  model.numero_treno = sources.names.numero_treno;
  MemoryFolder folder;
  folder.put(sources.names.line_source(), sources.line);
  folder.put(sources.names.train_source(), sources.train);
  CompileReport report;
  int32_t j = 1;
  const Finish finish = compile_and_finish(model, folder, report, j, &compiled.places);
  compiled.code = finish != Finish::compiled || report.code != 0 || model.codice_errore != 0;
  compiled.view = view_of(model);
  return compiled;
}

Json run_json(const running::RunResult& run) {
  const running::Train& train = run.train;
  Json json;
  json["train"] = {{"cars", train.cars},
                   {"braked_mass_percentage", train.braked_mass_percentage},
                   {"mass_t", train.mass},
                   {"length_m", train.length},
                   {"max_speed_kmh", train.max_speed},
                   {"max_tractive_effort_kn", train.max_tractive_effort},
                   {"power_kw", train.power},
                   {"service_deceleration_ms2", rounded(train.deceleration, 1e-4)},
                   {"rolling_stock", rolling_stock_json(train.stock)}};
  json["options"] = {
      {"step_m", run.options.step}, {"dwell_s", run.options.dwell}, {"allowance_percent", run.options.allowance}};
  Json legs = Json::array();
  for (const running::Leg& leg : run.legs) {
    Json item = {{"from", leg.from_name},
                 {"to", leg.to_name},
                 {"from_m", leg.from},
                 {"to_m", leg.to},
                 {"departure", clock_text(leg.departure)},
                 {"next_time", clock_text(leg.next_time)},
                 {"scheduled_s", leg.scheduled},
                 {"running_s", finite_or_null(rounded(leg.running, 0.01))},
                 {"dwell_s", leg.dwell},
                 {"technical_s", finite_or_null(rounded(leg.technical, 0.01))},
                 {"margin_percent", finite_or_null(rounded(leg.margin, 0.01))},
                 {"top_speed_kmh", rounded(leg.top_speed, 0.01)},
                 {"runnable", leg.runnable}};
    if (leg.stalled_at) item["stalled_at_m"] = *leg.stalled_at;
    legs.push_back(item);
  }
  json["legs"] = legs;
  Json boards = Json::array();
  for (const running::BoardCheck& board : run.boards) {
    boards.push_back({{"board_m", board.board},
                      {"start_m", board.start},
                      {"board_speed_kmh", board.board_speed},
                      {"slowdown_speed_kmh", board.slowdown_speed},
                      {"needed_m", finite_or_null(rounded(board.needed, 0.1))},
                      {"available_m", board.available},
                      {"enough", board.enough}});
  }
  json["boards"] = boards;
  Json findings = Json::array();
  for (const running::RunFinding& finding : run.findings) {
    const CodeEntry* entry = find_code(finding.code);
    findings.push_back({{"code", finding.code},
                        {"name", entry != nullptr ? std::string(entry->name) : ""},
                        {"severity", entry != nullptr ? std::string(severity_name(entry->severity)) : ""},
                        {"message", finding.message},
                        {"hint", finding.hint}});
  }
  json["findings"] = findings;
  json["total_time_s"] = rounded(run.total_time, 0.01);
  Json points = Json::array();
  for (const running::RunPoint& p : run.points) {
    points.push_back({rounded(p.position, 0.01), rounded(p.speed, 0.01), rounded(p.time, 0.01), p.limit,
                      running::part_name(p.part)});
  }
  json["points_columns"] = {"position_m", "speed_kmh", "time_s", "limit_kmh", "limited_by"};
  json["points"] = points;
  return json;
}

std::string run_text(const running::RunResult& run) {
  const running::Train& train = run.train;
  std::string out;
  char line[512];
  std::snprintf(line, sizeof line,
                "train: %d cars of %s (%s)\n"
                "       %.0f t, %.0f m, up to %.0f km/h, %.0f kN, %.0f kW; braked-mass %.0f %% -> service braking "
                "%.2f m/s^2\n",
                train.cars, train.stock.name.c_str(), train.stock.id.c_str(), train.mass, train.length, train.max_speed,
                train.max_tractive_effort, train.power, train.braked_mass_percentage, train.deceleration);
  out += line;
  std::snprintf(line, sizeof line, "run:   step %g m, %g s at every intermediate stop, allowance %g %%\n\n",
                run.options.step, run.options.dwell, run.options.allowance);
  out += line;
  if (run.legs.empty())
    out += "no legs: the timetable has fewer than two stations\n";
  else {
    std::snprintf(line, sizeof line, "%-20s %-20s %9s %9s %8s %6s\n", "from", "to", "scheduled", "fastest", "margin",
                  "top");
    out += line;
  }
  for (const running::Leg& leg : run.legs) {
    char margin[32];
    if (std::isfinite(leg.margin) && leg.runnable)
      std::snprintf(margin, sizeof margin, "%+.1f%%", leg.margin);
    else
      std::snprintf(margin, sizeof margin, "%s", "--");
    std::snprintf(line, sizeof line, "%-20.20s %-20.20s %9s %9s %8s %6.0f\n", leg.from_name.c_str(),
                  leg.to_name.c_str(), clock_of(leg.scheduled).c_str(), clock_of(leg.technical).c_str(), margin,
                  leg.top_speed);
    out += line;
  }
  if (!run.boards.empty()) {
    out += "\nwarning boards:\n";
    for (const running::BoardCheck& board : run.boards) {
      std::snprintf(line, sizeof line,
                    "  slowdown at %.0f m, board at %.0f m: %.0f -> %.0f km/h needs %.0f m of %.0f m%s\n", board.start,
                    board.board, board.board_speed, board.slowdown_speed, board.needed, board.available,
                    board.enough ? "" : "  NOT ENOUGH");
      out += line;
    }
  }
  std::snprintf(line, sizeof line, "\nfastest run, first departure to last arrival: %s\n",
                clock_of(run.total_time).c_str());
  out += line;
  return out;
}

}  // namespace scenario::tool
