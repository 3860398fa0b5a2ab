#pragma once

#include <string>
#include <vector>

#include "output/compiled_input.h"
#include "recovery/curve_recovery.h"
#include "recovery/source_records.h"

namespace scenario {

// Editable sources recovered from compiled files: a line source file and a
// train source file, in the template's layout and section order, that compile
// back to the same bytes. The decompiler undoes what a build adds (the fixed
// values, the competition codes and the finishing pass's marks, told apart
// from the author's abatement points by running the pass again), reads every
// record back out of the cells, the scenario table and the plan, and orders
// the records so that whatever one wrote over another comes out the same.
struct Decompiled {
  std::string line_name;     // as the scenario file stores it
  std::string train_number;  // as the scenario file stores it
  std::vector<SourceLine> line;
  std::vector<SourceLine> train;
  std::vector<CurveRun> curves;  // the line's curve records, also among `line`
  // What no source can give, by cell, entry or metre; the sources are then the
  // closest ones.
  std::vector<Finding> findings;
};

Decompiled decompile(const CompiledFiles& files);

}  // namespace scenario
