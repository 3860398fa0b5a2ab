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
  int32_t code = 0;  // its code in the code table
};

// A compiled file that does not decode whole: its name, the byte (from 0)
// where it stops fitting, the code saying how, and in words.
struct Damage {
  std::string file;
  std::size_t offset = 0;
  int32_t code = 0;
  std::string what;
};

// A compiled scenario as its three files hold it, decoded: the scenario
// table, the cells and, when there is a plan file, every x then every y value.
// `damage` names every file that does not decode whole; what such a file
// holds is decoded as far as it fits, the rest left empty.
struct CompiledFiles {
  std::array<voce_sim, kVociSim> table{};
  std::vector<cella> cells;
  std::optional<std::vector<PlanValue>> plan;
  std::vector<Damage> damage;
  std::vector<Finding> notes;  // what reading them found that is no damage (a stored name refused, say)
};

// One compiled file's name and bytes.
struct CompiledFile {
  std::string name;
  std::string bytes;
};

// Decodes a scenario's files, each whole: the scenario file exactly 87
// entries, every text count inside the file; the line length it stores
// giving the route file's number of cells and the plan's number of metres;
// no file shorter than that (cut) or longer (stray bytes after its last
// record).
CompiledFiles decode_compiled_files(const CompiledFile& scenario, const CompiledFile& route,
                                    const std::optional<CompiledFile>& plan);

// The compiled files of one scenario: the scenario file `sim_file`, the route
// file of the same name ending ".dat" and the plan file of the line it names
// (NAME_linea.dat beside it), when there is one, decoded as above. A scenario
// or route file that cannot be read at all is a run-time failure.
CompiledFiles read_compiled_files(const std::filesystem::path& sim_file);

// The same from a finished track model.
CompiledFiles compiled_files_of(const TrackModel& model);

// A place in a scenario for a person: a cell with the progressive a source
// gives an object there, an entry of the scenario table, a metre of the plan.
std::string cell_place(int32_t cell);
std::string entry_place(int entry);
std::string metre_place(int64_t metre);

}  // namespace scenario
