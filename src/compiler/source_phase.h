#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/source_folder.h"
#include "compiler/compile_observer.h"
#include "compiler/compile_report.h"
#include "compiler/integer_fields.h"
#include "compiler/source_format.h"
#include "compiler/source_reader.h"
#include "compiler/track_model.h"

// The compile step reads the line source file and then the train source file,
// each in a phase of its own. These are the pieces both phases share; only
// memorizza_dati uses them.

namespace scenario {

// The source file being compiled, kept by memorizza_dati so that a run-time
// failure can be reported at the field that was being read.
struct SourceInReading {
  std::string file_name;
  std::optional<SourceReader> reader;  // empty until the file is opened
  // The record being read, and where its keyword stands; and, for a failure
  // that a later field only brings to light (a carried speed that does not
  // fit its field), the field that caused it.
  const RecordFormat* record = nullptr;
  SourcePlace record_place;
  std::optional<SourcePlace> cause;
};

// What follows a record of a source file.
enum class Next {
  record,        // read the next record
  end_of_phase,  // skip the rest of the file (a record outside the line, code 15)
  end_of_step,   // the file is deleted and codice_errore set: the compile is over
};

// The compile step's state shared by both phases.
struct CompileContext {
  TrackModel& model;
  SourceFolder& files;
  SourceInReading& source;
  CompileReport& report;
  CompileObserver* observer;  // none when nobody watches
};

// One source file in compilation.
class SourcePhase {
 public:
  virtual ~SourcePhase() = default;

 protected:
  SourcePhase(CompileContext& context, std::string file_name);

  // Reads the whole file from the folder; one that cannot be read is a
  // run-time failure.
  void open();
  SourceReader& reader() { return *source_.reader; }

  // Reads a keyword field into riga, discarding up to `comments` comment
  // fields (those containing "-") in a row. False at the end of the file, and
  // when a read brought the reader there: that field is never interpreted.
  bool next_keyword(int comments);

  // Handles record after record until the end of the file or of the phase:
  // every format of `formats` whose tests the keyword field passes is handed
  // to record(), in the table's order. False when the compile has ended.
  bool read_records(std::span<const RecordFormat> formats, int comments);
  // The formats a keyword passes, each handed to record() in order.
  Next dispatch(std::span<const RecordFormat> formats, const std::string& keyword);
  virtual Next record(const RecordFormat& format, const std::string& keyword) = 0;

  // The fields of the record being handled, each read as its format's type,
  // in the format's order: the name says which field the caller expects.
  int32_t number(std::string_view field);
  std::string text(std::string_view field);
  // Every field of a record made only of 32-bit numbers.
  template <std::size_t N>
  std::array<int32_t, N> numbers() {
    if (record_->fields.size() != N) throw std::logic_error("a record read with the wrong number of fields");
    std::array<int32_t, N> values{};
    for (std::size_t i = 0; i < N; ++i) values[i] = number(record_->fields[i].name);
    return values;
  }

  // Tells the observer that the field just read into riga is passed over.
  void pass_over(PassedOver why);

  // The place of the field just read, in this file, and of the record being
  // handled.
  SourcePlace place_here();
  SourcePlace record_place() const { return source_.record_place; }
  SourceInReading& source() { return source_; }

  // Whether an object at progressive p lies inside the line:
  // (p + margin) / 50 is not beyond the last cell.
  bool in_line(int32_t p, int32_t margin = kRecordMargin) const;

  void close_and_delete();

  // Ends the compile with `code`, set by `field` (the keyword when empty):
  // the file is closed and deleted.
  Next fail(int32_t code, std::string_view field = {});
  // A record outside the line: code 15, and the rest of the file is skipped.
  Next outside_line(std::string_view field);
  // Runs a builder on the record's fields: a failure that one of them
  // brought about is reported at that field.
  template <typename Builder>
  void build(Builder&& builder) {
    try {
      builder();
    } catch (const FieldFailure& failure) {
      source_.cause = field_place(failure.field());
      throw;
    }
  }
  // After a builder: the compile ends when codice_errore is above 0, whether
  // the builder set it or it was set earlier.
  Next after_builder(int32_t code_before, std::string_view field);

  TrackModel& model_;
  // Where the keyword field of the record being handled stands.
  int32_t keyword_line_ = 0;
  int32_t keyword_column_ = 0;

 private:
  struct Place {
    int32_t line = 0;
    int32_t column = 0;
  };

  void start_record(const RecordFormat& format);
  const FieldFormat& next_field(std::string_view name);
  Place place_of(std::string_view field) const;
  void set_code(int32_t code, std::string_view field);
  SourcePlace field_place(std::string_view field) const;

  void observe_field(const FieldFormat& format, std::string_view text, int32_t number);

  SourceFolder& files_;
  SourceInReading& source_;
  CompileReport& report_;
  CompileObserver* observer_;
  const std::string file_name_;

  const RecordFormat* record_ = nullptr;  // the record being handled
  std::size_t fields_read_ = 0;
  static constexpr std::size_t kMaxFields = 17;
  std::array<Place, kMaxFields> field_places_{};
};

// Where the line source file gave the reference that ends up in each of the
// entries 81, 82 and 83 once ordered.
struct ReferenceSource {
  bool given = false;  // false: no record gave it
  Record record = Record::progressiva_uno;
  SourcePlace keyword;
  SourcePlace start;
  SourcePlace kilometre;
};
using ReferenceSources = std::array<ReferenceSource, 3>;

// The two phases. Each returns false when the compile has ended inside it.
// Sign texts fill the scenario table from 80 downward, stations from 1 upward:
// the line phase leaves in `sign_slot` the first entry below the sign texts,
// and in `references` where each ordered kilometre reference came from.
bool compile_line_source(CompileContext& context, const std::string& file_name, int32_t& sign_slot,
                         ReferenceSources& references);
bool compile_train_source(CompileContext& context, const std::string& file_name, int32_t sign_slot);

}  // namespace scenario
