#include "compiler/memorizza_dati.h"

#include <exception>
#include <stdexcept>

#include "base/file_names.h"
#include "compiler/codes.h"
#include "compiler/source_phase.h"

namespace scenario {

namespace {

// The kilometre references must give their start and kilometre value in whole
// multiples of 50 m, as ordered.
void check_kilometre_references(TrackModel& model, CompileReport& report, const std::string& line_source) {
  for (int entry : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
    const voce_sim& reference = model.voce_at(entry);
    if (reference.inizio % 50 != 0 || reference.fine % 50 != 0) {
      model.codice_errore = code::kilometre_reference_off_grid;
      report.place = {line_source, 0, 0};
    }
  }
}

// A run-time failure ends the compile: neither source file is left behind.
void remove_both(SourceFolder& files, const FileNames& names) {
  for (const std::string& name : {names.line_source(), names.train_source()}) {
    try {
      files.remove(name);
    } catch (const std::exception&) {
      // Nothing more can be done about a file that cannot be deleted.
    }
  }
}

}  // namespace

void memorizza_dati(TrackModel& model, SourceFolder& files, CompileReport& report, CompileObserver* observer) {
  const FileNames names{model.nome_linea, model.numero_treno};
  SourceInReading source{names.line_source(), std::nullopt};
  report.place = {};
  report.reason.clear();
  CompileContext context{model, files, source, report, observer};

  try {
    model.voce_at(voce::intestazione_linea).testo = model.nome_linea;
    model.voce_at(voce::intestazione_treno).testo = model.numero_treno;

    if (!files.exists(names.line_source())) {
      model.codice_errore = code::line_source_missing;
      report.place = {names.line_source(), 0, 0};
    } else {
      int32_t sign_slot = voce::primo_cartello;
      // A missing train source file is a run-time failure.
      if (compile_line_source(context, names.line_source(), sign_slot) &&
          compile_train_source(context, names.train_source(), sign_slot)) {
        check_kilometre_references(model, report, names.line_source());
      }
    }
  } catch (const std::logic_error&) {
    throw;  // a fault of the compiler itself, not of the data
  } catch (const std::exception& failure) {
    remove_both(files, names);
    model.codice_errore = code::run_time_failure;
    report.place = {source.file_name, source.reader ? source.reader->line() : 0,
                    source.reader ? source.reader->column() : 0};
    report.reason = failure.what();
  }
  report.code = model.codice_errore;
}

}  // namespace scenario
