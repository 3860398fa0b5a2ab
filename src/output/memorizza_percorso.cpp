#include "output/memorizza_percorso.h"

#include <stdexcept>

#include "compiler/memorizza_dati.h"
#include "base/run_time_failure.h"
#include "output/competition_codes.h"
#include "output/compiled_files.h"
#include "output/finishing_pass.h"

namespace scenario {

namespace {

constexpr int16_t kValoreFissoLinea = 610;   // entry 85's col7
constexpr int16_t kValoreFissoCella = 5121;  // cell 1's dato1

// errore ends the program; should it ever come back, stop here rather than
// write files the user was told are in error.
[[noreturn]] void report(const Errore& errore, const char* number) {
  errore(number);
  throw std::logic_error(std::string("errore ") + number + " returned");
}

// The two fixed check values and the two competition codes. The slots must
// still be empty after compiling; an object that left a value in them makes
// the scenario unusable, so the build stops with 1250 or 1251.
void store_fixed_values_and_codes(TrackModel& model, const Errore& errore) {
  voce_sim& linea = model.voce_at(voce::intestazione_linea);
  if (linea.col7 != 0 || model.cella_at(1).dato1 != 0) report(errore, "1250");
  linea.col7 = kValoreFissoLinea;
  model.cella_at(1).dato1 = kValoreFissoCella;

  if (linea.orario != 0 || model.cella_at(1).dato2 != 0) report(errore, "1251");
  linea.orario = codice_gara_st(model);
  model.cella_at(1).dato2 = codice_gara_og(model);
}

}  // namespace

void compile_and_finish(TrackModel& model, const std::filesystem::path& folder, int32_t& j, const Errore& errore) {
  model.scrivi_linea = j;
  model.codice_errore = 0;
  model.clear_tabella_sim();

  memorizza_dati(model, folder);
  model.codice_compilazione = model.codice_errore;
  // A line source file that is missing, or broken before its length, leaves no
  // cells to finish: nothing sensible can be written.
  if (model.celle.empty()) {
    throw RunTimeFailure("the line source file gave no line (compile code " + std::to_string(model.codice_errore) +
                         "); no compiled file written");
  }

  finishing_sweep(model);
  store_fixed_values_and_codes(model, errore);
}

void memorizza_percorso(TrackModel& model, const std::filesystem::path& folder, int32_t& j, const Errore& errore) {
  compile_and_finish(model, folder, j, errore);
  write_compiled_files(model, folder);
}

}  // namespace scenario
