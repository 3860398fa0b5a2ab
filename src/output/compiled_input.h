#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "compiler/track_model.h"

namespace scenario {

// Something in compiled files, or in sources recovered from them, that does
// not fit: where (a file, cell, entry or metre) and what.
struct Finding {
  std::string where;
  std::string what;
};

// A compiled scenario as its three files hold it, decoded: the scenario
// table, the cells and, when there is a plan file, every x then every y value.
struct CompiledFiles {
  std::array<voce_sim, kVociSim> table{};
  std::vector<cella> cells;
  std::optional<std::vector<PlanValue>> plan;
};

// The compiled files of one scenario: the scenario file `sim_file`, the route
// file of the same name ending ".dat" and the plan file of the line it names
// (NAME_linea.dat beside it), when there is one. A file that does not fit its
// layout is decoded as far as it fits; what is missing is left empty and said
// in `findings`. A scenario or route file that cannot be read at all is a
// run-time failure.
CompiledFiles read_compiled_files(const std::filesystem::path& sim_file, std::vector<Finding>& findings);

// The same from a finished track model.
CompiledFiles compiled_files_of(const TrackModel& model);

// A place in a scenario for a person: a cell with the progressive a source
// gives an object there, an entry of the scenario table, a metre of the plan.
std::string cell_place(int32_t cell);
std::string entry_place(int entry);
std::string metre_place(int64_t metre);

}  // namespace scenario
