// Fuzz target: the compile and the finishing step on any pair of source files.
//
// The input is the line source file, then the marker "==treno==", then
// the train source file (an input without the marker has no train source
// file). Both are written into a private folder and memorizza_percorso runs
// there as the program runs it. Whatever the bytes, the step must end in one
// of three ways, and the folder must hold exactly the files that way allows:
//
//   - it returns, with a code from the code table; the three compiled files
//     are there, each as long as the model says;
//   - errore is called with 1250 or 1251; no compiled file is written;
//   - a run-time failure escapes, only because the line gave fewer than two
//     cells (there is no cell 1 for the fixed values); no compiled file.
//
// The line source file never remains; the train source file remains only when
// the compile ended in the line phase. Reads and writes outside the model's
// arrays are caught by the bounds-checked accessors (code 25) and, for
// everything else, by the address and undefined-behaviour sanitizers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include "base/run_time_failure.h"
#include "driver/form1.h"
#include "output/compiled_files.h"
#include "base/file_names.h"
#include "output/memorizza_percorso.h"

namespace {

namespace fs = std::filesystem;
using scenario::FileNames;
using scenario::TrackModel;

constexpr std::string_view kMarker = "==treno==";

const FileNames kNames{std::string(scenario::kNomeLinea), std::string(scenario::kNumeroTreno)};

// errore ends the program; here it ends the run of one input.
struct ErroreShown {
  std::string number;
};

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "compile_fuzzer: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// The codes the compile may end with; the finishing pass adds 11, 12 and 13.
bool compile_code(int32_t code) {
  static const std::set<int32_t> kCodes = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  15,
                                           16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};
  return kCodes.count(code) != 0;
}

void check_codes(const TrackModel& model) {
  if (!compile_code(model.codice_compilazione)) {
    finding("the compile ended with code " + std::to_string(model.codice_compilazione) +
            ", which is not in the code table");
  }
  const int32_t code = model.codice_errore;
  const bool finishing_code = code == 11 || code == 12 || code == 13;
  if (code != model.codice_compilazione && !finishing_code) {
    finding("codice_errore " + std::to_string(code) + " after the compile ended with " +
            std::to_string(model.codice_compilazione));
  }
}

// A folder of its own for the whole fuzzing run, in memory where the machine
// offers it (the plan file of a long line is tens of megabytes), removed at
// the end.
class PrivateFolder {
 public:
  PrivateFolder() {
    const fs::path base = fs::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                                                        : fs::temp_directory_path();
    std::string pattern = (base / "compile-fuzzer-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) finding("cannot create a private folder under " + base.string());
    path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

  void clear() const {
    for (const auto& entry : fs::directory_iterator(path_)) fs::remove_all(entry.path());
  }

  std::set<std::string> contents() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.insert(entry.path().filename().string());
    return names;
  }

 private:
  fs::path path_;
};

void write(const fs::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) finding("cannot write " + file.string());
}

std::string describe(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += " " + name;
  return text.empty() ? " (nothing)" : text;
}

// The plan file's length without encoding it again: each value is a 16-bit
// type code followed by nothing, a 16-bit integer or a double.
std::size_t plan_bytes(const scenario::Tracciato& plan) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const scenario::PlanValue v = plan.stored(i);
    bytes += 2;
    if (v.kind == scenario::PlanValue::Kind::Integer) bytes += 2;
    if (v.kind == scenario::PlanValue::Kind::Double) bytes += 8;
  }
  return bytes;
}

void expect_size(const fs::path& file, std::size_t size) {
  if (!fs::is_regular_file(file)) finding(file.filename().string() + " is missing");
  if (fs::file_size(file) != size) {
    finding(file.filename().string() + " holds " + std::to_string(fs::file_size(file)) + " bytes, not " +
            std::to_string(size));
  }
}

// What the folder may hold after the step, besides the compiled files.
void check_sources_left(const TrackModel& model, std::set<std::string>& left) {
  if (left.erase(kNames.line_source()) != 0) finding("the line source file was left behind");
  // Codes 2, 15 and 25 are never the end of the line phase: 2 is set after
  // both files, 15 ends only the phase, 25 deletes both files.
  const int32_t code = model.codice_compilazione;
  const bool ended_in_line_phase =
      code != 0 && code != 2 && code != 15 && code != 25 && model.file_errore == kNames.line_source();
  if (left.erase(kNames.train_source()) != 0 && !ended_in_line_phase) {
    finding("the train source file was left behind although the compile did not end in the line phase (code " +
            std::to_string(code) + ")");
  }
}

void check_no_compiled_file(std::set<std::string>& left, const char* why) {
  if (!left.empty()) finding(std::string(why) + ", yet the folder holds" + describe(left));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const PrivateFolder folder;
  folder.clear();

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find(kMarker);
  write(folder.path() / kNames.line_source(), input.substr(0, marker));
  if (marker != std::string_view::npos) {
    write(folder.path() / kNames.train_source(), input.substr(marker + kMarker.size()));
  }

  TrackModel model;
  model.nome_linea = kNames.nome_linea;
  model.numero_treno = kNames.numero_treno;
  int32_t j = 1;  // as the program: the plan file too
  const scenario::Errore errore = [](const std::string& a) { throw ErroreShown{a}; };

  enum class Outcome { returned, errore, run_time_failure } outcome = Outcome::returned;
  std::string detail;
  try {
    scenario::memorizza_percorso(model, folder.path(), j, errore);
  } catch (const ErroreShown& shown) {
    outcome = Outcome::errore;
    detail = shown.number;
  } catch (const scenario::RunTimeFailure& failure) {
    outcome = Outcome::run_time_failure;
    detail = failure.what();
  } catch (const std::exception& other) {
    finding(std::string("unexpected exception: ") + other.what());
  }

  check_codes(model);
  std::set<std::string> left = folder.contents();
  check_sources_left(model, left);

  switch (outcome) {
    case Outcome::returned:
      expect_size(folder.path() / kNames.plan(), plan_bytes(model.tracciato));
      expect_size(folder.path() / kNames.scenario(), scenario::encode_scenario(model).size());
      expect_size(folder.path() / kNames.route(), 15 * model.celle.size());
      left.erase(kNames.plan());
      left.erase(kNames.scenario());
      left.erase(kNames.route());
      if (!left.empty()) finding("stray files left:" + describe(left));
      break;
    case Outcome::errore:
      if (detail != "1250" && detail != "1251") finding("errore called with " + detail);
      check_no_compiled_file(left, ("errore " + detail).c_str());
      break;
    case Outcome::run_time_failure:
      if (model.celle.size() >= 2) finding("run-time failure after the compile: " + detail);
      check_no_compiled_file(left, "the line gave no cells");
      break;
  }
  return 0;
}
