#pragma once

#include <cstdint>
#include <vector>

#include "output/compiled_input.h"

namespace scenario {

// A mountain record. A placeholder covers no cell: it stands before a record
// that would otherwise follow another within 150 m and so get type 3.
struct MountainRecord {
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t tipo = 0;
  bool placeholder = false;
};

// Whether a cell must end with a mountain marker (tipo 11), must not (it is
// empty), or may either way (an object or a mark takes the cell later).
enum class MarkerNeed : uint8_t { forbidden, required, either };

struct RecoveredMountains {
  std::vector<MountainRecord> records;
  std::vector<Finding> findings;
};

// Mountain records, in file order, that give every cell its mountain type and
// its markers, when the mountains come first among the line's objects. One
// record per run of cells of one type where that is enough; otherwise records
// that place the markers first and then paint the types over them. At most 80
// records; what no 80 records give is named.
RecoveredMountains recover_mountains(const std::vector<uint8_t>& montagna, const std::vector<MarkerNeed>& markers);

}  // namespace scenario
