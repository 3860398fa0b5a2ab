// scenario_tool plot: one SVG picture of a compiled scenario: the plan of the
// line with its stations and signals, and under it the speed limit and the
// gradient against the progressive.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "compiler/cell_rules.h"
#include "output/compiled_layout.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/label_layout.h"
#include "tool/plot_picture.h"
#include "tool/scenario_files.h"
#include "tool/scene_labels.h"
#include "tool/svg_writer.h"
#include "view/line_profiles.h"
#include "view/scenario_view.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kPlotCommand = {
    "plot",
    "scenario_tool plot DIR [-o FILE.svg] [--train-number NUM]",
    "Draws the compiled scenario in DIR as one SVG picture:\n"
    "\n"
    "  - the plan of the line (x to the right, y upward) with the stations named\n"
    "    and the signals marked; the 7 km past the end of the line are dashed;\n"
    "  - under it the speed limit (the profile lowered by the slowdowns) and the\n"
    "    gradient against the progressive in km, the stations marked.\n"
    "\n"
    "Names, kilometre posts and texts are drawn where they stand clear of each\n"
    "other and of the markers, as the viewer (scenario_tool view) draws them.\n"
    "\n"
    "DIR must hold one scenario file NAME_NUM.sim with its route file NAME_NUM.dat;\n"
    "the plan file NAME_linea.dat is drawn when present. When DIR holds several\n"
    "scenario files, --train-number picks one.\n"
    "\n"
    "Options:\n"
    "  -o FILE.svg           where to write the picture (default: DIR/NAME_NUM.svg)\n"
    "  --train-number NUM    the scenario of this train\n"
    "\n"
    "Exit status: 0 written; 2 the compiled files cannot be read or do not fit\n"
    "their layouts; 64 usage error.\n",
    plot_command,
};

namespace {

// --- drawing -------------------------------------------------------------------

constexpr double kWidth = 1200;
constexpr double kMargin = 70;  // left and right of the profile axes
const char* const kFont = "font-family=\"DejaVu Sans, Arial, sans-serif\"";

class Svg {
 public:
  void add(const std::string& element) { body_ += element + "\n"; }

  void text(double x, double y, const std::string& content, const std::string& attributes = "") {
    add("<text x=\"" + svg_number(x) + "\" y=\"" + svg_number(y) + "\" " + attributes + ">" + xml_escaped(content) +
        "</text>");
  }

  void line(double x1, double y1, double x2, double y2, const std::string& attributes) {
    add("<line x1=\"" + svg_number(x1) + "\" y1=\"" + svg_number(y1) + "\" x2=\"" + svg_number(x2) + "\" y2=\"" +
        svg_number(y2) + "\" " + attributes + "/>");
  }

  std::string document(double height) const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           svg_number(kWidth) + "\" height=\"" + svg_number(height) + "\" viewBox=\"0 0 " + svg_number(kWidth) + " " +
           svg_number(height) + "\" " + kFont + " font-size=\"12\">\n" +
           "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n" + body_ + "</svg>\n";
  }

 private:
  std::string body_;
};

// The plan at one scale for x and y, with y upward.
double draw_plan(Svg& svg, const ScenarioView& s, double top) {
  constexpr double kHeight = 560;
  const double left = 20;
  const double width = kWidth - 40;
  svg.add("<rect x=\"" + svg_number(left) + "\" y=\"" + svg_number(top) + "\" width=\"" + svg_number(width) +
          "\" height=\"" + svg_number(kHeight) + "\" fill=\"#f7f9fb\" stroke=\"#c8d0d8\"/>");
  svg.text(left + 10, top + 20, "Plan", "font-weight=\"bold\"");
  if (!s.plan || s.plan->empty()) {
    svg.text(left + width / 2, top + kHeight / 2, "no plan file (compiled with --no-plan?)",
             "text-anchor=\"middle\" fill=\"#777\"");
    return top + kHeight;
  }
  const std::vector<PlanPoint>& plan = *s.plan;
  const PlanBounds bounds = bounds_of(plan);
  const double min_x = bounds.min_x, min_y = bounds.min_y, max_x = bounds.max_x, max_y = bounds.max_y;
  const double pad = 50;
  const double span_x = std::max(max_x - min_x, 1.0);
  const double span_y = std::max(max_y - min_y, 1.0);
  const double scale = std::min((width - 2 * pad) / span_x, (kHeight - 2 * pad) / span_y);
  const double off_x = left + (width - span_x * scale) / 2;
  const double off_y = top + (kHeight - span_y * scale) / 2;
  const auto sx = [&](const PlanPoint& p) { return off_x + (p.x - min_x) * scale; };
  const auto sy = [&](const PlanPoint& p) { return off_y + (max_y - p.y) * scale; };

  // The line, then the straight run past its end, dashed.
  const auto path = [&](std::size_t from, std::size_t to) {
    const std::size_t step = std::max<std::size_t>(1, plan.size() / 5000);
    std::string d;
    const auto point = [&](std::size_t m) {
      d += (d.empty() ? "M" : " L") + svg_number(sx(plan[m])) + " " + svg_number(sy(plan[m]));
    };
    for (std::size_t m = from; m < to; m += step) point(m);
    point(to);
    return d;
  };
  const std::size_t last = plan.size() - 1;
  const std::size_t end = std::min(last, static_cast<std::size_t>(std::max(s.length, 0)));
  svg.add("<path class=\"plan\" d=\"" + path(0, end) + "\" fill=\"none\" stroke=\"#1f4e79\" stroke-width=\"2.5\"/>");
  if (end < last) {
    svg.add("<path d=\"" + path(end, last) +
            "\" fill=\"none\" stroke=\"#1f4e79\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>");
  }

  // Signals: small red triangles on the line.
  for (const SignalView& signal : s.signals) {
    const PlanPoint p = plan_point(plan, signal.progressive);
    const double x = sx(p), y = sy(p);
    svg.add("<path class=\"signal\" d=\"M" + svg_number(x) + " " + svg_number(y - 5) + " L" + svg_number(x + 4.5) +
            " " + svg_number(y + 3) + " L" + svg_number(x - 4.5) + " " + svg_number(y + 3) +
            " Z\" fill=\"#d62728\"><title>signal at " + std::to_string(signal.progressive) + " m</title></path>");
  }
  // Stations: a circle for each.
  for (const StationView& station : s.stations) {
    const PlanPoint p = plan_point(plan, station.fields.posizione);
    svg.add("<g class=\"station\"><circle cx=\"" + svg_number(sx(p)) + "\" cy=\"" + svg_number(sy(p)) +
            "\" r=\"6\" fill=\"white\" stroke=\"#000\" stroke-width=\"2\"/><title>" +
            xml_escaped(station.fields.testo) + " at " + std::to_string(station.fields.posizione) + " m</title></g>");
  }
  // The names, kilometre posts, board speeds and sign texts that fit at this
  // scale without overlapping each other or the markers, laid out as the
  // viewer lays them out.
  for (const SceneLabel& label : plan_labels(s, kilometre_posts(kilometre_sections(s), s.length), scale, scale)) {
    if (label.kind == LabelKind::marker || !label.from || *label.from > scale) continue;
    const double x = sx({label.box.x, label.box.y}) + label.box.dx - label.box.width / 2;
    const double y = sy({label.box.x, label.box.y}) + label.box.dy + label.font * 0.35;
    const char* colour = label.kind == LabelKind::station    ? "#000"
                         : label.kind == LabelKind::slowdown ? "#a04a00"
                         : label.kind == LabelKind::sign     ? "#1e6b1e"
                                                             : "#555";
    svg.text(x, y, label.text,
             std::string("font-size=\"") + svg_number(label.font) + "\" fill=\"" + colour + "\"" +
                 (label.bold ? " font-weight=\"bold\"" : ""));
  }

  // Scale bar.
  const double bar_metres = tick_step(std::max(span_x, span_y), 5);
  const double bar_left = left + 20;
  const double bar_y = top + kHeight - 20;
  svg.line(bar_left, bar_y, bar_left + bar_metres * scale, bar_y, "stroke=\"#333\" stroke-width=\"3\"");
  svg.text(bar_left, bar_y - 6, svg_number(bar_metres / 1000) + " km", "fill=\"#333\"");

  // Legend.
  const double lx = left + width - 230, ly = top + 20;
  svg.line(lx, ly, lx + 24, ly, "stroke=\"#1f4e79\" stroke-width=\"2.5\"");
  svg.text(lx + 30, ly + 4, "line");
  svg.add("<circle cx=\"" + svg_number(lx + 12) + "\" cy=\"" + svg_number(ly + 20) +
          "\" r=\"5\" fill=\"white\" stroke=\"#000\" stroke-width=\"2\"/>");
  svg.text(lx + 30, ly + 24, "station (" + std::to_string(s.stations.size()) + ")");
  svg.add("<path d=\"M" + svg_number(lx + 12) + " " + svg_number(ly + 35) + " L" + svg_number(lx + 16.5) + " " +
          svg_number(ly + 43) + " L" + svg_number(lx + 7.5) + " " + svg_number(ly + 43) + " Z\" fill=\"#d62728\"/>");
  svg.text(lx + 30, ly + 44, "signal (" + std::to_string(s.signals.size()) + ")");
  return top + kHeight;
}

// A profile against the progressive: the axes, the stations as dashed lines,
// and the values of the cells as steps.
struct Axis {
  double left, right, top, bottom;
  double max_metres;
  double low, high;
  double x(double metres) const { return left + (right - left) * metres / max_metres; }
  double y(double value) const { return bottom - (bottom - top) * (value - low) / (high - low); }
};

void draw_axes(Svg& svg, const Axis& a, const ScenarioView& s, const std::string& title, const std::string& unit,
               double value_step) {
  svg.add("<rect x=\"" + svg_number(a.left) + "\" y=\"" + svg_number(a.top) + "\" width=\"" +
          svg_number(a.right - a.left) + "\" height=\"" + svg_number(a.bottom - a.top) +
          "\" fill=\"#fbfbfb\" stroke=\"#c8d0d8\"/>");
  svg.text(a.left, a.top - 8, title, "font-weight=\"bold\"");
  for (double v = std::ceil(a.low / value_step) * value_step; v <= a.high + 1e-9; v += value_step) {
    svg.line(a.left, a.y(v), a.right, a.y(v), "stroke=\"#e3e3e3\"");
    svg.text(a.left - 6, a.y(v) + 4, svg_number(v), "text-anchor=\"end\" fill=\"#555\"");
  }
  svg.text(a.left - 6, a.top - 8, unit, "text-anchor=\"end\" fill=\"#555\"");
  const double km_step = tick_step(a.max_metres / 1000, 12);
  for (double km = 0; km * 1000 <= a.max_metres + 1e-6; km += km_step) {
    svg.line(a.x(km * 1000), a.bottom, a.x(km * 1000), a.bottom + 4, "stroke=\"#555\"");
    svg.text(a.x(km * 1000), a.bottom + 16, svg_number(km), "text-anchor=\"middle\" fill=\"#555\"");
  }
  svg.text(a.right, a.bottom + 30, "progressive (km)", "text-anchor=\"end\" fill=\"#555\"");
  for (const StationView& station : s.stations) {
    const double x = a.x(std::clamp(static_cast<double>(station.fields.posizione), 0.0, a.max_metres));
    svg.line(x, a.top, x, a.bottom, "class=\"station-line\" stroke=\"#888\" stroke-dasharray=\"3 3\"");
  }
  if (s.length > 0 && s.length < a.max_metres) {
    svg.line(a.x(s.length), a.top, a.x(s.length), a.bottom, "stroke=\"#1f4e79\" stroke-dasharray=\"6 4\"");
    svg.text(a.x(s.length) - 4, a.top + 14, "end of line", "text-anchor=\"end\" fill=\"#1f4e79\" font-size=\"11\"");
  }
}

// Steps through the cells that carry the profile: cell c covers the 50 m
// from c × 50.
std::string steps(const Axis& a, const std::vector<double>& values) {
  std::string d;
  for (std::size_t c = 0; c < values.size(); ++c) {
    const double x0 = a.x(static_cast<double>(boundary_progressive(static_cast<int32_t>(c))));
    const double y = a.y(values[c]);
    if (c == 0) {
      d = "M" + svg_number(x0) + " " + svg_number(y);
    } else if (values[c] != values[c - 1]) {
      d += " H" + svg_number(x0) + " V" + svg_number(y);
    }
  }
  if (!values.empty())
    d += " H" + svg_number(a.x(static_cast<double>(boundary_progressive(static_cast<int32_t>(values.size())))));
  return d;
}

double draw_profiles(Svg& svg, const ScenarioView& s, double top) {
  // The profiles run to the third cell before the last; the cells after it
  // carry none.
  const std::size_t profile_cells = s.cells.size() >= 3 ? s.cells.size() - 3 : 0;
  std::vector<double> speeds, gradients;
  for (std::size_t c = 0; c < profile_cells; ++c) {
    speeds.push_back(speed_of(s.cells[c].velocita));
    gradients.push_back(gradient_of(s.cells[c].pendenza));
  }
  const double max_metres =
      std::max(1.0, static_cast<double>(boundary_progressive(static_cast<int32_t>(s.cells.size()))));

  // Station names above the speed profile, slanted, as many as stand clear of
  // each other at this scale, laid out as the viewer lays them out.
  const double names_bottom = top + 90;
  const double axis_scale = (kWidth - 2 * kMargin) / max_metres;
  for (const SceneLabel& label : axis_station_labels(s, axis_scale, axis_scale)) {
    if (!label.from || *label.from > axis_scale) continue;
    const double x = kMargin + (kWidth - 2 * kMargin) * std::clamp(label.box.x / max_metres, 0.0, 1.0);
    svg.add("<text x=\"" + svg_number(x) + "\" y=\"" + svg_number(names_bottom) + "\" transform=\"rotate(-" +
            svg_number(kStationNameAngle) + " " + svg_number(x) + " " + svg_number(names_bottom) +
            ")\" font-size=\"11\" font-weight=\"bold\">" + xml_escaped(label.text) + "</text>");
  }

  double high_speed = 20;
  for (double v : speeds) high_speed = std::max(high_speed, v);
  for (const SlowdownView& slowdown : s.slowdowns)
    high_speed = std::max(high_speed, static_cast<double>(slowdown.speed));
  const double speed_step = tick_step(high_speed, 5);
  high_speed = std::ceil(high_speed / speed_step) * speed_step;
  const Axis speed{kMargin, kWidth - kMargin, names_bottom + 30, names_bottom + 230, max_metres, 0, high_speed};
  draw_axes(svg, speed, s, "Speed limit", "km/h", speed_step);
  // The limit the train obeys (the profile lowered by the slowdowns), over the
  // profile where a slowdown lowers it.
  std::vector<double> limits;
  for (const int32_t v : effective_speed(s)) limits.push_back(v);
  for (const SlowdownView& slowdown : s.slowdowns) {
    const double x0 = speed.x(slowdown.start), x1 = speed.x(std::max(slowdown.end, slowdown.start + 50));
    svg.add("<rect class=\"slowdown\" x=\"" + svg_number(x0) + "\" y=\"" + svg_number(speed.top) + "\" width=\"" +
            svg_number(std::max(x1 - x0, 1.0)) + "\" height=\"" + svg_number(speed.bottom - speed.top) +
            "\" fill=\"#ff7f0e\" fill-opacity=\"0.18\"/>");
  }
  svg.add("<path class=\"speed-profile\" d=\"" + steps(speed, speeds) +
          "\" fill=\"none\" stroke=\"#98c998\" stroke-width=\"1\" stroke-dasharray=\"4 3\"/>");
  svg.add("<path class=\"speed\" d=\"" + steps(speed, limits) +
          "\" fill=\"none\" stroke=\"#2ca02c\" stroke-width=\"2\"/>");
  for (const SlowdownView& slowdown : s.slowdowns) {
    svg.text(speed.x(slowdown.start), speed.y(slowdown.speed) - 8,
             "slowdown " + std::to_string(slowdown.speed) + " km/h", "fill=\"#c05a00\" font-size=\"11\"");
  }

  double extreme = 5;
  for (double g : gradients) extreme = std::max(extreme, std::fabs(g));
  const double gradient_step = tick_step(2 * extreme, 6);
  extreme = std::ceil(extreme / gradient_step) * gradient_step;
  const double gradient_top = speed.bottom + 60;
  const Axis gradient{kMargin, kWidth - kMargin, gradient_top, gradient_top + 180, max_metres, -extreme, extreme};
  draw_axes(svg, gradient, s, "Gradient (per mille)", "\u2030", gradient_step);
  svg.line(gradient.left, gradient.y(0), gradient.right, gradient.y(0), "stroke=\"#999\"");
  svg.add("<path class=\"gradient\" d=\"" + steps(gradient, gradients) +
          "\" fill=\"none\" stroke=\"#8c564b\" stroke-width=\"2\"/>");
  return gradient.bottom + 40;
}

std::string counted(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

}  // namespace

std::string plot_picture(const ScenarioView& s) {
  Svg svg;
  svg.text(20, 32,
           "Line " + s.line_name + ", train " + s.train_number + ": " + svg_number(s.length / 1000.0) + " km, " +
               counted(s.stations.size(), "station") + ", " + counted(s.signals.size(), "signal"),
           "font-size=\"18\" font-weight=\"bold\"");
  double bottom = draw_plan(svg, s, 50);
  bottom = draw_profiles(svg, s, bottom + 10);
  return svg.document(bottom);
}

int plot_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {}, {"-o", "--train-number"});
  arguments.expect_operands(1, 1);
  const fs::path folder = path_from_utf8(arguments.operands()[0]);
  const fs::path sim_file = find_scenario_file(folder, arguments.value("--train-number"));
  const ScenarioView scenario = read_compiled_view(sim_file);

  fs::path out = sim_file;
  out.replace_extension(".svg");
  if (auto given = arguments.value("-o")) out = path_from_utf8(*given);
  replace_file(out, plot_picture(scenario));
  std::cout << "wrote " << utf8_of_path(out) << "\n";
  return kExitClean;
}

}  // namespace scenario::tool
