#pragma once

#include <filesystem>

#include "compiler/track_model.h"

namespace scenario {

// The five writers of the scenario's text files. Each reads only nome_linea and
// numero_treno from the model (for its file name), fills a LineTable with the
// scenario content the program carries and replaces its file in `folder`.

void dati_linea(const std::filesystem::path& folder, const TrackModel& model);          // line source
void dati_treno(const std::filesystem::path& folder, const TrackModel& model);          // train source
void dati_note(const std::filesystem::path& folder, const TrackModel& model);           // notes
void dati_rallentamenti(const std::filesystem::path& folder, const TrackModel& model);  // slowdown order
void dati_scheda(const std::filesystem::path& folder, const TrackModel& model);         // timetable card

}  // namespace scenario
