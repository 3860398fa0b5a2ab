#include "output/compiled_input.h"

#include <algorithm>

#include "base/file_names.h"
#include "base/plain_file_name.h"
#include "base/read_file.h"
#include "compiler/cell_rules.h"
#include "output/compiled_layout.h"

namespace scenario {

CompiledFiles read_compiled_files(const std::filesystem::path& sim_file, std::vector<Finding>& findings) {
  CompiledFiles files;
  const std::string sim_name = sim_file.filename().string();
  const DecodedScenario table = decode_scenario(read_file(sim_file));
  if (!table.problem.empty()) findings.push_back({sim_name, "does not fit its layout: " + table.problem});
  std::copy(table.entries.begin(), table.entries.end(), files.table.begin());

  std::filesystem::path route_file = sim_file;
  route_file.replace_extension(FileNames::kRoute);
  const DecodedRoute route = decode_route(read_file(route_file));
  if (!route.problem.empty()) {
    findings.push_back({route_file.filename().string(), "does not fit its layout: " + route.problem});
  }
  files.cells = route.cells;

  // The plan file is named by the line; the scenario file's own name says
  // which line when its text does not.
  // A stored name that is not a plain file name (one that climbs out of the
  // folder, say) names no file: the scenario file's own name is taken.
  std::string line_name = files.table[voce::intestazione_linea].testo;
  if (!line_name.empty() && !is_plain_file_name(line_name)) {
    findings.push_back({sim_name, "the line name stored in entry " + std::to_string(voce::intestazione_linea) +
                                      " is not a plain file name; the plan is looked for under the file's own name"});
    line_name.clear();
  }
  if (line_name.empty()) {
    if (const auto names = names_of_compiled_file(sim_name)) line_name = names->nome_linea;
  }
  const std::filesystem::path plan_file = in_folder(sim_file.parent_path(), FileNames{line_name, ""}.plan());
  if (std::filesystem::exists(plan_file)) {
    DecodedPlan plan = decode_plan(read_file(plan_file));
    // A plan whose curves run to its last metre fills them: the decoder's
    // check of two empty last metres is not one a line's plan must pass.
    const int64_t metres = int64_t{files.table[voce::treno_e_linea].fine} + kCodaTracciato + 1;
    const bool whole = plan.values.size() % 2 == 0 && static_cast<int64_t>(plan.per_column()) == metres;
    if (!whole && !plan.problem.empty()) {
      findings.push_back({plan_file.filename().string(), "does not fit its layout: " + plan.problem});
    } else if (!whole) {
      findings.push_back({plan_file.filename().string(), "holds " + std::to_string(plan.per_column()) +
                                                             " metres; a line of " +
                                                             std::to_string(files.table[voce::treno_e_linea].fine) +
                                                             " m has " + std::to_string(metres)});
    }
    files.plan = std::move(plan.values);
  }
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
