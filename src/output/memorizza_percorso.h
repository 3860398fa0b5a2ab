#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "compiler/track_model.h"

namespace scenario {

// Reports a user-visible error number and ends the program; it never returns.
using Errore = std::function<void(const std::string& a)>;

// Everything memorizza_percorso does before it writes: stores j in
// scrivi_linea, clears codice_errore and the scenario table, compiles the two
// source files in `folder`, runs the finishing sweep and stores the fixed
// values and the competition codes. The finished model is left for the caller
// to write.
void compile_and_finish(TrackModel& model, const std::filesystem::path& folder, int32_t& j, const Errore& errore);

// The build step that turns the two source files into the compiled files:
// stores j in scrivi_linea, clears codice_errore and the scenario table,
// compiles, finishes the model and writes the three compiled files.
void memorizza_percorso(TrackModel& model, const std::filesystem::path& folder, int32_t& j, const Errore& errore);

}  // namespace scenario
