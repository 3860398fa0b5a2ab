#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "compiler/compile_report.h"
#include "compiler/track_model.h"
#include "driver/platform.h"

namespace scenario {

inline constexpr std::string_view kNomeLinea = "Corvalle_Brinta";
inline constexpr std::string_view kNumeroTreno = "24817";

// The message errore shows: the literal keeps its leading and trailing space.
std::string errore_message(std::string_view a);

// The message for a run-time failure that no step handles, in the program's
// language: a file that cannot be written is named with the system's reason.
std::string failure_message(const std::exception& failure);

// The program's one window and the whole top level of a build: Form_Load sets
// the scenario's names, shows the waiting window, runs every step in its fixed
// order and ends the program. The track model belongs to it for the whole run.
class Form1 {
 public:
  explicit Form1(Platform& platform) : platform_(platform) {}
  virtual ~Form1() = default;

  // Runs the build and ends the program; it never returns.
  [[noreturn]] void Form_Load();

  // Shows " Errore n. " followed by `a` in a message box, then ends the
  // program with status 1. Nothing after the call runs.
  [[noreturn]] void errore(const std::string& a);

  const TrackModel& model() const { return model_; }
  const CompileReport& report() const { return report_; }

 protected:
  // The build steps, in the order Form_Load calls them. Virtual so that a test
  // can record the order without running the real steps.
  virtual void dati_linea();
  virtual void dati_treno();
  virtual void dati_note();
  virtual void dati_rallentamenti();
  virtual void dati_scheda();
  virtual void memorizza_percorso(int32_t& j);

  TrackModel& mutable_model() { return model_; }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  Platform& platform_;
  TrackModel model_;
  CompileReport report_;
  std::filesystem::path folder_;
};

}  // namespace scenario
