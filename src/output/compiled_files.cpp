#include "output/compiled_files.h"

#include <vector>

#include "base/file_names.h"
#include "base/replace_file.h"
#include "output/compiled_layout.h"

namespace scenario {

std::string encode_scenario_entry(const voce_sim& entry) {
  std::string out;
  append_entry(out, entry);
  return out;
}

std::string encode_scenario(const TrackModel& model) {
  std::string out;
  out.reserve(model.tabella_sim.size() * (kEntryFixedBytes + 16));
  for (const voce_sim& e : model.tabella_sim) append_entry(out, e);
  return out;
}

std::string encode_cell(const cella& cell) {
  std::string out;
  append_cell(out, cell);
  return out;
}

std::string encode_route(const TrackModel& model) {
  std::string out(model.celle.size() * kCellBytes, '\0');
  char* at = out.data();
  for (const cella& c : model.celle) at = put_cell(at, c);
  return out;
}

void replace_compiled_files(WriteFolder& folder, const FileNames& names, const CompiledBytes& bytes) {
  std::vector<NewFile> files;
  if (bytes.plan) files.push_back({names.plan(), *bytes.plan});
  files.push_back({names.scenario(), bytes.scenario});
  files.push_back({names.route(), bytes.route});
  replace_files(folder, files);
}

void replace_compiled_files(const std::filesystem::path& folder, const FileNames& names, const CompiledBytes& bytes) {
  DiskWriteFolder disk(folder);
  replace_compiled_files(disk, names, bytes);
}

void write_compiled_files(const TrackModel& model, const std::filesystem::path& folder) {
  const std::string scenario = encode_scenario(model);
  const std::string route = encode_route(model);
  std::optional<std::string_view> plan;
  if (model.scrivi_linea != 0) plan = model.tracciato.bytes();
  replace_compiled_files(folder, FileNames{model.nome_linea, model.numero_treno}, {plan, scenario, route});
}

}  // namespace scenario
