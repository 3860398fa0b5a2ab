// Fuzz target: the checker on any pair of source files.
//
// The input is split as for the compile's target: the line source file, the
// marker "==treno==", the train source file. Whatever the bytes, the check
// must end without a fault, every diagnostic must carry a code of the code
// table with its severity, and its first error must be the compile's own: the
// same code, in the same file, at the same line. For an input that compiles,
// every record whose stored values differ from those written (a field outside
// its range, an object not in its cell) carries a diagnostic at its line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_names.h"
#include "base/run_time_failure.h"
#include "base/source_folder.h"
#include "checker/checker.h"
#include "checker/error_messages.h"
#include "checker/observation.h"
#include "driver/form1.h"
#include "output/memorizza_percorso.h"

namespace {

using namespace scenario;

constexpr std::string_view kMarker = "==treno==";
const FileNames kNames{std::string(kNomeLinea), std::string(kNumeroTreno)};

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "check_fuzzer: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// The records of a compile without errors whose values did not land as
// written, found from the format table and the final model alone: a numeric
// field outside its range, or an object that is not in the cell its
// progressive gives it. Each is a file and a line.
std::vector<std::pair<std::string, int32_t>> records_not_landed(const Observation& o, const TrackModel& model) {
  std::vector<std::pair<std::string, int32_t>> lost;
  for (const ObservedRecord& r : o.records) {
    if (!r.complete()) continue;
    bool landed = true;
    for (const ObservedField& f : r.fields) {
      const ValueRange& range = f.format->limits;
      if (!range.when_field.empty() && r.number(range.when_field) != range.when_value) continue;
      if (out_of_range(*f.format, f.number).beyond != Beyond::unchecked) landed = false;
    }
    const auto holds = [&model](int32_t cell, uint8_t tipo) {
      return cell < 0 || cell > model.ultima_cella() || model.celle[static_cast<std::size_t>(cell)].tipo == tipo;
    };
    switch (r.format->id) {
      case Record::segnale:
        landed = landed && holds(object_cell(*r.number("posizione")), tipo_cella::segnale);
        break;
      case Record::indicatori_vmax:
        landed = landed && holds(object_cell(*r.number("posizione")), tipo_cella::indicatore_v_max);
        break;
      case Record::cartello_indicatore:
        landed = landed && holds(object_cell(*r.number("progressive")), tipo_cella::cartello);
        break;
      case Record::abbattimento:
        landed = landed && holds(boundary_cell(*r.number("progressive")),
                                 *r.number("value") >= 1 ? tipo_cella::abbattimento_valore : tipo_cella::abbattimento);
        break;
      default:
        break;
    }
    if (!landed) lost.emplace_back(r.place.file, r.place.line);
  }
  return lost;
}

// The compile's first error, as the compile command tells it; and, when it
// has none, the records whose values did not land.
std::optional<Diagnostic> compile_first_error(const CheckSources& sources,
                                              std::vector<std::pair<std::string, int32_t>>& not_landed) {
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
  not_landed = records_not_landed(observation, model);
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
  std::vector<std::pair<std::string, int32_t>> not_landed;
  const std::optional<Diagnostic> compiled = compile_first_error(sources, not_landed);
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
  // Every record whose values did not land as written is told at its line.
  for (const auto& record : not_landed) {
    // Named copies: clang 14 lets no lambda capture a structured binding.
    const auto& file = record.first;
    const auto& line = record.second;
    const bool told = std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                                  [&](const Diagnostic& d) { return d.place.file == file && d.place.line == line; });
    if (!told) finding("a value of the record at " + file + ":" + std::to_string(line) + " did not land, untold");
  }
  return 0;
}
