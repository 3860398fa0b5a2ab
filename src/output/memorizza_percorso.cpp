#include "output/memorizza_percorso.h"

#include "compiler/memorizza_dati.h"
#include "output/compiled_files.h"

namespace scenario {

void memorizza_percorso(TrackModel& model, const std::filesystem::path& folder, int32_t& j,
                        const Errore& /*errore*/) {
  model.scrivi_linea = j;
  model.codice_errore = 0;
  model.clear_tabella_sim();
  memorizza_dati(model, folder);
  write_compiled_files(model, folder);
}

}  // namespace scenario
