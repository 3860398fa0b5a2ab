// Writes the fuzzer's seed for the built-in scenario: the line source file and
// the train source file exactly as the program writes them, joined by the
// marker line that the fuzz target splits at. Run by the fuzz build, so the
// seed always follows the scenario the program carries.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "driver/form1.h"
#include "base/file_names.h"
#include "sources/text_writers.h"

namespace fs = std::filesystem;

static std::string read_all(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds SEED_FOLDER\n");
    return 2;
  }
  const fs::path seeds = argv[1];
  const fs::path work = seeds / "sources.tmp";
  fs::create_directories(work);

  scenario::TrackModel model;
  model.nome_linea = scenario::kNomeLinea;
  model.numero_treno = scenario::kNumeroTreno;
  const scenario::FileNames names{model.nome_linea, model.numero_treno};
  scenario::dati_linea(work, model);
  scenario::dati_treno(work, model);
  const std::string line = read_all(scenario::in_folder(work, names.line_source()));
  const std::string train = read_all(scenario::in_folder(work, names.train_source()));
  fs::remove_all(work);

  std::ofstream out(seeds / "builtin_scenario", std::ios::binary | std::ios::trunc);
  out << line << "==treno==" << train;
  std::ofstream line_only(seeds / "builtin_line_only", std::ios::binary | std::ios::trunc);
  line_only << line;
  return out && line_only ? 0 : 1;
}
