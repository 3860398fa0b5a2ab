#include "output/compiled_layout.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <type_traits>

#include "base/binary_encoding.h"
#include "base/run_time_failure.h"
#include "base/windows1252.h"
#include "compiler/codes.h"

namespace scenario {

namespace {

constexpr std::size_t kMaxStringBytes = 32767;  // what an Integer count can say

std::string bytes_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

template <typename Record, std::size_t N>
std::vector<FieldPlace> places_of(const LayoutField<Record> (&layout)[N], std::size_t text_bytes) {
  std::vector<FieldPlace> places;
  std::size_t offset = 0;
  for (const LayoutField<Record>& field : layout) {
    const std::size_t size = fixed_bytes<Record>(field.member);
    if (std::holds_alternative<std::string Record::*>(field.member)) {
      places.push_back({std::string(field.name) + " length", offset, size});
      places.push_back({std::string(field.name), offset + size, text_bytes});
      offset += size + text_bytes;
    } else {
      places.push_back({std::string(field.name), offset, size});
      offset += size;
    }
  }
  return places;
}

template <typename Record>
FieldValue value_of(const Record& record, const LayoutField<Record>& field) {
  return std::visit(
      [&record](auto pointer) -> FieldValue {
        const auto& value = record.*pointer;
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
          return value;
        } else {
          return static_cast<int64_t>(value);
        }
      },
      field.member);
}

template <typename Record, std::size_t N>
void append_record(std::string& out, const Record& record, const LayoutField<Record> (&layout)[N]) {
  for (const LayoutField<Record>& field : layout) {
    std::visit(
        [&](auto pointer) {
          const auto& value = record.*pointer;
          using Value = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            const std::string text = to_windows1252(value);
            if (text.size() > kMaxStringBytes) {
              throw RunTimeFailure("the " + std::string(field.name) + " of a record is longer than " +
                                   std::to_string(kMaxStringBytes) + " bytes");
            }
            append_int16(out, static_cast<int16_t>(text.size()));
            out += text;
          } else if constexpr (std::is_same_v<Value, uint8_t>) {
            append_byte(out, value);
          } else if constexpr (std::is_same_v<Value, int16_t>) {
            append_int16(out, value);
          } else {
            append_int32(out, value);
          }
        },
        field.member);
  }
}

// A record without a String at `at`, which has room for its fixed bytes; the
// place after it. (A String's length is not known before it is converted, so
// records with one are appended instead.)
template <typename Record, std::size_t N>
char* put_fixed_record(char* at, const Record& record, const LayoutField<Record> (&layout)[N]) {
  for (const LayoutField<Record>& field : layout) {
    std::visit(
        [&](auto pointer) {
          const auto& value = record.*pointer;
          using Value = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            throw std::logic_error("a record with a String has no fixed size");
          } else {
            at = put_little_endian(at, static_cast<std::make_unsigned_t<Value>>(value));
          }
        },
        field.member);
  }
  return at;
}

// The offset of a record's String count within it, or none.
template <typename Record, std::size_t N>
std::optional<std::size_t> text_count_offset(const LayoutField<Record> (&layout)[N]) {
  std::size_t offset = 0;
  for (const LayoutField<Record>& field : layout) {
    if (std::holds_alternative<std::string Record::*>(field.member)) return offset;
    offset += fixed_bytes<Record>(field.member);
  }
  return std::nullopt;
}

// Reads one record at `at` into `out`. Returns the record's size, or 0 with
// `problem` saying why the bytes do not hold it: the record's size is known
// once the length of its text is read.
template <typename Record, std::size_t N>
std::size_t read_record(std::string_view bytes, std::size_t at, const LayoutField<Record> (&layout)[N], Record& out,
                        std::string& problem, LayoutProblem* misfit = nullptr) {
  const std::size_t left = bytes.size() - at;
  const auto misfits = [&](std::size_t where, int32_t code) {
    if (misfit != nullptr) *misfit = {where, code};
  };
  std::size_t text_bytes = 0;
  if (const auto count = text_count_offset(layout)) {
    if (*count + 2 > left) {
      problem = "is cut short: the file ends before the length of its text";
      misfits(bytes.size(), code::compiled_file_cut_short);
      return 0;
    }
    const int16_t length = int16_at(bytes, at + *count);
    if (length < 0) {
      problem = "gives its text a negative length, " + std::to_string(length);
      misfits(at + *count, code::text_length_unfit);
      return 0;
    }
    text_bytes = static_cast<std::size_t>(length);
    // A text that alone runs past the end: its count is too large.
    if (*count + 2 + text_bytes > left) {
      problem = "gives its text a length of " + bytes_text(text_bytes) + ", past the end of the file (" +
                bytes_text(left - *count - 2) + " left)";
      misfits(at + *count, code::text_length_unfit);
      return 0;
    }
  }
  const std::size_t size = fixed_bytes(layout) + text_bytes;
  if (size > left) {
    problem = "is cut short: " +
              (text_count_offset(layout) ? "with a text of " + bytes_text(text_bytes) + " it needs " : "it needs ") +
              bytes_text(size) + ", the file has " + bytes_text(left) + " left";
    misfits(bytes.size(), code::compiled_file_cut_short);
    return 0;
  }

  std::size_t position = at;
  for (const LayoutField<Record>& field : layout) {
    std::visit(
        [&](auto pointer) {
          auto& value = out.*pointer;
          using Value = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            value = from_windows1252(bytes.substr(position + 2, text_bytes));
            position += 2 + text_bytes;
          } else {
            if constexpr (std::is_same_v<Value, uint8_t>) {
              value = byte_at(bytes, position);
            } else if constexpr (std::is_same_v<Value, int16_t>) {
              value = int16_at(bytes, position);
            } else {
              value = int32_at(bytes, position);
            }
            position += sizeof(Value);
          }
        },
        field.member);
  }
  return size;
}

const PlanValueLayout* plan_layout_of(int type_code) {
  const auto found =
      std::find_if(std::begin(kPlanValueLayout), std::end(kPlanValueLayout),
                   [type_code](const PlanValueLayout& l) { return static_cast<int>(l.kind) == type_code; });
  return found == std::end(kPlanValueLayout) ? nullptr : found;
}

// Every plan leaves its last two metres empty, in the x and in the y column.
bool ends_in_two_empty_points(const DecodedPlan& plan) {
  const std::size_t n = plan.per_column();
  if (n < 2) return false;
  for (const std::size_t column_end : {n, 2 * n}) {
    for (const std::size_t i : {column_end - 2, column_end - 1}) {
      if (plan.values[i].kind != PlanValue::Kind::Empty) return false;
    }
  }
  return true;
}

}  // namespace

std::size_t plan_value_bytes(int type_code) {
  const PlanValueLayout* layout = plan_layout_of(type_code);
  return layout == nullptr ? 0 : kPlanTypeCodeBytes + layout->payload;
}

std::string_view plan_kind_name(PlanValue::Kind kind) {
  const PlanValueLayout* layout = plan_layout_of(static_cast<int>(kind));
  return layout == nullptr ? "unknown" : layout->name;
}

std::vector<FieldPlace> cell_places() { return places_of(kCellLayout, 0); }
std::vector<FieldPlace> entry_places(std::size_t text_bytes) { return places_of(kEntryLayout, text_bytes); }

const FieldPlace& field_at(const std::vector<FieldPlace>& places, std::size_t offset) {
  for (const FieldPlace& place : places) {
    if (offset >= place.offset && offset < place.offset + place.size) return place;
  }
  return places.back();
}

FieldValue field_value(const cella& cell, const LayoutField<cella>& field) { return value_of(cell, field); }
FieldValue field_value(const voce_sim& entry, const LayoutField<voce_sim>& field) { return value_of(entry, field); }

char* put_cell(char* at, const cella& cell) { return put_fixed_record(at, cell, kCellLayout); }

void append_cell(std::string& out, const cella& cell) {
  const std::size_t at = out.size();
  out.resize(at + kCellBytes);
  put_cell(out.data() + at, cell);
}
void append_entry(std::string& out, const voce_sim& entry) { append_record(out, entry, kEntryLayout); }

DecodedRoute decode_route(std::string_view bytes) {
  DecodedRoute route;
  const std::size_t whole = bytes.size() / kCellBytes;
  route.cells.resize(whole);
  std::string unused;
  for (std::size_t c = 0; c < whole; ++c) read_record(bytes, c * kCellBytes, kCellLayout, route.cells[c], unused);
  if (bytes.empty()) {
    route.problem = "the file is empty: a route file holds at least one " + std::to_string(kCellBytes) + "-byte cell";
    route.misfit = {0, code::compiled_file_cut_short};
  } else if (const std::size_t left = bytes.size() % kCellBytes; left != 0) {
    route.problem = bytes_text(bytes.size()) + " are not a whole number of " + std::to_string(kCellBytes) +
                    "-byte cells: " + bytes_text(left) + " left over after cell " +
                    std::to_string(whole == 0 ? 0 : whole - 1);
    route.misfit = {whole * kCellBytes, code::compiled_file_cut_short};
  }
  return route;
}

DecodedScenario decode_scenario(std::string_view bytes) {
  DecodedScenario scenario;
  std::size_t at = 0;
  for (int entry = 0; entry < kVociSim; ++entry) {
    voce_sim e;
    std::string problem;
    const std::size_t size = read_record(bytes, at, kEntryLayout, e, problem, &scenario.misfit);
    if (size == 0) {
      scenario.problem = "entry " + std::to_string(entry) + " (byte " + std::to_string(at) + ") " + problem;
      return scenario;
    }
    scenario.offsets.push_back(at);
    scenario.entries.push_back(std::move(e));
    at += size;
  }
  if (at != bytes.size()) {
    scenario.problem = bytes_text(bytes.size() - at) + (bytes.size() - at == 1 ? " follows" : " follow") +
                       " the last entry (" + std::to_string(kVociSim - 1) + "), which ends at byte " +
                       std::to_string(at);
    scenario.misfit = {at, code::compiled_file_stray_bytes};
  }
  return scenario;
}

DecodedPlan decode_plan(std::string_view bytes) {
  DecodedPlan plan;
  std::size_t at = 0;
  while (at < bytes.size()) {
    // Named only when it does not fit: a plan has two million values.
    const auto which = [&] {
      return "value " + std::to_string(plan.values.size()) + " (byte " + std::to_string(at) + ")";
    };
    if (at + kPlanTypeCodeBytes > bytes.size()) {
      plan.problem = which() + " is cut short: the file ends inside its type code";
      plan.misfit = {bytes.size(), code::compiled_file_cut_short};
      return plan;
    }
    const int type_code = int16_at(bytes, at);
    const std::size_t size = plan_value_bytes(type_code);
    if (size == 0) {
      std::string known;
      for (const PlanValueLayout& l : kPlanValueLayout) {
        known +=
            (known.empty() ? "" : ", ") + std::to_string(static_cast<int>(l.kind)) + " (" + std::string(l.name) + ")";
      }
      plan.problem = which() + " has the type code " + std::to_string(type_code) + "; a plan holds only " + known;
      plan.misfit = {at, code::plan_type_code_unknown};
      return plan;
    }
    if (at + size > bytes.size()) {
      plan.problem = which() + " is cut short: its type code " + std::to_string(type_code) + " needs " +
                     bytes_text(size) + ", the file has " + bytes_text(bytes.size() - at) + " left";
      plan.misfit = {bytes.size(), code::compiled_file_cut_short};
      return plan;
    }
    const std::size_t payload = at + kPlanTypeCodeBytes;
    switch (static_cast<PlanValue::Kind>(type_code)) {
      case PlanValue::Kind::Empty:
        plan.values.push_back(PlanValue{});
        break;
      case PlanValue::Kind::Integer:
        plan.values.push_back(PlanValue::integer(int16_at(bytes, payload)));
        break;
      case PlanValue::Kind::Double:
        plan.values.push_back(PlanValue::real(double_at(bytes, payload)));
        break;
    }
    at += size;
  }
  if (plan.values.empty()) {
    plan.problem = "the file is empty: a plan file holds an x and a y column of values";
  } else if (plan.values.size() % 2 != 0) {
    plan.problem = std::to_string(plan.values.size()) +
                   " values cannot be split into an x column and a y column of the same length";
  } else if (!ends_in_two_empty_points(plan)) {
    // The file has no header: a plan cut short between two values is known
    // by its columns, which no longer end in the two empty last metres.
    plan.problem = "the " + std::to_string(plan.values.size()) +
                   " values do not split into two columns that each end in the plan's two empty last metres";
  }
  if (!plan.problem.empty() && plan.misfit.code == 0) {
    plan.misfit = {bytes.size(), code::compiled_file_cut_short};
  }
  return plan;
}

}  // namespace scenario
