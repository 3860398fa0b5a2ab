#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "compiler/plan_layout.h"
#include "compiler/track_model.h"

namespace scenario {

// The byte layouts of the three compiled files, each described once. A file
// holds one array of records and nothing else: no header, count or bound. A
// record is its fields in the order of its table, each directly after the
// last, in little-endian:
//
//   a uint8_t member     Byte     1 byte
//   an int16_t member    Integer  2 bytes
//   an int32_t member    Long     4 bytes
//   a std::string        String   an Integer byte count n, then n
//                                 Windows-1252 characters
//
// The encoders, the decoders, the dumps and the naming of the field at an
// offset all walk these tables.

template <typename Record>
using FieldMember = std::variant<uint8_t Record::*, int16_t Record::*, int32_t Record::*, std::string Record::*>;

template <typename Record>
struct LayoutField {
  std::string_view name;
  FieldMember<Record> member;
};

// The route file: one record per cell.
inline constexpr LayoutField<cella> kCellLayout[] = {
    {"tipo", &cella::tipo},         {"dato1", &cella::dato1},       {"dato2", &cella::dato2},
    {"dato3", &cella::dato3},       {"dato4", &cella::dato4},       {"tempo", &cella::tempo},
    {"avviso", &cella::avviso},     {"montagna", &cella::montagna}, {"velocita", &cella::velocita},
    {"pendenza", &cella::pendenza}, {"aderenza", &cella::aderenza},
};

// The scenario file: the 87 entries of the scenario table.
inline constexpr LayoutField<voce_sim> kEntryLayout[] = {
    {"tipo", &voce_sim::tipo},           {"inizio", &voce_sim::inizio}, {"fine", &voce_sim::fine},
    {"posizione", &voce_sim::posizione}, {"col4", &voce_sim::col4},     {"testo", &voce_sim::testo},
    {"col7", &voce_sim::col7},           {"col8", &voce_sim::col8},     {"col10", &voce_sim::col10},
    {"col11", &voce_sim::col11},         {"col12", &voce_sim::col12},   {"col9", &voce_sim::col9},
    {"col13", &voce_sim::col13},         {"col6", &voce_sim::col6},     {"col5", &voce_sim::col5},
    {"orario", &voce_sim::orario},
};

// The plan file: its tagged values are described in compiler/plan_layout.h,
// where the plan in memory is held in the same form.

// Bytes of a field on disk, its String without its characters.
template <typename Record>
constexpr std::size_t fixed_bytes(const FieldMember<Record>& member) {
  return std::visit(
      [](auto pointer) -> std::size_t {
        using Value = std::remove_reference_t<decltype(std::declval<Record&>().*pointer)>;
        if constexpr (std::is_same_v<Value, std::string>) {
          return 2;
        } else {
          return sizeof(Value);
        }
      },
      member);
}

// Bytes of a record on disk without the characters of its String.
template <typename Record, std::size_t N>
constexpr std::size_t fixed_bytes(const LayoutField<Record> (&layout)[N]) {
  std::size_t bytes = 0;
  for (const LayoutField<Record>& field : layout) bytes += fixed_bytes<Record>(field.member);
  return bytes;
}

inline constexpr std::size_t kCellBytes = fixed_bytes(kCellLayout);
inline constexpr std::size_t kEntryFixedBytes = fixed_bytes(kEntryLayout);

// Bytes of a plan value with this type code, or 0 for a code the plan never
// holds.
std::size_t plan_value_bytes(int type_code);
std::string_view plan_kind_name(PlanValue::Kind kind);

// Where a field lies within its record.
struct FieldPlace {
  std::string name;
  std::size_t offset;
  std::size_t size;
};

// The places of a record's fields; a String takes two: "NAME length" for its
// count and NAME for its characters, `text_bytes` long.
std::vector<FieldPlace> cell_places();
std::vector<FieldPlace> entry_places(std::size_t text_bytes);

// The field that covers `offset` within a record (the last when none does).
const FieldPlace& field_at(const std::vector<FieldPlace>& places, std::size_t offset);

// A field's value, for the dumps: a number, or a String as UTF-8.
using FieldValue = std::variant<int64_t, std::string>;
FieldValue field_value(const cella& cell, const LayoutField<cella>& field);
FieldValue field_value(const voce_sim& entry, const LayoutField<voce_sim>& field);

// Encoders: a record appended to `out`. A String longer than 32767 bytes
// cannot be counted by its Integer and is a run-time failure.
void append_cell(std::string& out, const cella& cell);
// The same at `at`, which has room for kCellBytes; returns the place after it.
char* put_cell(char* at, const cella& cell);
void append_entry(std::string& out, const voce_sim& entry);

// Decoders, which never read past the end of the bytes they are given; what
// does not fit the layout is reported, not guessed at: in words (`problem`)
// and by the byte where the file stops fitting, with its code
// (compiled-file-cut-short and the others of the code table).
struct LayoutProblem {
  std::size_t at = 0;
  int32_t code = 0;  // 0 when the bytes fit
};

struct DecodedRoute {
  std::vector<cella> cells;
  std::string problem;  // empty when the bytes are whole cells
  LayoutProblem misfit;
};

struct DecodedScenario {
  std::vector<voce_sim> entries;     // testo as UTF-8
  std::vector<std::size_t> offsets;  // where each entry starts in the file
  std::string problem;               // empty when the bytes are exactly 87 entries
  LayoutProblem misfit;
};

struct DecodedPlan {
  std::vector<PlanValue> values;  // every x value, then every y value
  std::string problem;            // empty when the bytes are two equal columns of values, each
                                  // ending in the two empty points of the line's last metres
  LayoutProblem misfit;
  std::size_t per_column() const { return values.size() / 2; }
};

DecodedRoute decode_route(std::string_view bytes);
DecodedScenario decode_scenario(std::string_view bytes);
DecodedPlan decode_plan(std::string_view bytes);

}  // namespace scenario
