#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/large_array.h"
#include "compiler/track_model.h"

namespace scenario {

// The three compiled files' bytes, encoded by the layouts of
// compiled_layout.h, and their writing.

// The plan: every x value, then every y value, each a tagged value.
using PlanBytes = LargeArray<char>;
PlanBytes encode_plan(const Tracciato& tracciato);
// The same into `out`, whose memory is kept for the next plan.
void encode_plan_into(const Tracciato& tracciato, PlanBytes& out);
inline std::string_view bytes_view(const PlanBytes& bytes) { return {bytes.data(), bytes.size()}; }

// The scenario table: 87 entries of 34 bytes plus their text.
std::string encode_scenario_entry(const voce_sim& entry);
std::string encode_scenario(const TrackModel& model);

// The route: one 15-byte record per cell.
std::string encode_cell(const cella& cell);
std::string encode_route(const TrackModel& model);

// Writes the plan file (only when scrivi_linea is not 0; otherwise an existing
// plan file is left untouched), then the scenario file, then the route file.
void write_compiled_files(const TrackModel& model, const std::filesystem::path& folder);

}  // namespace scenario
