#include "output/compiled_input.h"

#include <algorithm>

#include "base/file_names.h"
#include "base/nearest.h"
#include "base/plain_file_name.h"
#include "base/read_file.h"
#include "compiler/cell_rules.h"
#include "compiler/codes.h"
#include "output/compiled_layout.h"

namespace scenario {

namespace {

std::string bytes_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }
std::string bytes_follow(std::size_t n) { return bytes_text(n) + (n == 1 ? " follows" : " follow"); }

// The cells of a line of `length` metres and its run-on; none for a length
// no line has.
std::optional<std::size_t> cells_of_line(int32_t length) {
  if (length > kMaxLunghezza || length < -kCodaTracciato) return std::nullopt;
  return static_cast<std::size_t>(nearest((int64_t{length} + kCodaTracciato) / 50.0)) + 1;
}

void decode_route_whole(const CompiledFile& file, std::optional<std::size_t> cells, CompiledFiles& out) {
  DecodedRoute route = decode_route(file.bytes);
  if (!cells) {
    if (route.misfit.code != 0) out.damage.push_back({file.name, route.misfit.at, route.misfit.code, route.problem});
    out.cells = std::move(route.cells);
    return;
  }
  const std::size_t expected = *cells * kCellBytes;
  const std::string line = "a line of " + std::to_string(out.table[voce::treno_e_linea].fine) + " m has " +
                           std::to_string(*cells) + " cells, " + bytes_text(expected);
  if (file.bytes.size() > expected) {
    out.damage.push_back(
        {file.name, expected, code::compiled_file_stray_bytes,
         bytes_follow(file.bytes.size() - expected) + " the last cell (" + std::to_string(*cells - 1) + "): " + line});
    route.cells.resize(*cells);
  } else if (file.bytes.size() < expected) {
    out.damage.push_back({file.name, file.bytes.size(), code::compiled_file_cut_short,
                          "the file ends after " + bytes_text(file.bytes.size()) + ": " + line});
  }
  out.cells = std::move(route.cells);
}

void decode_plan_whole(const CompiledFile& file, std::optional<std::size_t> cells, CompiledFiles& out) {
  DecodedPlan plan = decode_plan(file.bytes);
  if (!cells) {
    if (plan.misfit.code != 0) out.damage.push_back({file.name, plan.misfit.at, plan.misfit.code, plan.problem});
    out.plan = std::move(plan.values);
    return;
  }
  // A plan whose curves run to its last metre fills it: the decoder's own
  // test of two empty last metres is not one a line's plan must pass.
  const std::size_t metres = static_cast<std::size_t>(out.table[voce::treno_e_linea].fine + kCodaTracciato + 1);
  const std::size_t expected = 2 * metres;
  const std::string line = "a line of " + std::to_string(out.table[voce::treno_e_linea].fine) + " m has " +
                           std::to_string(metres) + " metres, " + std::to_string(expected) + " values";
  if (plan.values.size() >= expected) {
    std::size_t end = 0;  // where the value after the last one starts
    for (std::size_t i = 0; i < expected; ++i) end += plan_value_size(plan.values[i].kind);
    if (end < file.bytes.size()) {
      out.damage.push_back({file.name, end, code::compiled_file_stray_bytes,
                            bytes_follow(file.bytes.size() - end) + " the last value (" + line + ")"});
    }
    plan.values.resize(expected);
  } else if (plan.misfit.code != 0 && plan.misfit.code != code::compiled_file_cut_short) {
    out.damage.push_back({file.name, plan.misfit.at, plan.misfit.code, plan.problem});
  } else {
    out.damage.push_back({file.name, file.bytes.size(), code::compiled_file_cut_short,
                          "the file ends after value " + std::to_string(plan.values.size()) + ": " + line});
  }
  out.plan = std::move(plan.values);
}

}  // namespace

CompiledFiles decode_compiled_files(const CompiledFile& scenario, const CompiledFile& route,
                                    const std::optional<CompiledFile>& plan) {
  CompiledFiles files;
  const DecodedScenario table = decode_scenario(scenario.bytes);
  if (table.misfit.code != 0)
    files.damage.push_back({scenario.name, table.misfit.at, table.misfit.code, table.problem});
  std::copy(table.entries.begin(), table.entries.end(), files.table.begin());

  // The line length sizes the other two files; without it they are decoded
  // as far as their own layouts tell.
  std::optional<std::size_t> cells;
  if (table.entries.size() > voce::treno_e_linea) {
    const int32_t length = files.table[voce::treno_e_linea].fine;
    cells = cells_of_line(length);
    if (!cells) {
      const std::size_t fine_at = table.offsets[voce::treno_e_linea] + 5;  // tipo, then inizio, before fine
      files.damage.push_back({scenario.name, fine_at, code::line_length_unfit,
                              "entry " + std::to_string(voce::treno_e_linea) + " gives the line a length of " +
                                  std::to_string(length) + " m, which no line has (at most " +
                                  std::to_string(kMaxLunghezza) + ")"});
    }
  }
  decode_route_whole(route, cells, files);
  if (plan) decode_plan_whole(*plan, cells, files);
  return files;
}

CompiledFiles read_compiled_files(const std::filesystem::path& sim_file) {
  const std::string sim_name = sim_file.filename().string();
  const std::string sim_bytes = read_file(sim_file);
  std::filesystem::path route_file = sim_file;
  route_file.replace_extension(FileNames::kRoute);
  const CompiledFile route{route_file.filename().string(), read_file(route_file)};

  // The plan file is named by the line; the scenario file's own name says
  // which line when its text does not.
  const DecodedScenario table = decode_scenario(sim_bytes);
  std::string line_name =
      table.entries.size() > voce::intestazione_linea ? table.entries[voce::intestazione_linea].testo : std::string();
  // A stored name that is not a plain file name (one that climbs out of the
  // folder, say) names no file: the scenario file's own name is taken.
  std::vector<Finding> notes;
  if (!line_name.empty() && !is_plain_file_name(line_name)) {
    notes.push_back({sim_name,
                     "the line name stored in entry " + std::to_string(voce::intestazione_linea) +
                         " is not a plain file name; the plan is looked for under the file's own name",
                     code::stored_name_not_plain});
    line_name.clear();
  }
  if (line_name.empty()) {
    if (const auto names = names_of_compiled_file(sim_name)) line_name = names->nome_linea;
  }
  const std::filesystem::path plan_file = in_folder(sim_file.parent_path(), FileNames{line_name, ""}.plan());
  std::optional<CompiledFile> plan;
  if (std::filesystem::exists(plan_file)) plan = CompiledFile{plan_file.filename().string(), read_file(plan_file)};
  CompiledFiles files = decode_compiled_files({sim_name, sim_bytes}, route, plan);
  files.notes = std::move(notes);
  return files;
}

CompiledFiles compiled_files_of(const TrackModel& model) {
  CompiledFiles files;
  files.table = model.tabella_sim;
  files.cells = model.celle;
  if (model.tracciato.allocated()) {
    std::vector<PlanValue> values(model.tracciato.size());
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = model.tracciato.stored(i);
    files.plan = std::move(values);
  }
  return files;
}

std::string cell_place(int32_t cell) {
  return "cell " + std::to_string(cell) + " (progressive " + std::to_string(object_progressive(cell)) + ")";
}

std::string entry_place(int entry) { return "entry " + std::to_string(entry); }

std::string metre_place(int64_t metre) { return "plan metre " + std::to_string(metre); }

}  // namespace scenario
