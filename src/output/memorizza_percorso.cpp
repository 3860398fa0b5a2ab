#include "output/memorizza_percorso.h"

#include <string>

#include "base/run_time_failure.h"
#include "compiler/memorizza_dati.h"
#include "output/competition_codes.h"
#include "output/compiled_files.h"
#include "output/finishing_pass.h"

namespace scenario {

namespace {

// The two fixed check values and the two competition codes. The slots must
// still be empty after compiling; an object that left a value in them makes
// the scenario unusable, so the build stops with 1250 or 1251.
Finish store_fixed_values_and_codes(TrackModel& model) {
  voce_sim& linea = model.voce_at(voce::intestazione_linea);
  if (linea.col7 != 0 || model.cella_at(1).dato1 != 0) return Finish::errore_1250;
  linea.col7 = kValoreFissoLinea;
  model.cella_at(1).dato1 = kValoreFissoCella;

  if (linea.orario != 0 || model.cella_at(1).dato2 != 0) return Finish::errore_1251;
  linea.orario = codice_gara_st(model);
  model.cella_at(1).dato2 = codice_gara_og(model);
  return Finish::compiled;
}

}  // namespace

std::string_view errore_number(Finish finish) {
  switch (finish) {
    case Finish::errore_1250:
      return "1250";
    case Finish::errore_1251:
      return "1251";
    case Finish::compiled:
      break;
  }
  return "";
}

Finish compile_and_finish(TrackModel& model, SourceFolder& sources, CompileReport& report, int32_t& j,
                          CompileObserver* observer) {
  model.scrivi_linea = j;
  model.codice_errore = 0;
  model.clear_tabella_sim();

  memorizza_dati(model, sources, report, observer);
  // A line source file that is missing, or broken before its length, leaves no
  // cells to finish: nothing sensible can be written.
  if (model.celle.empty()) {
    throw RunTimeFailure("the line source file gave no line (compile code " + std::to_string(model.codice_errore) +
                         "); no compiled file written");
  }

  finishing_sweep(model, report);
  return store_fixed_values_and_codes(model);
}

Finish memorizza_percorso(TrackModel& model, SourceFolder& sources, const std::filesystem::path& folder,
                          CompileReport& report, int32_t& j) {
  const Finish finish = compile_and_finish(model, sources, report, j);
  if (finish == Finish::compiled) write_compiled_files(model, folder);
  return finish;
}

}  // namespace scenario
