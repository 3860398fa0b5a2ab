// Fuzz target: the decompiler's round trip on every input that compiles clean.
//
// The input is split as for compile_fuzzer: the line source file, the marker
// "==treno==", the train source file. When the two compile without a code
// (the compile step's code 0; the finishing pass may still miss marks), the
// compiled files are decompiled, and the recovered sources must:
//
//   - come from files that decode whole, to what was compiled;
//   - be found complete: the decompiler names nothing that no source gives;
//   - compile clean, in memory, to the same scenario table, cells and plan,
//     bit for bit.
//
// Anything else is a finding: every compiled scenario that a clean source can
// produce decompiles into sources that compile back byte for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "driver/form1.h"
#include "output/compiled_files.h"
#include "output/compiled_input.h"
#include "output/memorizza_percorso.h"
#include "recovery/decompile.h"
#include "recovery/round_trip.h"
#include "recovery/source_records.h"

namespace {

constexpr std::string_view kMarker = "==treno==";

const scenario::FileNames kNames{std::string(scenario::kNomeLinea), std::string(scenario::kNumeroTreno)};

[[noreturn]] void finding(const std::string& what, const std::vector<scenario::Finding>& details) {
  std::fprintf(stderr, "round_trip_fuzzer: %s\n", what.c_str());
  for (const scenario::Finding& f : details) std::fprintf(stderr, "  %s: %s\n", f.where.c_str(), f.what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find(kMarker);
  if (marker == std::string_view::npos) return 0;  // no train source file: never clean
  scenario::MemoryFolder sources;
  sources.put(kNames.line_source(), std::string(input.substr(0, marker)));
  sources.put(kNames.train_source(), std::string(input.substr(marker + kMarker.size())));

  scenario::TrackModel model;
  model.nome_linea = kNames.nome_linea;
  model.numero_treno = kNames.numero_treno;
  scenario::CompileReport report;
  int32_t j = 1;
  try {
    if (scenario::compile_and_finish(model, sources, report, j) != scenario::Finish::compiled) return 0;
  } catch (const std::exception&) {
    return 0;  // a line without cells: not clean
  }
  if (report.code != 0) return 0;

  // The files as written decode whole, to what was compiled.
  const scenario::CompiledFiles decoded = scenario::decode_compiled_files(
      {kNames.scenario(), scenario::encode_scenario(model)}, {kNames.route(), scenario::encode_route(model)},
      scenario::CompiledFile{kNames.plan(), std::string(model.tracciato.bytes())});
  if (!decoded.damage.empty()) {
    finding("the compiled files of a clean build do not decode whole",
            {{decoded.damage.front().file, decoded.damage.front().what}});
  }
  const scenario::CompiledFiles files = scenario::compiled_files_of(model);
  if (!(decoded.table == files.table) || !(decoded.cells == files.cells) || !(decoded.plan == files.plan)) {
    finding("the compiled files decode to another scenario than was compiled", {});
  }
  const scenario::Decompiled d = scenario::decompile(files);
  if (!d.findings.empty()) finding("the decompiler finds what no source gives in a clean build", d.findings);
  const scenario::RoundTrip trip =
      scenario::round_trip(files, d.line_name, d.train_number, scenario::source_file_bytes(scenario::render(d.line)),
                           scenario::source_file_bytes(scenario::render(d.train)), true);
  if (!trip.same) finding("the recovered sources do not compile back to the same bytes", trip.differences);
  return 0;
}
