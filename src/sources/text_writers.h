#pragma once

#include <filesystem>

#include "compiler/track_model.h"
#include "sources/line_table.h"

namespace scenario {

// The five writers of the scenario's text files. Each reads only nome_linea and
// numero_treno from the model (for its file name), fills a LineTable with the
// scenario content the program carries and replaces its file in `folder`.

void dati_linea(const std::filesystem::path& folder, const TrackModel& model);          // line source
void dati_treno(const std::filesystem::path& folder, const TrackModel& model);          // train source
void dati_note(const std::filesystem::path& folder, const TrackModel& model);           // notes
void dati_rallentamenti(const std::filesystem::path& folder, const TrackModel& model);  // slowdown order
void dati_scheda(const std::filesystem::path& folder, const TrackModel& model);         // timetable card

// The lines of the two source files as dati_linea and dati_treno write them,
// for those who want the built-in sources without a file: their bytes() are
// the files' bytes.
LineTable line_source_table();
LineTable train_source_table();

}  // namespace scenario
