// The whole build against the golden copies of its six files, byte for byte.
// tests/golden/regenerate.sh rewrites the copies; a test never does.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/build_runner.h"
#include "support/file_layout.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

const std::set<std::string> kOutputs = {"Corvalle_Brinta_linea.dat",
                                        "Corvalle_Brinta_24817.sim",
                                        "Corvalle_Brinta_24817.dat",
                                        "Corvalle_Brinta_24817_note.txt",
                                        "Corvalle_Brinta_24817_rallentamenti.txt",
                                        "Corvalle_Brinta_24817_scheda_treno.txt"};

TEST(Golden, TheBuildWritesExactlyTheGoldenFiles) {
  testing::TempFolder folder;
  testing::RecordingPlatform platform(folder.path());
  Form1 form(platform);
  ASSERT_EQ(testing::run_build(form), 0);
  EXPECT_EQ(form.model().codice_errore, 0);

  std::set<std::string> written;
  for (const auto& entry : fs::directory_iterator(folder.path())) written.insert(entry.path().filename().string());
  EXPECT_EQ(written, kOutputs) << "the folder must hold the six files and nothing else";

  const fs::path golden = fs::path(SCENARIO_SOURCE_DIR) / "tests" / "golden";
  for (const std::string& name : kOutputs) {
    if (!written.contains(name)) continue;
    const std::string expected = testing::read_file(golden / name);
    const std::string actual = testing::read_file(folder / name);
    const std::size_t at = testing::first_difference(expected, actual);
    EXPECT_EQ(at, std::string::npos) << name << " differs from its golden copy at "
                                     << testing::describe_offset(name, expected, at) << "; sizes " << expected.size()
                                     << " (golden) and " << actual.size() << " (built)";
  }
}

}  // namespace
}  // namespace scenario
