// Every numeric field against its range in the format table: a value outside
// is told with what the compile makes of it (the low bits a cell keeps, a
// digit that spills, a value kept although it means nothing, a record that
// places nothing).
#include <string>

#include "checker/warning_context.h"

namespace scenario {

namespace {

using namespace warnings;

std::string with_unit(int64_t value, const FieldFormat& f) {
  return num(value) + (f.unit.empty() ? "" : " " + std::string(f.unit));
}

void check_field(Context& c, const ObservedRecord& r, const ObservedField& f) {
  const ValueRange& range = f.format->limits;
  if (!range.bounded() || is_text(*f.format)) return;
  if (!range.when_field.empty()) {
    const auto when = r.number(range.when_field);
    if (!when || *when != range.when_value) return;
  }
  const OutOfRange out = out_of_range(*f.format, f.number);
  const std::string name(f.format->name);
  const std::string hint = name + ": " + range_text(*f.format);
  const bool below = f.number < range.low;
  switch (out.beyond) {
    case Beyond::unchecked:
      return;
    case Beyond::low8:
    case Beyond::low16: {
      std::string message = name + " " + with_unit(f.number, *f.format) + " is stored as " +
                            with_unit(out.stored, *f.format) + ": the cell keeps " +
                            (out.beyond == Beyond::low8 ? "8" : "16") + " bits";
      if ((f.number < 0) != (out.stored < 0)) {
        message += r.format->id == Record::pendenza
                       ? (out.stored > 0 ? ", so the profile climbs here" : ", so the profile descends here")
                       : ", so the sign turns";
      }
      c.at_field(code::value_wraps, f, message, hint);
      return;
    }
    case Beyond::digit:
      c.at_field(code::value_overlaps_digits, f,
                 name + " " + num(f.number) + " does not fit its decimal digit (" + std::string(f.format->stored) +
                     "): it spills into the value packed with it and will not read back as given",
                 hint);
      return;
    case Beyond::kept: {
      const std::string_view outcome = below ? range.below_outcome : range.above_outcome;
      c.at_field(code::value_out_of_range, f,
                 name + " " + with_unit(f.number, *f.format) + " lies outside " + range_text(*f.format) +
                     ": it is stored as written" +
                     (outcome.empty() ? ", but the simulator expects a value inside" : "; " + std::string(outcome)),
                 hint);
      return;
    }
    case Beyond::nothing: {
      const std::string_view outcome = below ? range.below_outcome : range.above_outcome;
      c.at_field(code::value_makes_nothing, f,
                 name + " " + with_unit(f.number, *f.format) +
                     (below ? " is below " + num(range.low) : " is above " + num(range.high)) + ": " +
                     std::string(outcome),
                 hint);
      return;
    }
  }
}

}  // namespace

namespace warnings {
void range_warnings(Context& c) {
  for (const ObservedRecord& r : c.o.records) {
    for (const ObservedField& f : r.fields) check_field(c, r, f);
  }
}
}  // namespace warnings

}  // namespace scenario
