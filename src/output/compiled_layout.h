#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/track_model.h"

namespace scenario {

// The byte layouts of the three compiled files, read back: the names and
// places of the fields, and decoders that turn a file's bytes into the
// model's records again. A decoder never reads past the end of the bytes it
// is given; what does not fit the layout is reported, not guessed at.

struct FieldPlace {
  const char* name;
  std::size_t offset;
  std::size_t size;
};

// The route file: one record of 15 bytes per cell.
inline constexpr std::size_t kCellBytes = 15;
inline constexpr std::array<FieldPlace, 11> kCellFields = {{{"tipo", 0, 1},
                                                            {"dato1", 1, 2},
                                                            {"dato2", 3, 2},
                                                            {"dato3", 5, 2},
                                                            {"dato4", 7, 2},
                                                            {"tempo", 9, 1},
                                                            {"avviso", 10, 1},
                                                            {"montagna", 11, 1},
                                                            {"velocita", 12, 1},
                                                            {"pendenza", 13, 1},
                                                            {"aderenza", 14, 1}}};

// The scenario file: 87 entries of 34 bytes plus the bytes of their text. The
// fields after the text move with its length n.
inline constexpr std::size_t kEntryFixedBytes = 34;
std::array<FieldPlace, 17> scenario_entry_fields(std::size_t n);

// The plan file: tagged values, a 16-bit type code and its payload. Bytes of
// a value with this type code, or 0 for a code the plan never holds.
std::size_t plan_value_bytes(int type_code);

// The field of a record that covers `offset` within it.
const FieldPlace& field_at(const FieldPlace* fields, std::size_t count, std::size_t offset);

struct DecodedRoute {
  std::vector<cella> cells;
  std::string problem;  // empty when the bytes are whole cells
};

struct DecodedScenario {
  std::vector<voce_sim> entries;     // testo as UTF-8
  std::vector<std::size_t> offsets;  // where each entry starts in the file
  std::string problem;               // empty when the bytes are exactly 87 entries
};

struct DecodedPlan {
  std::vector<PlanValue> values;  // every x value, then every y value
  std::string problem;            // empty when the bytes are two equal columns of values, each
                                  // ending in the two empty points of the line's last metres
  std::size_t per_column() const { return values.size() / 2; }
};

DecodedRoute decode_route(std::string_view bytes);
DecodedScenario decode_scenario(std::string_view bytes);
DecodedPlan decode_plan(std::string_view bytes);

}  // namespace scenario
