#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

// The two source formats, described once: every record the compiler
// recognises, in the order it tries them, how its keyword field is
// recognised, and the fields that follow the keyword with their types and
// meanings. The compiler reads every record through this table; the format's
// documentation, an editor's grammar, hover texts and completion come from it.

enum class SourceKind { line, train };

// Every record of both formats.
enum class Record {
  // the line source file's general block
  lunghezza_percorso,
  progressiva_tre,
  progressiva_due,
  progressiva_uno,
  sfondo_uno,
  sfondo_due,
  sfondo_tre,
  ripetizione_segnali,
  // the line source file's records
  pendenza,
  curva,
  montagna,
  indicatori_vmax,
  cartello_indicatore,
  // the train source file's records
  massa_frenata,
  numero_vetture,
  velocita,
  aderenza,
  orologio,
  sabbia,
  segnale,
  rallentamento,
  abbattimento,
  stazione,
};

// How a field is read. Numbers are decimal integers, optionally signed; a
// number that does not fit its type, or text where a number belongs, ends the
// compile with code 25. An empty numeric field reads 0.
enum class FieldType {
  int32,        // signed 32-bit
  int16,        // signed 16-bit
  uint8,        // 0 to 255
  text,         // to the next comma or line end
  stored_text,  // a text the scenario table keeps: at most 32767 bytes
};

// What a progressive field places, and so which cell it lands in.
enum class Placement {
  none,
  object,            // an object at progressive p: cell nearest(p / 50 + 1)
  section_boundary,  // a profile section or abatement point: cell nearest(p / 50)
  station,           // a station; its stop cell follows from its area
};

// What the compile makes of a value outside its field's range, on one side.
enum class Beyond {
  unchecked,  // nothing to tell: no bound on this side, or the compile stops with an error there
  kept,       // stored as written, although the simulator expects a value inside the range
  low8,       // the cell keeps the low 8 bits of value + offset
  low16,      // the cell keeps the low 16 bits of value + offset, signed
  digit,      // packed as a decimal digit: it spills into the value packed with it
  nothing,    // the record makes nothing of it (see `outcome`)
};

// The values of a field that are stored as written and make sense, low to
// high, and what becomes of a value below or above them. A range may hold only
// when another field of the record has a value (a signal's time counts only
// when sx is 2).
struct ValueRange {
  int32_t low = 0;
  int32_t high = 0;
  Beyond below = Beyond::unchecked;
  Beyond above = Beyond::unchecked;
  // For kept and nothing: what a value below or above does.
  std::string_view below_outcome = {};
  std::string_view above_outcome = {};
  int32_t offset = 0;  // low8 and low16: added before the bits are kept
  std::string_view when_field = {};
  int32_t when_value = 0;

  bool bounded() const { return below != Beyond::unchecked || above != Beyond::unchecked; }
};

struct FieldFormat {
  std::string_view name;
  FieldType type;
  std::string_view unit;     // "m", "km/h", "per mille", ... ; empty for a plain number
  std::string_view range;    // what the values must be beyond `limits`, in words ("a multiple of 50")
  std::string_view meaning;  // what the field is, for an author
  std::string_view stored;   // what the compiler makes of it
  Placement placement = Placement::none;
  ValueRange limits = {};
};

// The range of a field in words, its limits and `range` together: "0 to 9",
// "-100 to 155", "a multiple of 50, inside the line".
std::string range_text(const FieldFormat& field);
// What the compile does with a value outside the limits, in words; empty when
// the field has none.
std::string beyond_text(const FieldFormat& field);

// What a value outside a field's limits becomes.
struct OutOfRange {
  Beyond beyond = Beyond::unchecked;  // unchecked: the value is inside, or nothing to tell
  int32_t stored = 0;                 // low8 and low16: the value as the cell reads back
};
OutOfRange out_of_range(const FieldFormat& field, int32_t value);

struct RecordFormat {
  Record id;
  std::string_view keyword;  // as the template writes it
  // Recognised when the keyword field contains every non-empty test text,
  // anywhere in it; letter case is ignored unless exact_case.
  std::array<std::string_view, 2> tests;
  bool exact_case;
  std::span<const FieldFormat> fields;  // after the keyword, in order, all on the keyword's line
  std::string_view meaning;
  std::string_view plural = {};  // how a count of them reads, "13 stations"; empty for the general block
};

// A section header as the template writes it. Only "[generale]" means
// anything to the compiler; the others are read as fields that name no record.
struct SectionFormat {
  std::string_view header;
  std::string_view meaning;
  std::span<const Record> records;  // the records the section holds in a hand-made file
};

struct SourceFormat {
  SourceKind kind;
  std::string_view file_name;  // with NAME and NUM for the line name and the train number
  // The line source file's general block, tried on every field from
  // "[generale]" to the next header; empty for the train source file.
  std::span<const RecordFormat> general;
  // The records after the general block (the line) or after "[generale]"
  // (the train), each test tried in this order on every keyword field.
  std::span<const RecordFormat> records;
  std::span<const SectionFormat> sections;
  // Comment fields (those containing a hyphen) discarded in a row before a
  // keyword: in the general block, and in the records.
  int general_comments;
  int record_comments;
};

const SourceFormat& line_format();
const SourceFormat& train_format();
const SourceFormat& format_of(SourceKind kind);

// The format of a record, and whether a keyword field passes its tests.
const RecordFormat& record_format(Record id);
bool recognises(const RecordFormat& format, std::string_view keyword);

// The header that opens the part of a file the compiler reads.
inline constexpr std::string_view kGeneralHeader = "[generale]";

}  // namespace scenario
