#include "output/compiled_files.h"

#include "base/binary_encoding.h"
#include "base/file_names.h"
#include "base/replace_file.h"
#include "output/compiled_layout.h"

namespace scenario {

namespace {

// A tagged value: its 16-bit type code, then the value in that type's encoding.
char* put_plan_value(char* at, double value, PlanValue::Kind kind) {
  at = put_little_endian(at, static_cast<uint16_t>(kind));
  switch (kind) {
    case PlanValue::Kind::Empty:
      break;
    case PlanValue::Kind::Integer:
      at = put_little_endian(at, static_cast<uint16_t>(static_cast<int16_t>(value)));
      break;
    case PlanValue::Kind::Double:
      at = put_little_endian(at, bits_of(value));
      break;
  }
  return at;
}

}  // namespace

// The plan is the largest file by far (two million values for a long line):
// it is sized first and then filled in place, every byte written once (the
// buffer is not zeroed beforehand).
void encode_plan_into(const Tracciato& tracciato, PlanBytes& out) {
  const std::span<const double> values = tracciato.stored_values();
  const std::span<const PlanValue::Kind> kinds = tracciato.stored_kinds();
  std::array<std::size_t, 256> bytes_of_kind{};
  for (const PlanValueLayout& layout : kPlanValueLayout) {
    bytes_of_kind[static_cast<uint8_t>(layout.kind)] = kPlanTypeCodeBytes + layout.payload;
  }
  std::size_t size = 0;
  for (const PlanValue::Kind kind : kinds) size += bytes_of_kind[static_cast<uint8_t>(kind)];
  out.resize(size);
  char* at = out.data();
  for (std::size_t i = 0; i < kinds.size(); ++i) at = put_plan_value(at, values[i], kinds[i]);
}

PlanBytes encode_plan(const Tracciato& tracciato) {
  PlanBytes out;
  encode_plan_into(tracciato, out);
  return out;
}

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
  std::string out;
  out.reserve(model.celle.size() * kCellBytes);
  for (const cella& c : model.celle) append_cell(out, c);
  return out;
}

void write_compiled_files(const TrackModel& model, const std::filesystem::path& folder) {
  const FileNames names{model.nome_linea, model.numero_treno};
  if (model.scrivi_linea != 0) replace_file(in_folder(folder, names.plan()), bytes_view(encode_plan(model.tracciato)));
  replace_file(in_folder(folder, names.scenario()), encode_scenario(model));
  replace_file(in_folder(folder, names.route()), encode_route(model));
}

}  // namespace scenario
