#include "sources/text_writers.h"

namespace scenario {

void dati_linea(const std::filesystem::path& /*folder*/, const TrackModel& /*model*/) {}

}  // namespace scenario
