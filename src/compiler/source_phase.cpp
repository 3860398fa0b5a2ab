#include "compiler/source_phase.h"

#include <utility>

namespace scenario {

SourcePhase::SourcePhase(TrackModel& model, std::filesystem::path file, SourceInReading& source)
    : model_(model), file_(std::move(file)), source_(source) {
  source_.file_name = file_name_of(file_);
  source_.reader.reset();
}

void SourcePhase::open() { source_.reader.emplace(SourceReader::open(file_)); }

bool SourcePhase::next_keyword(int comments) {
  if (reader().at_end()) return false;
  model_.riga = reader().read_text();
  if (reader().at_end()) return false;
  for (int i = 0; i < comments && contains(model_.riga, "-"); ++i) {
    model_.riga = reader().read_text();
    if (reader().at_end()) return false;
  }
  record_line_ = reader().line();
  return true;
}

bool SourcePhase::read_records() {
  // Record blocks discard up to two comment fields in a row.
  while (next_keyword(2)) {
    const Next next = record();
    if (next == Next::end_of_step) return false;
    if (next == Next::end_of_phase) break;
  }
  return true;
}

bool SourcePhase::in_line(int32_t p, int32_t margin) const {
  return (static_cast<double>(p) + margin) / 50.0 <= model_.ultima_cella();
}

void SourcePhase::close_and_delete() {
  // The whole file was read when it was opened: closing it is a no-op.
  std::filesystem::remove(file_);
}

void SourcePhase::set_code(int32_t code) {
  model_.codice_errore = code;
  model_.file_errore = source_.file_name;
  model_.riga_errore = record_line_;
}

Next SourcePhase::fail(int32_t code) {
  close_and_delete();
  set_code(code);
  return Next::end_of_step;
}

Next SourcePhase::outside_line() {
  set_code(15);
  return Next::end_of_phase;
}

Next SourcePhase::after_builder(int32_t code_before) {
  if (model_.codice_errore <= 0) return Next::record;
  close_and_delete();
  if (model_.codice_errore != code_before) set_code(model_.codice_errore);
  return Next::end_of_step;
}

}  // namespace scenario
