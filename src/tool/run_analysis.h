#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "checker/diagnostic.h"
#include "compiler/compile_observer.h"
#include "running/running_time.h"
#include "tool/author_sources.h"
#include "tool/command_line.h"

namespace scenario::tool {

// What the commands that run the scenario's train share: the options that
// set the run, the rolling stock read from JSON, the places in the sources
// that a run's findings point at, and the run written for a person or as
// JSON.

// --rolling-stock FILE.json (or a catalogue id), --allowance PCT, --dwell S.
inline const std::vector<std::string_view> kRunOptions = {"--rolling-stock", "--allowance", "--dwell"};
struct RunSettings {
  std::optional<running::RollingStock> stock;  // none: the default for the train file's figures
  running::RunOptions options;
};
RunSettings run_settings(const Arguments& arguments);

// A rolling stock from its JSON description (docs/rolling-stock.schema.json):
// every value the catalogue's stock has, any left out taken from the
// catalogue entry named by "base" (or the locomotive with coaches). A
// description that is not JSON, has a value of the wrong kind or makes no
// runnable train is a run-time failure naming `file` and the fault.
running::RollingStock rolling_stock_from_json(const std::string& text, const std::string& file);
nlohmann::ordered_json rolling_stock_json(const running::RollingStock& stock);

// Where the run's findings point in the train source file: each station's
// time fields (hours to seconds), by its entry, and each slowdown's record,
// by its start cell. Learnt by watching the compile.
class RunPlaces : public CompileObserver {
 public:
  void record(const RecordFormat& format, const FieldRead& keyword) override;
  void field(const FieldFormat& format, const FieldRead& field) override;

  struct Place {
    SourcePlace place;
    int32_t length = 0;
  };
  std::optional<Place> station_time(int32_t entry) const;
  std::optional<Place> slowdown(int32_t start_cell) const;

 private:
  Record current_ = Record::lunghezza_percorso;
  bool in_record_ = false;
  int32_t stations_ = 0;
  Place keyword_;
  std::map<int32_t, Place> station_times_;
  std::map<int32_t, Place> slowdowns_;
};

// The run's findings as diagnostics at their places (the train file as a
// whole where there is none).
Diagnostics run_diagnostics(const running::RunResult& run, const RunPlaces& places, const FileNames& names);

// The scenario compiled from an author's sources in memory, as compile does,
// with the places the run's findings point at; whether the compile set a code.
struct CompiledSources {
  ScenarioView view;
  RunPlaces places;
  bool code = false;
};
CompiledSources compile_sources(const AuthorSources& sources);

// The whole run as JSON: the train and where each of its values came from,
// the legs, the warning boards, the findings and the points of the run.
nlohmann::ordered_json run_json(const running::RunResult& run);
// The run for a person: the train, a table of the legs, the boards.
std::string run_text(const running::RunResult& run);

}  // namespace scenario::tool
