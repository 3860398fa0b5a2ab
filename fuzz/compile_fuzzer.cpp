// Fuzz target: the compile and the finishing step on any pair of source files.
//
// The input is the line source file, then the marker "==treno==", then
// the train source file (an input without the marker has no train source
// file). Both are put in a folder in memory and the step runs on them as the
// program runs it, then encodes the three compiled files. Whatever the bytes,
// the step must end in one of three ways:
//
//   - it finishes, with a code from the code table; the compiled files encode
//     and the scenario file decodes again as 87 entries;
//   - it ends in error number 1250 or 1251;
//   - a run-time failure escapes, only because the line gave fewer than two
//     cells (there is no cell 1 for the fixed values).
//
// The line source file is always deleted; the train source file is left only
// when the compile ended in the line phase. Reads and writes outside the
// model's arrays are caught by the bounds-checked accessors (code 25) and,
// for everything else, by the address and undefined-behaviour sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "base/run_time_failure.h"
#include "base/source_folder.h"
#include "compiler/codes.h"
#include "driver/form1.h"
#include "output/compiled_files.h"
#include "output/compiled_layout.h"
#include "output/memorizza_percorso.h"

namespace {

using scenario::CodeStage;
using scenario::CompileReport;
using scenario::FileNames;
using scenario::TrackModel;

constexpr std::string_view kMarker = "==treno==";

const FileNames kNames{std::string(scenario::kNomeLinea), std::string(scenario::kNumeroTreno)};

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "compile_fuzzer: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// The compile ends with a compile code of the table (or none); afterwards
// only the finishing sweep may change codice_errore.
void check_codes(const TrackModel& model, const CompileReport& report) {
  const scenario::CodeEntry* entry = scenario::find_code(report.code);
  if (report.code != 0 && (entry == nullptr || entry->stage != CodeStage::compile)) {
    finding("the compile ended with code " + std::to_string(report.code) + ", which is no compile code");
  }
  const int32_t code = model.codice_errore;
  const scenario::CodeEntry* now = scenario::find_code(code);
  const bool finishing_code = now != nullptr && now->stage == CodeStage::finishing;
  if (code != report.code && !finishing_code) {
    finding("codice_errore " + std::to_string(code) + " after the compile ended with " + std::to_string(report.code));
  }
  for (const scenario::MissingMark& miss : report.missing_marks) {
    const scenario::CodeEntry* mark = scenario::find_code(miss.code);
    if (mark == nullptr || mark->stage != CodeStage::finishing) {
      finding("a missing mark with code " + std::to_string(miss.code));
    }
  }
}

// The line source file is always deleted; the train source file only stays
// when the compile ended in the line phase. Codes 2, 15 and 25 never end the
// line phase: 2 is set after both files, 15 ends only the phase, 25 deletes
// both files.
void check_sources_left(const scenario::MemoryFolder& sources, const CompileReport& report) {
  const int32_t code = report.code;
  const bool ended_in_line_phase =
      code != 0 && code != 2 && code != 15 && code != 25 && report.place.file == kNames.line_source();
  for (const std::string& name : sources.names()) {
    if (name == kNames.line_source()) finding("the line source file was left behind");
    if (name == kNames.train_source() && !ended_in_line_phase) {
      finding("the train source file was left behind although the compile did not end in the line phase (code " +
              std::to_string(code) + ")");
    }
  }
}

// The compiled files as they would be written. The plan is the model's own
// bytes, whose memory the model keeps from one input to the next.
void check_compiled_files(const TrackModel& model) {
  const std::string_view plan = model.tracciato.bytes();
  if (plan.size() < 2 * model.tracciato.size()) finding("the plan file is shorter than its values' type codes");

  const std::string route = scenario::encode_route(model);
  if (route.size() != scenario::kCellBytes * model.celle.size()) {
    finding("the route file holds " + std::to_string(route.size()) + " bytes for " +
            std::to_string(model.celle.size()) + " cells");
  }
  const scenario::DecodedScenario table = scenario::decode_scenario(scenario::encode_scenario(model));
  if (!table.problem.empty()) finding("the scenario file does not decode: " + table.problem);
  if (table.entries.size() != model.tabella_sim.size()) finding("the scenario file does not hold 87 entries");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find(kMarker);
  scenario::MemoryFolder sources;
  sources.put(kNames.line_source(), std::string(input.substr(0, marker)));
  if (marker != std::string_view::npos)
    sources.put(kNames.train_source(), std::string(input.substr(marker + kMarker.size())));

  // One model for every input: its cells and its plan keep their memory, so
  // that an input pays for its work, not for fresh pages.
  static TrackModel model;
  model.reset();
  model.nome_linea = kNames.nome_linea;
  model.numero_treno = kNames.numero_treno;
  CompileReport report;
  int32_t j = 1;  // as the program: the plan file too

  try {
    const scenario::Finish finish = scenario::compile_and_finish(model, sources, report, j);
    check_codes(model, report);
    check_sources_left(sources, report);
    if (finish == scenario::Finish::compiled) check_compiled_files(model);
  } catch (const scenario::RunTimeFailure& failure) {
    check_codes(model, report);
    check_sources_left(sources, report);
    if (model.celle.size() >= 2) finding(std::string("run-time failure after the compile: ") + failure.what());
  } catch (const std::exception& other) {
    finding(std::string("unexpected exception: ") + other.what());
  }
  return 0;
}
