#include "tool/viewer_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>

#include "base/nearest.h"
#include "compiler/cell_rules.h"
#include "tool/scene_labels.h"
#include "tool/viewer_assets.h"
#include "view/line_profiles.h"

namespace scenario::tool {

namespace {

using nlohmann::json;

// The page zooms from a whole line in a small window to this many pixels a
// metre; labels are laid out for that range.
constexpr double kMostScale = 40;
constexpr double kSmallestWindow = 240;  // pixels

// The plan's levels of detail: each keeps the plan within this many metres.
constexpr double kPlanTolerances[] = {0.05, 0.5, 5, 50};

// The records whose first number is the progressive they stand at.
const std::set<Record> placed_by_progressive = {Record::pendenza,
                                                Record::curva,
                                                Record::montagna,
                                                Record::indicatori_vmax,
                                                Record::cartello_indicatore,
                                                Record::velocita,
                                                Record::aderenza,
                                                Record::segnale,
                                                Record::rallentamento,
                                                Record::abbattimento,
                                                Record::stazione,
                                                Record::progressiva_uno,
                                                Record::progressiva_due,
                                                Record::progressiva_tre};

json source_of(const std::optional<SourcePlace>& line, const PageSources* sources) {
  if (!line || sources == nullptr) return nullptr;
  return json::array({line->file == sources->paths.train_name ? 1 : 0, line->line});
}

json source_of(const PageSources* sources, Record kind, int32_t key) {
  return sources == nullptr ? json(nullptr) : source_of(sources->links.of(kind, key), sources);
}

double rounded(double v, double unit) { return nearest(v / unit) * unit; }

// The points of the plan that keep it within `tolerance` metres: the line
// simplified by repeatedly keeping the point farthest from the chord.
std::vector<std::size_t> simplified(const std::vector<PlanPoint>& plan, std::size_t first, std::size_t last,
                                    double tolerance) {
  std::vector<bool> keep(last - first + 1, false);
  keep.front() = keep.back() = true;
  std::vector<std::pair<std::size_t, std::size_t>> pending{{first, last}};
  while (!pending.empty()) {
    const auto [a, b] = pending.back();
    pending.pop_back();
    if (b <= a + 1) continue;
    const double ax = plan[a].x, ay = plan[a].y;
    const double vx = plan[b].x - ax, vy = plan[b].y - ay;
    const double length = std::hypot(vx, vy);
    double farthest = -1;
    std::size_t at = a;
    for (std::size_t i = a + 1; i < b; ++i) {
      const double wx = plan[i].x - ax, wy = plan[i].y - ay;
      const double d = length > 0 ? std::fabs(vx * wy - vy * wx) / length : std::hypot(wx, wy);
      if (d > farthest) {
        farthest = d;
        at = i;
      }
    }
    if (farthest > tolerance) {
      keep[at - first] = true;
      pending.push_back({a, at});
      pending.push_back({at, b});
    }
  }
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    if (keep[i]) kept.push_back(first + i);
  }
  return kept;
}

// A plan level: metres and centimetres, each as differences from the point
// before, which keeps the numbers short.
json plan_level(const std::vector<PlanPoint>& plan, int32_t length, double tolerance) {
  const std::size_t last = plan.size() - 1;
  const std::size_t end = std::min(last, static_cast<std::size_t>(std::max(length, 1)));
  std::vector<std::size_t> kept = simplified(plan, 0, end, tolerance);
  if (end < last) {
    const std::vector<std::size_t> tail = simplified(plan, end, last, tolerance);
    kept.insert(kept.end(), tail.begin() + 1, tail.end());
  }
  json p = json::array(), x = json::array(), y = json::array();
  int64_t last_p = 0, last_x = 0, last_y = 0;
  for (const std::size_t i : kept) {
    const int64_t cx = nearest(plan[i].x * 100), cy = nearest(plan[i].y * 100);
    p.push_back(static_cast<int64_t>(i) - last_p);
    x.push_back(cx - last_x);
    y.push_back(cy - last_y);
    last_p = static_cast<int64_t>(i);
    last_x = cx;
    last_y = cy;
  }
  return {{"tolerance", tolerance}, {"p", p}, {"x", x}, {"y", y}};
}

// Runs of equal values in the profile cells, each [progressive, value] or,
// where a source record starts the run, [progressive, value, file, line].
template <typename Value>
json steps(const std::vector<Value>& values, const PageSources* sources, std::optional<Record> kind) {
  json out = json::array();
  for (std::size_t c = 0; c < values.size(); ++c) {
    if (c > 0 && values[c] == values[c - 1]) continue;
    json step = json::array({boundary_progressive(static_cast<int32_t>(c)), values[c]});
    if (kind) {
      const json src = source_of(sources, *kind, static_cast<int32_t>(c));
      if (!src.is_null()) {
        step.push_back(src[0]);
        step.push_back(src[1]);
      }
    }
    out.push_back(step);
  }
  return out;
}

json axis_json(const ValueAxis& a) { return {{"low", a.low}, {"high", a.high}, {"step", a.step}}; }

json labels_json(const std::vector<SceneLabel>& labels) {
  json out = json::array();
  for (const SceneLabel& l : labels) {
    if (l.kind == LabelKind::marker || !l.from) continue;
    json item = {{"t", l.text},
                 {"x", rounded(l.box.x, 0.01)},
                 {"y", rounded(l.box.y, 0.01)},
                 {"dx", l.box.dx - l.box.width / 2},
                 {"dy", l.box.dy},
                 {"font", l.font},
                 {"from", *l.from},
                 {"kind", static_cast<int>(l.kind)}};
    if (l.bold) item["bold"] = true;
    if (l.angle != 0) item["angle"] = l.angle;
    out.push_back(item);
  }
  return out;
}

}  // namespace

json page_data(const ScenarioView& view, const PageSources* sources, const std::vector<PageDiagnostic>& diagnostics) {
  json data;
  data["line"] = view.line_name;
  data["train"] = view.train_number;
  data["length"] = view.length;
  data["cells"] = view.cells.size();
  const std::size_t cells = profile_cells(view);
  data["profileEnd"] = boundary_progressive(static_cast<int32_t>(cells));
  data["files"] = sources ? json::array({sources->paths.line, sources->paths.train}) : json::array();

  // Kilometres: by the references where they agree with the line's own
  // kilometre signs; otherwise the axis counts progressives.
  const std::vector<KilometreSection> sections = kilometre_sections(view);
  std::vector<PlacedSign> placed_signs;
  for (const SignView& s : view.signs) placed_signs.push_back({s.progressive, s.text});
  const KilometreAgreement agreement = kilometre_agreement(sections, placed_signs);
  const std::vector<KilometrePost> posts =
      agreement.agrees ? kilometre_posts(sections, view.length) : kilometre_posts({}, view.length);
  json sections_json = json::array();
  if (agreement.agrees) {
    for (const KilometreSection& s : sections) {
      sections_json.push_back(
          {{"from", s.from},
           {"to", s.to},
           {"kilometre", s.kilometre},
           {"descending", s.descending},
           {"src", s.reference && sources != nullptr ? source_of(sources->links.of_reference(*s.reference), sources)
                                                     : json(nullptr)}});
    }
  }
  data["sections"] = sections_json;
  json references = json::array();
  for (const KilometreReference& r : view.references) {
    if (!r.given()) continue;
    references.push_back(
        {{"start", r.start},
         {"kilometre", r.kilometre},
         {"direction", r.direction},
         {"src", sources != nullptr ? source_of(sources->links.of_reference(r), sources) : json(nullptr)}});
  }
  data["kilometres"] = {
      {"agrees", agreement.agrees},        {"signs", agreement.signs}, {"leastAhead", agreement.least_ahead},
      {"mostAhead", agreement.most_ahead}, {"why", agreement.why},     {"references", references}};

  // The plan.
  std::vector<CurveView> curves;
  const double extent_axis = std::max(static_cast<double>(boundary_progressive(static_cast<int32_t>(cells))), 1.0);
  double plan_least = kSmallestWindow / extent_axis;
  if (view.plan && view.plan->size() >= 2) {
    const std::vector<PlanPoint>& plan = *view.plan;
    const PlanBounds bounds = bounds_of(plan);
    const double min_x = bounds.min_x, min_y = bounds.min_y, max_x = bounds.max_x, max_y = bounds.max_y;
    plan_least = kSmallestWindow / std::max({max_x - min_x, max_y - min_y, 1.0});
    json levels = json::array();
    for (const double tolerance : kPlanTolerances) levels.push_back(plan_level(plan, view.length, tolerance));
    data["plan"] = {
        {"bounds", {rounded(min_x, 0.01), rounded(min_y, 0.01), rounded(max_x, 0.01), rounded(max_y, 0.01)}},
        {"levels", levels}};
    curves = curves_of(plan);
  } else {
    data["plan"] = nullptr;
  }

  // Objects.
  json stations = json::array();
  for (const StationView& s : view.stations) {
    stations.push_back(
        {{"name", s.fields.testo},
         {"entry", s.entry},
         {"type", s.fields.tipo},
         {"p", s.fields.posizione},
         {"from", s.fields.inizio},
         {"to", s.fields.fine},
         {"stop", s.stop_cell ? json(cell_progressive(*s.stop_cell, tipo_cella::fermata)) : json(nullptr)},
         {"time", clock_text(s.fields.orario)},
         {"src", source_of(sources, Record::stazione, s.entry)}});
  }
  data["stations"] = stations;

  json signals = json::array();
  for (const SignalView& s : view.signals) {
    const SignalValues v = s.values();
    signals.push_back({{"p", s.progressive},
                       {"cell", s.cell},
                       {"sx", v.sx},
                       {"dx", v.dx},
                       {"s", {v.s1, v.s2, v.s3}},
                       {"d", {v.d1, v.d2, v.d3}},
                       {"rapp", v.rapp},
                       {"tempo", s.fields.tempo},
                       {"src", source_of(sources, Record::segnale, s.cell)}});
  }
  data["signals"] = signals;

  json boards = json::array();
  for (const BoardView& b : view.boards) {
    boards.push_back({{"p", b.progressive},
                      {"s", b.s_speeds()},
                      {"d", b.d_speeds()},
                      {"stripes", {b.s_stripes(), b.d_stripes()}},
                      {"src", source_of(sources, Record::indicatori_vmax, b.cell)}});
  }
  data["boards"] = boards;

  json signs = json::array();
  for (const SignView& s : view.signs) {
    const std::optional<int64_t> named = kilometre_in_sign(s.text);
    signs.push_back({{"p", s.progressive},
                     {"text", s.text},
                     {"named", named ? json(*named) : json(nullptr)},
                     {"entry", s.entry},
                     {"src", source_of(sources, Record::cartello_indicatore, s.cell)}});
  }
  data["signs"] = signs;

  json slowdowns = json::array();
  for (const SlowdownView& s : view.slowdowns) {
    slowdowns.push_back(
        {{"start", s.start},
         {"end", s.end},
         {"warning",
          s.warning_cell ? json(cell_progressive(*s.warning_cell, tipo_cella::avviso_rallentamento)) : json(nullptr)},
         {"speed", s.speed},
         {"second", s.second_speed},
         {"flag", s.flag},
         {"src", source_of(sources, Record::rallentamento, s.start_cell)}});
  }
  data["slowdowns"] = slowdowns;

  json abatements = json::array();
  for (const AbatementView& a : view.abatements) {
    const json src = source_of(sources, Record::abbattimento, a.cell);
    abatements.push_back({{"p", a.progressive},
                          {"value", a.value ? json(*a.value) : json(nullptr)},
                          {"src", src},
                          {"finishing", src.is_null() && a.value == 180}});
  }
  data["abatements"] = abatements;

  json mountains = json::array();
  for (const MountainView& m : view.mountains) {
    const MountainSpan span = mountain_span({m.first_cell, m.last_cell});
    mountains.push_back({{"from", span.inizio},
                         {"to", span.fine},
                         {"type", m.type},
                         {"markers", m.markers},
                         {"src", source_of(sources, Record::montagna, m.first_cell)}});
  }
  data["mountains"] = mountains;

  json curves_json = json::array();
  double sharpest = 0;
  for (const CurveView& c : curves) {
    sharpest = std::max(sharpest, std::fabs(c.curvature()));
    curves_json.push_back({{"start", c.start},
                           {"length", c.length},
                           {"class", c.klass},
                           {"left", c.left},
                           {"src", source_of(sources, Record::curva, c.start)}});
  }
  data["curves"] = curves_json;

  // Profiles.
  const std::vector<int32_t> speed(view.speed.begin(), view.speed.begin() + static_cast<std::ptrdiff_t>(cells));
  const std::vector<int32_t> gradient(view.gradient.begin(),
                                      view.gradient.begin() + static_cast<std::ptrdiff_t>(cells));
  const std::vector<int32_t> adhesion(view.adhesion.begin(),
                                      view.adhesion.begin() + static_cast<std::ptrdiff_t>(cells));
  const std::vector<int32_t> limit = effective_speed(view);
  const std::vector<double> height = heights(view);
  json height_json = json::array();
  for (std::size_t c = 0; c <= cells; ++c) {
    const bool turns = c == 0 || c == cells || gradient[c] != gradient[c - 1];
    if (turns) height_json.push_back({boundary_progressive(static_cast<int32_t>(c)), rounded(height[c], 0.01)});
  }
  data["profiles"] = {{"speed", steps(speed, sources, Record::velocita)},
                      {"limit", steps(limit, sources, std::nullopt)},
                      {"gradient", steps(gradient, sources, Record::pendenza)},
                      {"adhesion", steps(adhesion, sources, Record::aderenza)},
                      {"height", height_json}};

  double fastest = 20, steepest = 5, lowest = 0, highest = 1, most_adhesion = 1;
  for (const int32_t v : speed) fastest = std::max<double>(fastest, v);
  for (const BoardView& b : view.boards) {
    for (const int32_t v : b.s_speeds()) fastest = std::max<double>(fastest, v);
  }
  for (const int32_t g : gradient) steepest = std::max<double>(steepest, std::abs(g));
  for (const double h : height) {
    lowest = std::min(lowest, h);
    highest = std::max(highest, h);
  }
  for (const int32_t a : adhesion) most_adhesion = std::max<double>(most_adhesion, a);
  const double bend = std::max(sharpest * 1000, 0.5);  // per km
  data["axes"] = {{"speed", axis_json(value_axis(0, fastest, 3))},
                  {"gradient", axis_json(value_axis(-steepest, steepest, 2))},
                  {"height", axis_json(value_axis(lowest, highest, 2))},
                  {"curvature", axis_json(value_axis(-bend, bend, 2))},
                  {"adhesion", axis_json(value_axis(0, most_adhesion, 1))}};

  // Labels, for the scales the page can show.
  const double axis_least = kSmallestWindow / extent_axis;
  data["labels"] = {{"plan", labels_json(plan_labels(view, posts, plan_least, kMostScale))},
                    {"stations", labels_json(axis_station_labels(view, axis_least, kMostScale))},
                    {"posts", labels_json(axis_post_labels(posts, axis_least, kMostScale))}};
  data["posts"] = json::array();
  for (const KilometrePost& post : posts) data["posts"].push_back({post.progressive, post.kilometre});
  data["scale"] = {{"most", kMostScale}};

  json list = json::array();
  for (const PageDiagnostic& d : diagnostics) {
    list.push_back({{"file", d.file},
                    {"line", d.line},
                    {"column", d.column},
                    {"severity", d.severity},
                    {"code", d.code},
                    {"message", d.message},
                    {"hint", d.hint}});
  }
  data["diagnostics"] = list;

  // Where each record of the sources stands on the line, so that the page can
  // put a diagnostic of that record at its place.
  json records = json::array();
  if (sources != nullptr) {
    for (const RecordRead& r : sources->links.records()) {
      if (r.numbers.empty() || placed_by_progressive.count(r.kind) == 0) continue;
      records.push_back({r.place.file == sources->paths.train_name ? 1 : 0, r.place.line, r.numbers[0]});
    }
  }
  data["records"] = records;
  data["version"] = 0;
  return data;
}

std::string script_safe_json(const nlohmann::json& data) {
  const std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  // "<" stands only inside strings, where \u003c means the same and can
  // close no script element.
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

std::string viewer_page(const nlohmann::json& data) {
  std::string title = data.value("line", std::string()) + " \u2013 train " + data.value("train", std::string());
  std::string escaped_title;
  for (const char c : title) {
    if (c == '<') {
      escaped_title += "&lt;";
    } else if (c == '&') {
      escaped_title += "&amp;";
    } else {
      escaped_title += c;
    }
  }
  // The markers stand in the page in this order; each is looked for after the
  // one before, so that nothing put in can be taken for a marker.
  const std::pair<std::string_view, std::string> parts[] = {
      {"@title@", escaped_title},
      {"/*@viewer.css@*/", std::string(kViewerCss)},
      {"\"@data@\"", script_safe_json(data)},
      {"/*@viewer.js@*/", std::string(kViewerJs)},
  };
  const std::string_view page_template = kViewerHtml;
  std::string page;
  std::size_t from = 0;
  for (const auto& [marker, content] : parts) {
    const std::size_t at = page_template.find(marker, from);
    if (at == std::string_view::npos) throw std::logic_error("the viewer page has no marker " + std::string(marker));
    page.append(page_template.substr(from, at - from));
    page += content;
    from = at + marker.size();
  }
  page.append(page_template.substr(from));
  return page;
}

}  // namespace scenario::tool
