#include "tool/label_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>

namespace scenario::tool {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct Interval {
  double low = 0;
  double high = kInfinity;
  bool empty() const { return !(low < high); }
};

// The scales s at which |a s + b| < c: where two boxes overlap along one
// axis, a being their anchors' distance in metres, b their offsets'
// difference and c their half sizes together, in pixels.
Interval overlapping(double a, double b, double c) {
  if (a == 0) return std::fabs(b) < c ? Interval{-kInfinity, kInfinity} : Interval{0, 0};
  const double one = (-c - b) / a, other = (c - b) / a;
  return {std::min(one, other), std::max(one, other)};
}

}  // namespace

double text_width(std::string_view text, double size, bool bold) {
  double ems = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;  // a continuation byte of a UTF-8 letter
    if (c >= 0x80) {
      ems += 0.72;
    } else if (std::string_view("iljtfrI.,:;'!|()[] ").find(static_cast<char>(c)) != std::string_view::npos) {
      ems += 0.36;
    } else if (c == 'M' || c == 'W' || c == 'm' || c == 'w') {
      ems += 0.92;
    } else if (c >= 'A' && c <= 'Z') {
      ems += 0.74;
    } else if (c >= '0' && c <= '9') {
      ems += 0.64;
    } else {
      ems += 0.62;
    }
  }
  return ems * size * (bold ? 1.12 : 1.0);
}

std::vector<std::optional<double>> shown_from(std::span<const LabelBox> labels, double least, double most, double gap) {
  std::vector<std::size_t> order(labels.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&labels](std::size_t a, std::size_t b) {
    if (labels[a].obstacle != labels[b].obstacle) return labels[a].obstacle;
    return labels[a].priority < labels[b].priority;
  });
  double widest = 0, farthest = 0;
  for (const LabelBox& l : labels) {
    widest = std::max(widest, l.width);
    farthest = std::max(farthest, std::fabs(l.dx));
  }

  std::vector<std::optional<double>> shown(labels.size());
  std::multimap<double, std::size_t> placed;  // by anchor x
  for (const std::size_t i : order) {
    const LabelBox& l = labels[i];
    double from = l.obstacle ? 0 : std::max(least, l.least);
    bool never = false;
    // Two boxes further apart than this along x stand clear of each other at
    // every scale from `least` up.
    const double reach = (l.width / 2 + widest / 2 + gap + std::fabs(l.dx) + farthest) / least;
    for (auto it = placed.lower_bound(l.x - reach); !l.obstacle && it != placed.end() && it->first <= l.x + reach;
         ++it) {
      const LabelBox& o = labels[it->second];
      Interval both = overlapping(l.x - o.x, l.dx - o.dx, (l.width + o.width) / 2 + gap);
      const Interval y = overlapping(o.y - l.y, l.dy - o.dy, (l.height + o.height) / 2 + gap);
      both = {std::max({both.low, y.low, 0.0}), std::min(both.high, y.high)};
      if (both.empty()) continue;
      // While the other is drawn, this one waits until they part.
      if (std::max(both.low, *shown[it->second]) < both.high) from = std::max(from, both.high);
      if (from == kInfinity) {
        never = true;
        break;
      }
    }
    if (never || from > most) continue;
    shown[i] = from;
    placed.emplace(l.x, i);
  }
  return shown;
}

double tick_step(double span, int count) {
  if (!(span > 0) || count < 1) return 1;
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double f : {1.0, 2.0, 5.0, 10.0}) {
    if (raw <= f * power) return f * power;
  }
  return 10 * power;
}

ValueAxis value_axis(double least_value, double most_value, int ticks) {
  if (!(most_value > least_value)) most_value = least_value + 1;
  const double step = tick_step(most_value - least_value, ticks);
  return {std::floor(least_value / step) * step, std::ceil(most_value / step) * step, step};
}

}  // namespace scenario::tool
