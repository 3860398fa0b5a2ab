// Decompiling compiled files into sources that compile back to the same
// bytes, and naming what no source can give.
#include "output/decompile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/read_file.h"
#include "base/source_folder.h"
#include "bench/largest_line.h"
#include "driver/form1.h"
#include "output/compiled_input.h"
#include "output/memorizza_percorso.h"
#include "output/round_trip.h"
#include "output/source_records.h"
#include "sources/text_writers.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

struct Sources {
  std::string line_name, train_number, line, train;
};

// Compiles two sources in memory as the program does; nothing when they do
// not compile clean.
std::optional<CompiledFiles> compile_clean(const Sources& s) {
  TrackModel model;
  model.nome_linea = s.line_name;
  model.numero_treno = s.train_number;
  const FileNames names{s.line_name, s.train_number};
  MemoryFolder folder;
  folder.put(names.line_source(), s.line);
  folder.put(names.train_source(), s.train);
  CompileReport report;
  int32_t j = 1;
  try {
    if (compile_and_finish(model, folder, report, j) != Finish::compiled || report.code != 0) return std::nullopt;
  } catch (const std::exception&) {
    return std::nullopt;
  }
  return compiled_files_of(model);
}

std::string describe(const std::vector<Finding>& findings) {
  std::string text;
  for (const Finding& f : findings) text += "  " + f.where + ": " + f.what + "\n";
  return text;
}

// Decompiles, compiles the result and compares every byte.
void expect_round_trip(const Sources& s, const std::string& what) {
  const std::optional<CompiledFiles> files = compile_clean(s);
  ASSERT_TRUE(files) << what << " does not compile clean";
  const Decompiled d = decompile(*files);
  EXPECT_TRUE(d.findings.empty()) << what << ":\n" << describe(d.findings);
  const RoundTrip trip = round_trip(*files, d.line_name, d.train_number, source_file_bytes(render(d.line)),
                                    source_file_bytes(render(d.train)), true);
  EXPECT_TRUE(trip.same) << what << ":\n" << describe(trip.differences);
}

TEST(Decompile, BuiltInScenarioRoundTrips) {
  expect_round_trip({"Corvalle_Brinta", "24817", line_source_table().bytes(), train_source_table().bytes()},
                    "the built-in scenario");
}

}  // namespace
}  // namespace scenario
