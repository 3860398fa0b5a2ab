#include "compiler/memorizza_dati.h"

#include <exception>
#include <system_error>

#include "compiler/source_phase.h"
#include "base/file_names.h"

namespace scenario {

namespace {

// The kilometre references must give their start and kilometre value in whole
// multiples of 50 m, as ordered.
void check_kilometre_references(TrackModel& model, const std::string& line_source) {
  for (int entry : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
    const voce_sim& reference = model.voce_at(entry);
    if (reference.inizio % 50 != 0 || reference.fine % 50 != 0) {
      model.codice_errore = 2;
      model.file_errore = line_source;
      model.riga_errore = 0;
    }
  }
}

}  // namespace

void memorizza_dati(TrackModel& model, const std::filesystem::path& folder) {
  const FileNames names{model.nome_linea, model.numero_treno};
  const std::filesystem::path line_file = in_folder(folder, names.line_source());
  const std::filesystem::path train_file = in_folder(folder, names.train_source());
  SourceInReading source{names.line_source(), std::nullopt};
  model.file_errore.clear();
  model.riga_errore = 0;
  model.motivo_errore.clear();

  try {
    model.voce_at(voce::intestazione_linea).testo = model.nome_linea;
    model.voce_at(voce::intestazione_treno).testo = model.numero_treno;

    if (!std::filesystem::exists(line_file)) {
      model.codice_errore = 101;
      model.file_errore = names.line_source();
      return;
    }
    int32_t sign_slot = voce::primo_cartello;
    if (!compile_line_source(model, line_file, source, sign_slot)) return;
    // A missing train source file is a run-time failure.
    if (!compile_train_source(model, train_file, source, sign_slot)) return;
    check_kilometre_references(model, names.line_source());
  } catch (const std::exception& failure) {
    // A run-time failure ends the compile: neither source file is left behind.
    std::error_code ignored;
    std::filesystem::remove(line_file, ignored);
    std::filesystem::remove(train_file, ignored);
    model.codice_errore = 25;
    model.file_errore = source.file_name;
    model.riga_errore = source.reader ? source.reader->line() : 0;
    model.motivo_errore = failure.what();
  }
}

}  // namespace scenario
