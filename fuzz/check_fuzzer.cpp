// Fuzz target: the checker on any pair of source files.
//
// The input is split as for the compile's target: the line source file, the
// marker "==treno==", the train source file. Whatever the bytes, the check
// must end without a fault, every diagnostic must carry a code of the code
// table with its severity, and its first error must be the compile's own: the
// same code, in the same file, at the same line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "base/run_time_failure.h"
#include "base/source_folder.h"
#include "driver/form1.h"
#include "checker/checker.h"
#include "checker/error_messages.h"
#include "output/memorizza_percorso.h"
#include "checker/observation.h"

namespace {

using namespace scenario;

constexpr std::string_view kMarker = "==treno==";
const FileNames kNames{std::string(kNomeLinea), std::string(kNumeroTreno)};

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "check_fuzzer: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// The compile's first error, as the compile command tells it.
std::optional<Diagnostic> compile_first_error(const CheckSources& sources) {
  MemoryFolder folder;
  if (sources.line) folder.put(kNames.line_source(), *sources.line);
  if (sources.train) folder.put(kNames.train_source(), *sources.train);
  static TrackModel model;
  model.reset();
  model.nome_linea = kNames.nome_linea;
  model.numero_treno = kNames.numero_treno;
  CompileReport report;
  Observation observation;
  int32_t j = 1;
  Finish finish = Finish::compiled;
  try {
    finish = compile_and_finish(model, folder, report, j, &observation);
  } catch (const RunTimeFailure&) {
    if (auto error = compile_error(report, observation, model)) return error;
    return no_line_error(report, kNames);
  }
  if (auto error = compile_error(report, observation, model)) return error;
  if (finish != Finish::compiled) return fixed_value_error(finish, observation, model, kNames);
  const Diagnostics marks = missing_mark_errors(report, observation, model, kNames);
  if (!marks.empty()) return marks.front();
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t marker = input.find(kMarker);
  CheckSources sources{kNames, std::string(input.substr(0, marker)), std::nullopt};
  if (marker != std::string_view::npos) sources.train = std::string(input.substr(marker + kMarker.size()));

  CheckResult result;
  try {
    result = check_scenario(sources);
  } catch (const std::exception& failure) {
    finding(std::string("the check failed: ") + failure.what());
  }
  const Diagnostic* first_error = nullptr;
  for (const Diagnostic& d : result.diagnostics) {
    const CodeEntry* entry = find_code(d.code);
    if (entry == nullptr)
      finding("a diagnostic with the code " + std::to_string(d.code) + ", which is not in the table");
    if (entry->severity != d.severity) finding("code " + std::to_string(d.code) + " with another severity");
    if (d.message.empty()) finding("code " + std::to_string(d.code) + " without a message");
    if (d.severity == Severity::error && first_error == nullptr) first_error = &d;
  }
  const std::optional<Diagnostic> compiled = compile_first_error(sources);
  if (compiled.has_value() != (first_error != nullptr)) {
    finding(compiled ? "the compile reports " + std::to_string(compiled->code) + ", the check no error"
                     : "the check reports error " + std::to_string(first_error->code) + ", the compile none");
  }
  if (compiled && (compiled->code != first_error->code || compiled->place.file != first_error->place.file ||
                   compiled->place.line != first_error->place.line)) {
    finding("the compile reports " + std::to_string(compiled->code) + " at " + compiled->place.file + ":" +
            std::to_string(compiled->place.line) + ", the check first " + std::to_string(first_error->code) + " at " +
            first_error->place.file + ":" + std::to_string(first_error->place.line));
  }
  return 0;
}
