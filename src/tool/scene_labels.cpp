#include "tool/scene_labels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace scenario::tool {

namespace {

// A station the train stops at has a type under 25.
int station_priority(const ScenarioView& view, std::size_t i) {
  if (i == 0 || i + 1 == view.stations.size()) return 0;
  return view.stations[i].fields.tipo < 25 ? 1 : 2;
}

// Rounder kilometres first: hundreds, fifties, tens, fives, the rest.
int roundness(int64_t kilometre) {
  const int64_t km = std::llabs(kilometre / 1000);
  if (km % 100 == 0) return 0;
  if (km % 50 == 0) return 1;
  if (km % 10 == 0) return 2;
  if (km % 5 == 0) return 3;
  return 4;
}

std::string post_text(int64_t kilometre) { return std::to_string(kilometre / 1000); }

std::string board_text(const BoardView& board) {
  const auto s = board.s_speeds();
  return std::to_string(s[0]) + "/" + std::to_string(s[1]) + "/" + std::to_string(s[2]);
}

// A sign text as a label: long texts are cut.
std::string sign_text(const std::string& text) {
  constexpr std::size_t kMost = 36;
  if (text.size() <= kMost) return text;
  std::size_t cut = kMost;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "\u2026";
}

SceneLabel text_label(LabelKind kind, std::string text, double x, double y, double font, bool bold, int priority,
                      double dx, double dy) {
  SceneLabel l{kind, std::move(text), {}, font, bold, 0, std::nullopt};
  const double width = text_width(l.text, font, bold);
  l.box = {x, y, width, font * 1.25, dx + width / 2, dy, priority, false, 0};
  return l;
}

SceneLabel marker(double x, double y, double size) {
  SceneLabel l{LabelKind::marker, "", {}, 0, false, 0, std::nullopt};
  l.box = {x, y, size, size, 0, 0, 0, true, 0};
  return l;
}

void place(std::vector<SceneLabel>& labels, double least, double most) {
  std::vector<LabelBox> boxes;
  boxes.reserve(labels.size());
  for (const SceneLabel& l : labels) boxes.push_back(l.box);
  const std::vector<std::optional<double>> from = shown_from(boxes, least, most);
  for (std::size_t i = 0; i < labels.size(); ++i) labels[i].from = from[i];
}

}  // namespace

PlanPoint plan_point(const std::vector<PlanPoint>& plan, int32_t progressive) {
  if (plan.empty()) return {};
  const auto last = static_cast<int32_t>(plan.size()) - 1;
  return plan[static_cast<std::size_t>(std::clamp(progressive, 0, last))];
}

std::vector<SceneLabel> plan_labels(const ScenarioView& view, const std::vector<KilometrePost>& posts, double least,
                                    double most) {
  std::vector<SceneLabel> labels;
  if (!view.plan || view.plan->empty()) return labels;
  const std::vector<PlanPoint>& plan = *view.plan;
  const auto at = [&plan](int32_t p) { return plan_point(plan, p); };
  for (const StationView& s : view.stations)
    labels.push_back(marker(at(s.fields.posizione).x, at(s.fields.posizione).y, 14));
  for (const SignalView& s : view.signals) labels.push_back(marker(at(s.progressive).x, at(s.progressive).y, 10));
  for (std::size_t i = 0; i < view.stations.size(); ++i) {
    const StationView& s = view.stations[i];
    const PlanPoint p = at(s.fields.posizione);
    labels.push_back(
        text_label(LabelKind::station, s.fields.testo, p.x, p.y, 12, true, station_priority(view, i), 13, 0));
  }
  for (const SlowdownView& s : view.slowdowns) {
    const PlanPoint p = at((s.start + s.end) / 2);
    labels.push_back(
        text_label(LabelKind::slowdown, "slowdown " + std::to_string(s.speed) + " km/h", p.x, p.y, 11, true, 3, 8, 14));
  }
  for (const KilometrePost& post : posts) {
    const PlanPoint p = at(post.progressive);
    labels.push_back(text_label(LabelKind::post, post_text(post.kilometre), p.x, p.y, 10, false,
                                4 + roundness(post.kilometre), 5, -9));
  }
  for (const BoardView& b : view.boards) {
    const PlanPoint p = at(b.progressive);
    labels.push_back(text_label(LabelKind::board, board_text(b), p.x, p.y, 10, false, 9, 9, 12));
  }
  for (const SignView& s : view.signs) {
    const PlanPoint p = at(s.progressive);
    labels.push_back(text_label(LabelKind::sign, sign_text(s.text), p.x, p.y, 10, false, 10, 9, -12));
  }
  place(labels, least, most);
  return labels;
}

std::vector<SceneLabel> axis_station_labels(const ScenarioView& view, double least, double most) {
  std::vector<SceneLabel> labels;
  const double font = 11;
  // Two slanted names clear each other when their baselines stand a line's
  // height apart across the slant.
  const double footprint = font * 1.3 / std::sin(kStationNameAngle * std::numbers::pi / 180);
  for (std::size_t i = 0; i < view.stations.size(); ++i) {
    const StationView& s = view.stations[i];
    SceneLabel l{LabelKind::station, s.fields.testo, {}, font, true, kStationNameAngle, std::nullopt};
    l.box = {static_cast<double>(s.fields.posizione), 0, footprint, font, 0, 0, station_priority(view, i), false, 0};
    labels.push_back(std::move(l));
  }
  place(labels, least, most);
  return labels;
}

std::vector<SceneLabel> axis_post_labels(const std::vector<KilometrePost>& posts, double least, double most) {
  std::vector<SceneLabel> labels;
  for (const KilometrePost& post : posts) {
    labels.push_back(text_label(LabelKind::post, post_text(post.kilometre), post.progressive, 0, 10, false,
                                roundness(post.kilometre), 0, 0));
    labels.back().box.dx = 0;  // centred under its tick
  }
  place(labels, least, most);
  return labels;
}

}  // namespace scenario::tool
