#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "checker/diagnostic.h"
#include "checker/observation.h"
#include "compiler/track_model.h"

// The checker's warnings are found in parts, each over what one compile read
// and the model it made: the fields the compile passed over (keywords), each
// record's own values (records), each field against its range in the format
// table (ranges), the general values and profiles as a whole (references), and
// where each record's objects and values landed in the model (placements).
// These are the pieces the parts share.

namespace scenario::warnings {

std::string num(int64_t v);
std::string in_quotes(std::string_view text);
std::string_view trimmed(std::string_view text);
bool is_number(std::string_view text);
std::string lower(std::string_view text);
bool before(const SourcePlace& a, const SourcePlace& b);
bool is_text(const FieldFormat& format);
// What stands in a record's keyword field after its keyword's words (and the
// digits a curve or the cab-signal repetition takes): ";  8050" of
// "stazione;  8050". Empty when nothing does.
std::string glued_to_keyword(const ObservedRecord& record);

// The lines of the line source file's general block: from "[generale]" to the
// header that ends it.
struct Block {
  int32_t first = 0;
  int32_t last = 0;
  bool contains(int32_t line) const { return line > first && line < last; }
};

class Context {
 public:
  // `complete`: the compile read both files to their end, so that every
  // record it observed is in the model.
  Context(const Observation& o, const TrackModel& model, const FileNames& names, bool complete);

  const Observation& o;
  const TrackModel& model;
  const FileNames& names;
  const bool complete;
  const Block general;
  // The line's length, when the line was sized.
  std::optional<int32_t> length;

  SourceKind kind_of(std::string_view file) const;

  void add(int32_t code, const SourcePlace& place, int32_t length, std::string message, std::string hint = {});
  void at_field(int32_t code, const ObservedField& field, std::string message, std::string hint = {});
  void at_keyword(int32_t code, const ObservedRecord& record, std::string message, std::string hint = {});
  // A related location at a field or at a record's keyword.
  RelatedLocation related(const ObservedField& field, std::string message) const;
  RelatedLocation related(const ObservedRecord& record, std::string message) const;
  // The diagnostic added last, to give it related locations.
  Diagnostic& last() { return found_.back(); }

  Diagnostics take();

 private:
  Diagnostics found_;
};

// The parts.
void keyword_warnings(Context& c);
void record_warnings(Context& c);
void range_warnings(Context& c);
void reference_warnings(Context& c);
void placement_warnings(Context& c);

}  // namespace scenario::warnings
