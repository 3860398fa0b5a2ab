#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/source_folder.h"
#include "compiler/compile_observer.h"
#include "compiler/compile_report.h"
#include "compiler/track_model.h"

namespace scenario {

// The fixed check values every build stores after the finishing sweep: entry
// 85's col7 and cell 1's dato1.
inline constexpr int16_t kValoreFissoLinea = 610;
inline constexpr int16_t kValoreFissoCella = 5121;

// How the finishing step ends.
enum class Finish {
  compiled,     // the model is finished and can be written
  errore_1250,  // an object took a fixed value's slot: nothing may be written
  errore_1251,  // an object took a competition code's slot: nothing may be written
};

// The error number the program shows for a finish other than `compiled`.
std::string_view errore_number(Finish finish);

// Everything memorizza_percorso does before it writes: stores j in
// scrivi_linea, clears codice_errore and the scenario table, compiles the two
// source files in `sources`, runs the finishing sweep and stores the fixed
// values and the competition codes. The finished model is left for the caller
// to write. A line source file that gives no line (no cell 1 for the fixed
// values) is a run-time failure. An observer, when given, watches the compile.
Finish compile_and_finish(TrackModel& model, SourceFolder& sources, CompileReport& report, int32_t& j,
                          CompileObserver* observer = nullptr);

// The build step that turns the two source files into the compiled files:
// compile_and_finish, then, when compiled, the three compiled files written
// into `folder`.
Finish memorizza_percorso(TrackModel& model, SourceFolder& sources, const std::filesystem::path& folder,
                          CompileReport& report, int32_t& j);

}  // namespace scenario
