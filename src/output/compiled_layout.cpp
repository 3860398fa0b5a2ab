#include "output/compiled_layout.h"

#include <cstdint>
#include <cstring>

#include "base/windows1252.h"

namespace scenario {

namespace {

// Little-endian readers over bytes that the caller has checked are there.
uint8_t byte_at(std::string_view bytes, std::size_t at) { return static_cast<uint8_t>(bytes[at]); }

int16_t int16_at(std::string_view bytes, std::size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(byte_at(bytes, at) | (byte_at(bytes, at + 1) << 8)));
}

int32_t int32_at(std::string_view bytes, std::size_t at) {
  uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | byte_at(bytes, at + static_cast<std::size_t>(i));
  return static_cast<int32_t>(u);
}

double double_at(std::string_view bytes, std::size_t at) {
  uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = (u << 8) | byte_at(bytes, at + static_cast<std::size_t>(i));
  double v = 0;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

cella cell_at(std::string_view bytes, std::size_t at) {
  cella c;
  c.tipo = byte_at(bytes, at + 0);
  c.dato1 = int16_at(bytes, at + 1);
  c.dato2 = int16_at(bytes, at + 3);
  c.dato3 = int16_at(bytes, at + 5);
  c.dato4 = int16_at(bytes, at + 7);
  c.tempo = byte_at(bytes, at + 9);
  c.avviso = byte_at(bytes, at + 10);
  c.montagna = byte_at(bytes, at + 11);
  c.velocita = byte_at(bytes, at + 12);
  c.pendenza = byte_at(bytes, at + 13);
  c.aderenza = byte_at(bytes, at + 14);
  return c;
}

// An entry whose text is n bytes long, all of it inside `bytes`.
voce_sim entry_at(std::string_view bytes, std::size_t at, std::size_t n) {
  voce_sim e;
  e.tipo = byte_at(bytes, at + 0);
  e.inizio = int32_at(bytes, at + 1);
  e.fine = int32_at(bytes, at + 5);
  e.posizione = int32_at(bytes, at + 9);
  e.col4 = byte_at(bytes, at + 13);
  e.testo = from_windows1252(bytes.substr(at + 16, n));
  const std::size_t after = at + 16 + n;
  e.col7 = int16_at(bytes, after + 0);
  e.col8 = int16_at(bytes, after + 2);
  e.col10 = int16_at(bytes, after + 4);
  e.col11 = int16_at(bytes, after + 6);
  e.col12 = int16_at(bytes, after + 8);
  e.col9 = byte_at(bytes, after + 10);
  e.col13 = byte_at(bytes, after + 11);
  e.col6 = byte_at(bytes, after + 12);
  e.col5 = byte_at(bytes, after + 13);
  e.orario = int32_at(bytes, after + 14);
  return e;
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

std::string bytes_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

}  // namespace

std::array<FieldPlace, 17> scenario_entry_fields(std::size_t n) {
  return {{{"tipo", 0, 1},
           {"inizio", 1, 4},
           {"fine", 5, 4},
           {"posizione", 9, 4},
           {"col4", 13, 1},
           {"testo length", 14, 2},
           {"testo", 16, n},
           {"col7", 16 + n, 2},
           {"col8", 18 + n, 2},
           {"col10", 20 + n, 2},
           {"col11", 22 + n, 2},
           {"col12", 24 + n, 2},
           {"col9", 26 + n, 1},
           {"col13", 27 + n, 1},
           {"col6", 28 + n, 1},
           {"col5", 29 + n, 1},
           {"orario", 30 + n, 4}}};
}

std::size_t plan_value_bytes(int type_code) {
  switch (type_code) {
    case static_cast<int>(PlanValue::Kind::Empty):
      return 2;
    case static_cast<int>(PlanValue::Kind::Integer):
      return 4;
    case static_cast<int>(PlanValue::Kind::Double):
      return 10;
    default:
      return 0;
  }
}

const FieldPlace& field_at(const FieldPlace* fields, std::size_t count, std::size_t offset) {
  for (std::size_t i = 0; i < count; ++i) {
    if (offset >= fields[i].offset && offset < fields[i].offset + fields[i].size) return fields[i];
  }
  return fields[count - 1];
}

DecodedRoute decode_route(std::string_view bytes) {
  DecodedRoute route;
  const std::size_t whole = bytes.size() / kCellBytes;
  route.cells.reserve(whole);
  for (std::size_t c = 0; c < whole; ++c) route.cells.push_back(cell_at(bytes, c * kCellBytes));
  if (bytes.empty()) {
    route.problem = "the file is empty: a route file holds at least one 15-byte cell";
  } else if (const std::size_t left = bytes.size() % kCellBytes; left != 0) {
    route.problem = bytes_text(bytes.size()) + " are not a whole number of 15-byte cells: " + bytes_text(left) +
                    " left over after cell " + std::to_string(whole == 0 ? 0 : whole - 1);
  }
  return route;
}

DecodedScenario decode_scenario(std::string_view bytes) {
  DecodedScenario scenario;
  std::size_t at = 0;
  for (int entry = 0; entry < kVociSim; ++entry) {
    const std::string which = "entry " + std::to_string(entry) + " (byte " + std::to_string(at) + ")";
    if (at + 16 > bytes.size()) {
      scenario.problem = which + " is cut short: the file ends before the length of its text";
      return scenario;
    }
    const int16_t length = int16_at(bytes, at + 14);
    if (length < 0) {
      scenario.problem = which + " gives its text a negative length, " + std::to_string(length);
      return scenario;
    }
    const auto n = static_cast<std::size_t>(length);
    if (at + kEntryFixedBytes + n > bytes.size()) {
      scenario.problem = which + " is cut short: with a text of " + bytes_text(n) + " it needs " +
                         bytes_text(kEntryFixedBytes + n) + ", the file has " + bytes_text(bytes.size() - at) + " left";
      return scenario;
    }
    scenario.offsets.push_back(at);
    scenario.entries.push_back(entry_at(bytes, at, n));
    at += kEntryFixedBytes + n;
  }
  if (at != bytes.size()) {
    scenario.problem =
        bytes_text(bytes.size() - at) + " follow the last entry (86), which ends at byte " + std::to_string(at);
  }
  return scenario;
}

DecodedPlan decode_plan(std::string_view bytes) {
  DecodedPlan plan;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::string which = "value " + std::to_string(plan.values.size()) + " (byte " + std::to_string(at) + ")";
    if (at + 2 > bytes.size()) {
      plan.problem = which + " is cut short: the file ends inside its type code";
      return plan;
    }
    const int type_code = int16_at(bytes, at);
    const std::size_t size = plan_value_bytes(type_code);
    if (size == 0) {
      plan.problem = which + " has the type code " + std::to_string(type_code) +
                     "; a plan holds only 0 (empty), 2 (integer) and 5 (double)";
      return plan;
    }
    if (at + size > bytes.size()) {
      plan.problem = which + " is cut short: its type code " + std::to_string(type_code) + " needs " +
                     bytes_text(size) + ", the file has " + bytes_text(bytes.size() - at) + " left";
      return plan;
    }
    switch (static_cast<PlanValue::Kind>(type_code)) {
      case PlanValue::Kind::Empty:
        plan.values.push_back(PlanValue{});
        break;
      case PlanValue::Kind::Integer:
        plan.values.push_back(PlanValue::integer(int16_at(bytes, at + 2)));
        break;
      case PlanValue::Kind::Double:
        plan.values.push_back(PlanValue::real(double_at(bytes, at + 2)));
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
  return plan;
}

}  // namespace scenario
