#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace scenario {

// One coordinate of the plan: empty, a 16-bit integer (the two starting
// points) or a double (every computed point). The kind's number is its type
// code in the plan file.
struct PlanValue {
  enum class Kind : uint8_t { Empty = 0, Integer = 2, Double = 5 };

  double value = 0.0;
  Kind kind = Kind::Empty;

  static PlanValue integer(int16_t v) { return {static_cast<double>(v), Kind::Integer}; }
  static PlanValue real(double v) { return {v, Kind::Double}; }
  bool operator==(const PlanValue&) const = default;
};

// The plan file's layout: every x value, then every y value, each a tagged
// value: a 16-bit type code, then a payload of that type. The plan is held in
// memory in exactly this form (Tracciato), and the decoders and the dump read
// it back by the same table.
struct PlanValueLayout {
  PlanValue::Kind kind;  // its number is the type code
  std::string_view name;
  std::size_t payload;  // bytes after the type code
};
inline constexpr PlanValueLayout kPlanValueLayout[] = {
    {PlanValue::Kind::Empty, "empty", 0},
    {PlanValue::Kind::Integer, "integer", 2},  // an Integer
    {PlanValue::Kind::Double, "double", 8},    // IEEE 754 binary64
};
inline constexpr std::size_t kPlanTypeCodeBytes = 2;

// Bytes of one value of a kind the plan holds, its type code included.
constexpr std::size_t plan_value_size(PlanValue::Kind kind) {
  for (const PlanValueLayout& layout : kPlanValueLayout) {
    if (layout.kind == kind) return kPlanTypeCodeBytes + layout.payload;
  }
  return 0;
}

}  // namespace scenario
