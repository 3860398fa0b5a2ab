#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "compiler/source_reader.h"
#include "compiler/track_model.h"

// The compile step reads the line source file and then the train source file,
// each in a phase of its own. These are the pieces both phases share; only
// memorizza_dati uses them.

namespace scenario {

// The source file being compiled, kept by memorizza_dati so that a run-time
// failure can be reported at the line that was being read.
struct SourceInReading {
  std::string file_name;
  std::optional<SourceReader> reader;  // empty until the file is opened
};

// What follows a record of a source file.
enum class Next {
  record,        // read the next record
  end_of_phase,  // skip the rest of the file (a record outside the line, code 15)
  end_of_step,   // the file is deleted and codice_errore set: the compile is over
};

// One source file in compilation.
class SourcePhase {
 public:
  virtual ~SourcePhase() = default;

 protected:
  SourcePhase(TrackModel& model, std::filesystem::path file, SourceInReading& source);

  // Opens the file; one that cannot be read is a run-time failure.
  void open();
  SourceReader& reader() { return *source_.reader; }

  // Reads a keyword field into riga, discarding up to `comments` comment
  // fields (those containing "-") in a row. False at the end of the file, and
  // when a read brought the reader there: that field is never interpreted.
  bool next_keyword(int comments);

  // Handles record after record, each through record(), until the end of the
  // file or of the phase. False when the compile has ended.
  bool read_records();
  virtual Next record() = 0;

  // Whether an object at progressive p lies inside the line:
  // (p + margin) / 50 is not beyond the last cell.
  bool in_line(int32_t p, int32_t margin = 100) const;

  void close_and_delete();

  // Ends the compile with `code`: the file is closed and deleted.
  Next fail(int32_t code);
  // A record outside the line: code 15, and the rest of the file is skipped.
  Next outside_line();
  // After a builder: the compile ends when codice_errore is above 0, whether
  // the builder set it or it was set earlier.
  Next after_builder(int32_t code_before);

  TrackModel& model_;
  const std::filesystem::path file_;
  int32_t record_line_ = 0;  // line of the keyword field being handled

 private:
  void set_code(int32_t code);

  SourceInReading& source_;
};

// The two phases. Each returns false when the compile has ended inside it.
// Sign texts fill the scenario table from 80 downward, stations from 1 upward:
// the line phase leaves in `sign_slot` the first entry below the sign texts.
bool compile_line_source(TrackModel& model, const std::filesystem::path& file, SourceInReading& source,
                         int32_t& sign_slot);
bool compile_train_source(TrackModel& model, const std::filesystem::path& file, SourceInReading& source,
                          int32_t sign_slot);

}  // namespace scenario
