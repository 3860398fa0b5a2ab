#include "sources/text_writers.h"

namespace scenario {

void dati_scheda(const std::filesystem::path& /*folder*/, const TrackModel& /*model*/) {}

}  // namespace scenario
