#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace scenario::tool {

// The layout rules that the plot and the viewer page share: how wide a label
// is, which labels are drawn at which scale so that no two overlap, and the
// round steps of an axis.

// The width in pixels of `text` (UTF-8) in the pictures' sans-serif font at
// `size` pixels, estimated from the widths of its kinds of letters, on the
// wide side.
double text_width(std::string_view text, double size, bool bold = false);

// A label to place: anchored at a point in metres (a plan's x and y, or a
// progressive and 0 along an axis), drawn as a box of `width` x `height`
// pixels whose centre stands `dx`, `dy` pixels from the anchor's place on
// screen (y downward). Lower `priority` is placed first.
struct LabelBox {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  double dx = 0;
  double dy = 0;
  int priority = 0;
  bool obstacle = false;  // always drawn, never hidden: a marker the labels keep clear of
  double least = 0;       // the label is never drawn below this scale
};

// For every label, the least scale (pixels per metre) from which it is drawn:
// at that scale and every larger one it overlaps no other label drawn there,
// and no obstacle; labels of lower priority give way to those of higher. A
// label drawn at one scale stays drawn when zooming in. Scales below `least`
// are never shown, so no label is placed for them; a label that cannot be
// drawn up to `most` gets none. `gap` pixels stay between any two labels.
std::vector<std::optional<double>> shown_from(std::span<const LabelBox> labels, double least, double most,
                                              double gap = 4);

// A round step (1, 2 or 5 times a power of ten) for about `count` ticks over
// `span`.
double tick_step(double span, int count);

// A value axis: from `low` to `high` with a tick every `step`, covering the
// values given.
struct ValueAxis {
  double low = 0;
  double high = 1;
  double step = 1;
};
ValueAxis value_axis(double least_value, double most_value, int ticks);

}  // namespace scenario::tool
