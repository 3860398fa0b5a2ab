#include "output/compiled_files.h"

#include "base/binary_encoding.h"
#include "base/file_names.h"
#include "base/replace_file.h"
#include "base/run_time_failure.h"
#include "base/windows1252.h"

namespace scenario {

namespace {

constexpr std::size_t kEntryBytes = 34;  // without the text
constexpr std::size_t kCellBytes = 15;

std::size_t plan_value_bytes(PlanValue::Kind kind) {
  switch (kind) {
    case PlanValue::Kind::Integer:
      return 4;
    case PlanValue::Kind::Double:
      return 10;
    case PlanValue::Kind::Empty:
      break;
  }
  return 2;
}

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

void append_scenario_entry(std::string& out, const voce_sim& e) {
  const std::string text = to_windows1252(e.testo);
  if (text.size() > 32767) throw RunTimeFailure("text of a scenario entry is longer than 32767 bytes");
  append_byte(out, e.tipo);
  append_int32(out, e.inizio);
  append_int32(out, e.fine);
  append_int32(out, e.posizione);
  append_byte(out, e.col4);
  append_int16(out, static_cast<int16_t>(text.size()));
  out += text;
  append_int16(out, e.col7);
  append_int16(out, e.col8);
  append_int16(out, e.col10);
  append_int16(out, e.col11);
  append_int16(out, e.col12);
  append_byte(out, e.col9);
  append_byte(out, e.col13);
  append_byte(out, e.col6);
  append_byte(out, e.col5);
  append_int32(out, e.orario);
}

void append_cell(std::string& out, const cella& c) {
  append_byte(out, c.tipo);
  append_int16(out, c.dato1);
  append_int16(out, c.dato2);
  append_int16(out, c.dato3);
  append_int16(out, c.dato4);
  append_byte(out, c.tempo);
  append_byte(out, c.avviso);
  append_byte(out, c.montagna);
  append_byte(out, c.velocita);
  append_byte(out, c.pendenza);
  append_byte(out, c.aderenza);
}

}  // namespace

// The plan is the largest file by far (two million values for a long line):
// it is sized first and then filled in place, every byte written once (the
// buffer is not zeroed beforehand).
void encode_plan_into(const Tracciato& tracciato, PlanBytes& out) {
  const std::span<const double> values = tracciato.stored_values();
  const std::span<const PlanValue::Kind> kinds = tracciato.stored_kinds();
  std::size_t size = 0;
  for (const PlanValue::Kind kind : kinds) size += plan_value_bytes(kind);
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
  append_scenario_entry(out, entry);
  return out;
}

std::string encode_scenario(const TrackModel& model) {
  std::string out;
  out.reserve(model.tabella_sim.size() * (kEntryBytes + 16));
  for (const voce_sim& e : model.tabella_sim) append_scenario_entry(out, e);
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
