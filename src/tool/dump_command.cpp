// scenario_tool dump: a compiled file decoded into readable rows, as text or
// as JSON.
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "compiler/cell_rules.h"
#include "output/compiled_layout.h"
#include "tool/command_line.h"
#include "tool/commands.h"
#include "view/scenario_view.h"

namespace scenario::tool {

namespace fs = std::filesystem;

const Command kDumpCommand = {
    "dump",
    "scenario_tool dump FILE [--json]",
    "Decodes a compiled file into readable text, one row per record:\n"
    "\n"
    "  route file (NAME_NUM.dat)     one row per 50 m cell: its progressive, the\n"
    "                                object in it (signal, slowdown start, ...), its\n"
    "                                values and the speed, gradient and adhesion\n"
    "  scenario file (NAME_NUM.sim)  one row per entry with its role (station, sign\n"
    "                                text, kilometre reference, header) and fields\n"
    "  plan file (NAME_linea.dat)    one row per metre: x and y with their kinds\n"
    "                                (integer, double, empty)\n"
    "\n"
    "The kind of file is told by its name and, for other names, by its size. A\n"
    "cell's progressive is the one a source file gives an object in that cell.\n"
    "A file whose size does not fit its layout is decoded as far as it fits and\n"
    "the misfit is reported on standard error; nothing past its end is read.\n"
    "\n"
    "Options:\n"
    "  --json    the same content as one JSON document\n"
    "\n"
    "Exit status: 0 decoded; 1 the file does not fit its layout; 2 the file cannot\n"
    "be read; 64 usage error.\n",
    dump_command,
};

namespace {

enum class Layout { route, scenario, plan };

const char* layout_name(Layout layout) {
  switch (layout) {
    case Layout::route:
      return "route";
    case Layout::scenario:
      return "scenario";
    case Layout::plan:
      return "plan";
  }
  return "";
}

// By name first; a route file's name ends in ".dat" like the plan's, so its
// size decides when it is no whole number of cells but a sound plan. A file of
// any other name is whichever layout it fits.
std::optional<Layout> layout_of(const std::string& name, std::string_view bytes) {
  const bool whole_cells = !bytes.empty() && bytes.size() % kCellBytes == 0;
  switch (kind_of_file(name)) {
    case FileKind::plan:
      return Layout::plan;
    case FileKind::scenario:
      return Layout::scenario;
    case FileKind::route:
      if (!whole_cells && decode_plan(bytes).problem.empty()) return Layout::plan;
      return Layout::route;
    default:
      break;
  }
  if (decode_scenario(bytes).problem.empty()) return Layout::scenario;
  if (decode_plan(bytes).problem.empty()) return Layout::plan;
  if (whole_cells) return Layout::route;
  return std::nullopt;
}

// One named value of a record, with what it means here.
struct Field {
  std::string name;
  std::string meaning;
  std::variant<int64_t, std::string> value;
  bool derived = false;  // worked out from the fields above, not stored
};

using Json = nlohmann::ordered_json;  // members in the order written

// Output, as aligned text or as JSON, of rows of named values. The JSON is
// one object whose list of rows is written one row at a time: the plan of
// the largest line has a million of them.
class Report {
 public:
  Report(bool json, const std::string& file, Layout layout, std::size_t bytes) : json_(json) {
    if (json_) {
      text_ = "{\"file\":" + Json(file).dump() + ",\"layout\":" + Json(layout_name(layout)).dump() +
              ",\"bytes\":" + Json(bytes).dump();
    }
  }

  bool json() const { return json_; }
  std::string& text() { return text_; }

  void begin_rows(const char* name) {
    text_ += ",\"" + std::string(name) + "\":[";
    first_row_ = true;
  }
  void row(const Json& row) {
    if (!first_row_) text_ += ',';
    first_row_ = false;
    text_ += row.dump();
  }
  void end_rows() { text_ += ']'; }

  void finish(const std::string& problem) {
    if (!json_) return;
    text_ += ",\"problem\":" + (problem.empty() ? Json(nullptr) : Json(problem)).dump() + "}\n";
  }

 private:
  bool json_;
  bool first_row_ = true;
  std::string text_;
};

std::string padded(const std::string& s, std::size_t width, bool right) {
  if (s.size() >= width) return s;
  const std::string pad(width - s.size(), ' ');
  return right ? pad + s : s + pad;
}

std::string num(int64_t v) { return std::to_string(v); }

std::string without_trailing_blanks(std::string row) {
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

// --- route ---------------------------------------------------------------

std::string object_with_reference(const cella& c) {
  std::string name(object_name(c.tipo));
  if (c.tipo == tipo_cella::fermata || c.tipo == tipo_cella::cartello) name += " (entry " + num(c.dato1) + ")";
  return name;
}

// Values worked out from a stored field, shown after it: the speed in km/h
// and the gradient in per mille.
struct DerivedColumn {
  std::string_view after;  // the stored field it follows
  std::string_view text_name;
  std::string_view json_name;
  std::size_t width;
  int64_t (*value)(int64_t stored);
};
constexpr DerivedColumn kDerivedCellColumns[] = {
    {"velocita", "km/h", "speed_kmh", 6, [](int64_t v) -> int64_t { return speed_of(static_cast<uint8_t>(v)); }},
    {"pendenza", "gradient", "gradient_per_mille", 9,
     [](int64_t v) -> int64_t { return gradient_of(static_cast<uint8_t>(v)); }},
};

// A stored field's column is wide enough for its name and its widest value.
std::size_t column_width(const LayoutField<cella>& field) {
  const std::size_t widest = fixed_bytes<cella>(field.member) == 1 ? 3 : 6;  // "255", "-32768"
  return std::max(field.name.size(), widest) + 1;
}

std::string dump_route(Report& report, std::string_view bytes) {
  const DecodedRoute route = decode_route(bytes);
  if (report.json()) {
    report.begin_rows("cells");
    for (std::size_t i = 0; i < route.cells.size(); ++i) {
      const cella& c = route.cells[i];
      const auto cell = static_cast<int32_t>(i);
      Json row = {{"cell", cell}, {"progressive", cell_progressive(cell, c.tipo)}, {"object", object_name(c.tipo)}};
      for (const LayoutField<cella>& field : kCellLayout)
        row[std::string(field.name)] = std::get<int64_t>(field_value(c, field));
      for (const DerivedColumn& derived : kDerivedCellColumns) {
        for (const LayoutField<cella>& field : kCellLayout) {
          if (field.name == derived.after) {
            row[std::string(derived.json_name)] = derived.value(std::get<int64_t>(field_value(c, field)));
          }
        }
      }
      report.row(row);
    }
    report.end_rows();
  } else {
    std::string& t = report.text();
    t += "route file: " + num(static_cast<int64_t>(route.cells.size())) + " cells of " +
         num(static_cast<int64_t>(kCellBytes)) + " bytes\n";
    // The object's name stands for tipo.
    std::string header = " cell progressive  " + padded("object", 38, false);
    for (const LayoutField<cella>& field : kCellLayout) {
      if (field.name == "tipo") continue;
      header += padded(std::string(field.name), column_width(field), true);
      for (const DerivedColumn& derived : kDerivedCellColumns) {
        if (derived.after == field.name) header += padded(std::string(derived.text_name), derived.width, true);
      }
    }
    t += header + "\n";
    for (std::size_t i = 0; i < route.cells.size(); ++i) {
      const cella& c = route.cells[i];
      const auto cell = static_cast<int32_t>(i);
      t += padded(num(cell), 5, true) + padded(num(cell_progressive(cell, c.tipo)), 12, true) + "  ";
      t += padded(object_with_reference(c), 38, false);
      for (const LayoutField<cella>& field : kCellLayout) {
        if (field.name == "tipo") continue;
        const int64_t value = std::get<int64_t>(field_value(c, field));
        t += padded(num(value), column_width(field), true);
        for (const DerivedColumn& derived : kDerivedCellColumns) {
          if (derived.after == field.name) t += padded(num(derived.value(value)), derived.width, true);
        }
      }
      t += "\n";
    }
  }
  report.finish(route.problem);
  return route.problem;
}

// --- scenario --------------------------------------------------------------

std::vector<Field> all_fields(const voce_sim& e) {
  std::vector<Field> fields;
  for (const LayoutField<voce_sim>& field : kEntryLayout) {
    const FieldValue value = field_value(e, field);
    if (const auto* n = std::get_if<int64_t>(&value)) {
      fields.push_back({std::string(field.name), "", *n});
    } else {
      fields.push_back({std::string(field.name), "", std::get<std::string>(value)});
    }
  }
  return fields;
}

bool is_zero(const Field& f) {
  if (const auto* n = std::get_if<int64_t>(&f.value)) return *n == 0;
  return std::get<std::string>(f.value).empty();
}

// The fields an entry of this role uses, with what they mean, in a readable
// order; then whatever else is not zero.
std::vector<Field> entry_fields(const voce_sim& e, EntryRole role, const std::vector<KilometreSection>& km) {
  using Meanings = std::vector<std::pair<const char*, const char*>>;
  Meanings meanings;
  switch (role) {
    case EntryRole::station:
      meanings = {
          {"testo", "name"},      {"tipo", "type"},       {"posizione", "progressive"}, {"inizio", "area start"},
          {"fine", "area end"},   {"col4", "column 4"},   {"col5", "column 5"},         {"col6", "column 6"},
          {"col7", "column 7"},   {"col8", "column 8"},   {"col9", "column 9"},         {"col10", "column 10"},
          {"col11", "column 11"}, {"col12", "column 12"}, {"col13", "column 13"},       {"orario", "time (s)"}};
      break;
    case EntryRole::sign_text:
      meanings = {{"testo", "text"}};
      break;
    case EntryRole::kilometre_reference:
      meanings = {{"inizio", "start progressive"}, {"fine", "kilometre value (m)"}, {"posizione", "direction"}};
      break;
    case EntryRole::train_and_line:
      meanings = {{"inizio", "braked mass (%)"}, {"fine", "line length (m)"}, {"posizione", "cars"}};
      break;
    case EntryRole::line_header:
      meanings = {{"testo", "line name"}, {"inizio", "sfondo uno"}, {"posizione", "sfondo due"},
                  {"fine", "sfondo tre"}, {"col7", "fixed value"},  {"orario", "weighted competition code"}};
      break;
    case EntryRole::train_header:
      meanings = {{"testo", "train number"},
                  {"inizio", "repetition first value"},
                  {"fine", "repetition second value"},
                  {"posizione", "code system"},
                  {"col7", "sand"},
                  {"col10", "clock hours"},
                  {"col11", "clock minutes"},
                  {"col12", "clock seconds"}};
      break;
    case EntryRole::unused:
    case EntryRole::free:
      break;
  }
  const std::vector<Field> all = all_fields(e);
  std::vector<Field> fields;
  for (const auto& [name, meaning] : meanings) {
    for (const Field& f : all) {
      if (f.name == name) fields.push_back({f.name, meaning, f.value});
    }
  }
  for (const Field& f : all) {
    bool listed = false;
    for (const auto& m : meanings) listed = listed || f.name == m.first;
    if (!listed && !is_zero(f)) fields.push_back(f);
  }
  if (role == EntryRole::station) {
    fields.push_back({"time", "time", clock_text(e.orario), true});
    fields.push_back({"km", "km", kilometre_text(kilometre_at(km, e.posizione)), true});
  }
  const KilometreReference reference{e.inizio, e.fine, e.posizione};
  if (role == EntryRole::kilometre_reference && reference.given()) {
    const std::vector<KilometreSection> alone = kilometre_sections({reference, {}, {}}, 0);
    fields.push_back({"reading", "reading",
                      "km " + kilometre_text(kilometre_at(alone, e.inizio)) + " at progressive " + num(e.inizio) +
                          (e.posizione == 1 ? ", counting down" : ", counting up"),
                      true});
  }
  if (role == EntryRole::train_header) {
    fields.push_back({"clock", "clock", clock_text(e.col10 * 3600 + e.col11 * 60 + e.col12), true});
  }
  return fields;
}

std::string field_text(const Field& f) {
  const std::string label = f.meaning.empty() ? f.name : f.meaning;
  if (const auto* n = std::get_if<int64_t>(&f.value)) return label + " " + num(*n);
  if (f.derived) return label + " " + std::get<std::string>(f.value);
  return label + " \"" + std::get<std::string>(f.value) + "\"";
}

std::string dump_scenario(Report& report, std::string_view bytes) {
  const DecodedScenario scenario = decode_scenario(bytes);
  std::array<voce_sim, kVociSim> table{};
  for (std::size_t i = 0; i < scenario.entries.size(); ++i) table[i] = scenario.entries[i];
  const std::vector<KilometreSection> km =
      kilometre_sections(kilometre_references(table), table[voce::treno_e_linea].fine);

  if (report.json()) report.begin_rows("entries");
  if (!report.json()) {
    report.text() += "scenario file: " + num(static_cast<int64_t>(scenario.entries.size())) + " of 87 entries\n";
    report.text() += "entry   byte  role                    fields\n";
  }
  for (std::size_t i = 0; i < scenario.entries.size(); ++i) {
    const auto entry = static_cast<int>(i);
    const EntryRole role = entry_role(table, entry);
    const std::vector<Field> fields = entry_fields(scenario.entries[i], role, km);
    if (report.json()) {
      Json values = Json::object();
      for (const Field& f : fields) {
        if (const auto* n = std::get_if<int64_t>(&f.value)) {
          values[f.name] = *n;
        } else {
          values[f.name] = std::get<std::string>(f.value);
        }
      }
      report.row({{"entry", entry}, {"offset", scenario.offsets[i]}, {"role", role_name(role)}, {"fields", values}});
    } else {
      std::string& t = report.text();
      t += padded(num(entry), 5, true) + padded(num(static_cast<int64_t>(scenario.offsets[i])), 7, true) + "  ";
      std::string row = padded(std::string(role_name(role)), 22, false);
      for (std::size_t k = 0; k < fields.size(); ++k) row += (k == 0 ? "  " : ", ") + field_text(fields[k]);
      t += without_trailing_blanks(row) + "\n";
    }
  }
  if (report.json()) report.end_rows();
  report.finish(scenario.problem);
  return scenario.problem;
}

// --- plan --------------------------------------------------------------------

void add_plan_value(Json& row, const std::string& name, const PlanValue& value) {
  row[name] = value.kind == PlanValue::Kind::Empty ? Json(nullptr) : Json(value.value);
  row[name + "_kind"] = plan_kind_name(value.kind);
}

// The shortest decimal text that reads back as the same double.
std::string number_text(double v) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, v);
  return std::string(text, result.ptr);
}

std::string text_plan_value(const PlanValue& value) {
  const std::string shown = value.kind == PlanValue::Kind::Empty ? "-" : number_text(value.value);
  return padded(shown, 24, true) + "  " + padded(std::string(plan_kind_name(value.kind)), 7, false);
}

// A sound plan is two columns of the same length: one row per metre. Of a
// plan that does not fit, where the x column ends is unknown: its values are
// listed one by one, as far as they go.
std::string dump_plan(Report& report, std::string_view bytes) {
  const DecodedPlan plan = decode_plan(bytes);
  const auto& v = plan.values;
  const bool paired = plan.problem.empty();
  const std::size_t metres = plan.per_column();
  if (report.json()) {
    report.begin_rows(paired ? "points" : "values");
    const std::size_t rows = paired ? metres : v.size();
    for (std::size_t r = 0; r < rows; ++r) {
      Json row = {{paired ? "metre" : "value", r}};
      if (paired) {
        add_plan_value(row, "x", v[r]);
        add_plan_value(row, "y", v[metres + r]);
      } else {
        add_plan_value(row, "v", v[r]);
      }
      report.row(row);
    }
    report.end_rows();
  } else if (paired) {
    std::string& t = report.text();
    t += "plan file: " + num(static_cast<int64_t>(metres)) + " points (metres 0 to " +
         num(static_cast<int64_t>(metres) - 1) + "), x values then y values\n";
    t += "  metre                       x  kind                           y  kind\n";
    for (std::size_t m = 0; m < metres; ++m) {
      t += without_trailing_blanks(padded(num(static_cast<int64_t>(m)), 7, true) + text_plan_value(v[m]) +
                                   text_plan_value(v[metres + m])) +
           "\n";
    }
  } else {
    std::string& t = report.text();
    t += "plan file: " + num(static_cast<int64_t>(v.size())) +
         " values that do not make two columns of the same length, listed in file order\n";
    t += "  value                   value  kind\n";
    for (std::size_t i = 0; i < v.size(); ++i) {
      t += without_trailing_blanks(padded(num(static_cast<int64_t>(i)), 7, true) + text_plan_value(v[i])) + "\n";
    }
  }
  report.finish(plan.problem);
  return plan.problem;
}

}  // namespace

int dump_command(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--json"}, {});
  arguments.expect_operands(1, 1);
  const std::string& file = arguments.operands()[0];
  const std::string bytes = read_file(path_from_utf8(file));
  const std::string name = utf8_of_path(path_from_utf8(file).filename());

  const std::optional<Layout> layout = layout_of(name, bytes);
  if (!layout) {
    std::cerr << kToolName << ": " << file << ": not a compiled file: its name ends in neither \"_linea.dat\", "
              << "\".sim\" nor \".dat\", and its " << bytes.size() << " bytes fit no layout\n";
    return kExitCodeSet;
  }
  Report report(arguments.has("--json"), name, *layout, bytes.size());
  std::string problem;
  switch (*layout) {
    case Layout::route:
      problem = dump_route(report, bytes);
      break;
    case Layout::scenario:
      problem = dump_scenario(report, bytes);
      break;
    case Layout::plan:
      problem = dump_plan(report, bytes);
      break;
  }
  std::cout << report.text();
  std::cout.flush();
  if (!problem.empty()) {
    std::cerr << file << ": does not fit the " << layout_name(*layout) << " layout: " << problem << "\n";
    return kExitCodeSet;
  }
  return kExitClean;
}

}  // namespace scenario::tool
