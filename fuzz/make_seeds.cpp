// Writes the fuzzer's seeds for the built-in scenario: the line source file and
// the train source file exactly as the program writes them, joined by the
// marker that the fuzz target splits at, and the line source file alone; and
// random pairs whose slowdowns start at any metre with every flag and second
// speed (the generator of the decompiler's round-trip test), so that the
// round-trip target starts from every kind of slowdown. Run by the fuzz
// build, so the seeds always follow the scenario the program carries.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/source_folder.h"
#include "compiler/track_model.h"
#include "output/compiled_files.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"
#include "support/clean_pairs.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds SEED_FOLDER\n");
    return 2;
  }
  const fs::path seeds = argv[1];
  const std::string line = scenario::line_source_table().bytes();
  const std::string train = scenario::train_source_table().bytes();

  std::ofstream out(seeds / "builtin_scenario", std::ios::binary | std::ios::trunc);
  out << line << "==treno==" << train;
  std::ofstream line_only(seeds / "builtin_line_only", std::ios::binary | std::ios::trunc);
  line_only << line;

  // The built-in scenario compiled, without its plan (2 MB): the seed of the
  // readers of compiled files, split as compiled_fuzzer splits its input.
  scenario::MemoryFolder folder;
  folder.put("Corvalle_Brinta_linea.txt", line);
  folder.put("Corvalle_Brinta_24817-.txt", train);
  scenario::TrackModel model;
  model.nome_linea = "Corvalle_Brinta";
  model.numero_treno = "24817";
  scenario::CompileReport report;
  int32_t j = 0;
  scenario::compile_and_finish(model, folder, report, j);
  std::ofstream compiled(seeds / "builtin_compiled", std::ios::binary | std::ios::trunc);
  compiled << scenario::encode_scenario(model) << "==percorso==" << scenario::encode_route(model);
  bool written = out && line_only && compiled;
  for (uint32_t seed = 1; seed <= 64; ++seed) {
    const scenario::testing::SourcePair pair = scenario::testing::random_clean_pair_candidate(seed);
    std::ofstream random(seeds / ("random_pair_" + std::to_string(seed)), std::ios::binary | std::ios::trunc);
    random << pair.line << "==treno==" << pair.train;
    written = written && random;
  }
  return written ? 0 : 1;
}
