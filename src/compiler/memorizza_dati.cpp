#include "compiler/memorizza_dati.h"

#include <exception>
#include <stdexcept>

#include "base/file_names.h"
#include "compiler/codes.h"
#include "compiler/source_phase.h"

namespace scenario {

namespace {

// The kilometre references must give their start and kilometre value in whole
// multiples of 50 m, as ordered. The report names the first that does not, at
// the field of its record.
void check_kilometre_references(TrackModel& model, CompileReport& report, const std::string& line_source,
                                const ReferenceSources& sources) {
  bool named = false;
  for (int entry : {voce::progressiva_tre, voce::progressiva_due, voce::progressiva_uno}) {
    const voce_sim& reference = model.voce_at(entry);
    if (reference.inizio % 50 == 0 && reference.fine % 50 == 0) continue;
    model.codice_errore = code::kilometre_reference_off_grid;
    if (named) continue;
    named = true;
    const ReferenceSource& source = sources[static_cast<std::size_t>(entry - voce::progressiva_tre)];
    if (source.given) {
      report.place = reference.inizio % 50 != 0 ? source.start : source.kilometre;
      report.record = source.record;
      report.record_place = source.keyword;
    } else {
      report.place = {line_source, 0, 0};
      report.record.reset();
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
  SourceInReading source{names.line_source(), std::nullopt, nullptr, {}, std::nullopt};
  report.place = {};
  report.reason.clear();
  report.record.reset();
  report.record_place = {};
  CompileContext context{model, files, source, report, observer};

  try {
    model.voce_at(voce::intestazione_linea).testo = model.nome_linea;
    model.voce_at(voce::intestazione_treno).testo = model.numero_treno;

    if (!files.exists(names.line_source())) {
      model.codice_errore = code::line_source_missing;
      report.place = {names.line_source(), 0, 0};
    } else {
      int32_t sign_slot = voce::primo_cartello;
      ReferenceSources references{};
      // A missing train source file is a run-time failure.
      if (compile_line_source(context, names.line_source(), sign_slot, references) &&
          compile_train_source(context, names.train_source(), sign_slot)) {
        check_kilometre_references(model, report, names.line_source(), references);
      }
    }
  } catch (const std::logic_error&) {
    throw;  // a fault of the compiler itself, not of the data
  } catch (const std::exception& failure) {
    remove_both(files, names);
    model.codice_errore = code::run_time_failure;
    if (source.cause) {
      report.place = *source.cause;
    } else {
      report.place = {source.file_name, source.reader ? source.reader->line() : 0,
                      source.reader ? source.reader->column() : 0};
    }
    if (source.record != nullptr) {
      report.record = source.record->id;
      report.record_place = source.record_place;
    }
    report.reason = failure.what();
  }
  report.code = model.codice_errore;
}

}  // namespace scenario
