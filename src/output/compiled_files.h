#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "base/write_folder.h"
#include "compiler/track_model.h"

namespace scenario {

// The three compiled files' bytes, encoded by the layouts of
// compiled_layout.h, and their writing. The plan needs no encoding: the model
// holds it as its file's bytes (Tracciato::bytes()).

// The scenario table: 87 entries of 34 bytes plus their text.
std::string encode_scenario_entry(const voce_sim& entry);
std::string encode_scenario(const TrackModel& model);

// The route: one 15-byte record per cell.
std::string encode_cell(const cella& cell);
std::string encode_route(const TrackModel& model);

// The bytes of the three compiled files, ready to be written.
struct CompiledBytes {
  std::optional<std::string_view> plan;  // none without a plan: the plan file is then left as it is
  std::string_view scenario;
  std::string_view route;
};

// Replaces the compiled files named by `names` in `folder` with `bytes` as
// one set: the plan file (when there are plan bytes; otherwise an existing
// plan file is left untouched), the scenario file and the route file, in this
// order. The simulator loads them together, so a failure leaves the whole
// earlier set in place, never a new plan beside an old route.
void replace_compiled_files(WriteFolder& folder, const FileNames& names, const CompiledBytes& bytes);
void replace_compiled_files(const std::filesystem::path& folder, const FileNames& names, const CompiledBytes& bytes);

// Encodes the model's scenario table and cells, then replaces the three files
// with them and the plan's bytes (the plan only when scrivi_linea is not 0).
void write_compiled_files(const TrackModel& model, const std::filesystem::path& folder);

}  // namespace scenario
