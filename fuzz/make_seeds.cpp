// Writes the fuzzer's seeds for the built-in scenario: the line source file and
// the train source file exactly as the program writes them, joined by the
// marker that the fuzz target splits at, and the line source file alone. Run
// by the fuzz build, so the seeds always follow the scenario the program
// carries.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "sources/text_writers.h"

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
  return out && line_only ? 0 : 1;
}
