#include "tool/format_reference.h"

#include "compiler/codes.h"
#include "compiler/kilometres.h"
#include "compiler/source_format.h"

namespace scenario::tool {

namespace {

std::string type_name(FieldType type) {
  switch (type) {
    case FieldType::int32:
      return "whole number";
    case FieldType::int16:
      return "whole number, -32768 to 32767";
    case FieldType::uint8:
      return "whole number, 0 to 255";
    case FieldType::text:
      return "text";
    case FieldType::stored_text:
      return "text, at most 32767 characters";
  }
  return "";
}

// A table cell: "|" would end it.
std::string cell(std::string_view text) {
  std::string out;
  for (const char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out.empty() ? "" : out;
}

std::string tests_text(const RecordFormat& record) {
  std::string text;
  for (const std::string_view test : record.tests) {
    if (test.empty()) continue;
    text += (text.empty() ? "\"" : " and \"") + std::string(test) + "\"";
  }
  return text + (record.exact_case ? " (exact letter case)" : " (any letter case)");
}

// What a record's values do when they leave the bits they are packed into:
// the object is refused whole, never placed in part.
std::string_view overflow_note(Record record) {
  switch (record) {
    case Record::indicatori_vmax:
      return "A speed pair outside -32768 to 32767 is a run-time failure (code 25) at the speed that takes it "
             "there; the board is refused whole, nothing of it is placed.";
    case Record::segnale:
      return "A value whose packing leaves 32 bits (s1 x 10 + d1 and the others) is a run-time failure (code 25) "
             "at that value; as with a board's speed, the signal is refused whole: neither its cell nor its "
             "approach markers are written.";
    default:
      return {};
  }
}

void records_section(std::string& out, std::span<const RecordFormat> records) {
  for (const RecordFormat& record : records) {
    out += "#### `" + std::string(record.keyword) + "`\n\n";
    std::string meaning = cell(record.meaning);
    if (!meaning.empty() && meaning[0] >= 'a' && meaning[0] <= 'z')
      meaning[0] = static_cast<char>(meaning[0] - 'a' + 'A');
    out += meaning + ". Recognised when the keyword field contains " + tests_text(record) + ".\n\n";
    out += "| # | field | type | unit | range | outside the range | meaning | what the compiler makes of it |\n";
    out += "|---|---|---|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      const FieldFormat& f = record.fields[i];
      std::string beyond = beyond_text(f);
      if (!f.limits.when_field.empty() && !beyond.empty()) {
        beyond += " (when " + std::string(f.limits.when_field) + " is " + std::to_string(f.limits.when_value) + ")";
      }
      out += "| " + std::to_string(i + 1) + " | `" + std::string(f.name) + "` | " + type_name(f.type) + " | " +
             cell(f.unit) + " | " + cell(range_text(f)) + " | " + cell(beyond) + " | " + cell(f.meaning) + " | " +
             cell(f.stored) + " |\n";
    }
    out += "\nAs the template writes it: `" + std::string(record.keyword);
    for (const FieldFormat& f : record.fields) out += ", " + std::string(f.name);
    out += "`\n\n";
    if (const std::string_view note = overflow_note(record.id); !note.empty()) out += std::string(note) + "\n\n";
  }
}

void file_section(std::string& out, const SourceFormat& format, const char* title) {
  out += "## " + std::string(title) + " (`" + std::string(format.file_name) + "`)\n\n";
  out += "Sections, in the order the template writes them:\n\n| header | holds |\n|---|---|\n";
  for (const SectionFormat& section : format.sections) {
    out += "| `" + std::string(section.header) + "` | " + cell(section.meaning) + " |\n";
  }
  out += "\n";
  if (!format.general.empty()) {
    out +=
        "### The general block\n\nRead from `[generale]` to the next section header; each keyword field is "
        "tried against every record below, in this order.\n\n";
    records_section(out, format.general);
    out +=
        "### The records\n\nRead after the general block, under any header; each keyword field is tried "
        "against every record below, in this order.\n\n";
  } else {
    out +=
        "### The records\n\nRead from `[generale]` to the end of the file, under any header; each keyword field "
        "is tried against every record below, in this order.\n\n";
  }
  records_section(out, format.records);
}

// How the kilometre references read, with the built-in line's evidence.
void kilometre_section(std::string& out) {
  out +=
      "## How the kilometre references read\n\n"
      "A kilometre reference (`progressiva chilometrica uno`, `due`, `tre`: start, value, direction) ties "
      "progressives to the kilometres of the posts and signs along the track. From its start up to the next "
      "reference's start the kilometre is\n\n"
      "- direction 0 (counting up): kilometre = progressive + value;\n"
      "- direction 1 (counting down): kilometre = value - progressive.\n\n"
      "The value is the constant that ties the two counts, not the kilometre at the start; a direction-1 value is "
      "the one the source gives (the compile stores it " +
      std::to_string(kDescendingRaise) +
      " m higher). Before the first start the first reference holds; without any, the kilometre is the "
      "progressive. The built-in line's `uno` (0, 90000, 1) and `due` (1500, -1500, 0) put its origin at km "
      "90+000 and km 0+000 at progressive 1500, as its timetable card has it (origin 90.000, \"cippo km 0.000\", "
      "then 7 of the 12 other stations at exactly their progressive - 1500, the others within 200 m). A "
      "level-crossing sign (`(PL km)(1+522)`, `(PLA km)(36+409)`) stands before its crossing and names the "
      "crossing's kilometre: that kilometre lies 0 to " +
      std::to_string(kSignAheadMost) +
      " m further on in the direction the kilometres count (on the built-in line, all 42 signs 102 to 141 m). "
      "Where a line's signs disagree with its references, `scenario_tool view` labels its axis in progressives, "
      "marks each reference with its values and says which sign disagrees; `diff`, `dump` and the viewer give "
      "every kilometre by this reading.\n\n";
}

}  // namespace

std::string format_reference() {
  std::string out =
      "# The source files of a scenario\n\n"
      "A scenario is two text files: the line source file (the line: its length, kilometre references, curves, "
      "gradients, mountains, speed boards and signs) and the train source file (the train: its composition, "
      "clock, speed and adhesion profiles, stations, slowdowns and signals). `scenario_tool sources` writes the "
      "built-in pair as a template (`--annotated` with comments), `scenario_tool check` reports every problem, "
      "`scenario_tool compile` builds the compiled files. This reference is made from the tables the compiler "
      "reads with (`scenario_tool explain --format` prints it).\n\n"
      "## How the files are read\n\n"
      "- Both files are Windows-1252 text, one record a line, lines ended by CR LF (a lone CR or LF counts too).\n"
      "- A file is a stream of fields. A field ends at a comma or at the end of a line; blanks before a field "
      "are skipped. Fields are read across line ends: a record is its keyword field and exactly the number of "
      "fields listed for it, so write each record on one line with exactly those fields.\n"
      "- A number is a whole decimal number, optionally signed (`-1500`); it also ends at the first blank after "
      "its digits, so `13   57   40` is three numbers. An empty number field reads 0. Numbers take no unit and no "
      "decimals: `8,5` is the number 8 and a stray field.\n"
      "- A text runs to the next comma or line end: a name or a sign text holds no comma.\n"
      "- A keyword field is recognised by the texts it contains, anywhere in it (see each record). A field that "
      "names no record is skipped.\n"
      "- Comments: a keyword field that contains a hyphen `-` is discarded and the next field is read in its "
      "place; up to 10 in a row in the line file's general block, 2 in a row elsewhere. The next one (the third in "
      "a row in the records, the eleventh in the general block) is read as a keyword field: it names no record and "
      "is skipped, and a record keyword in it is read as that record. Write a comment as a line of its own that "
      "starts with `--` and holds no comma; a comment after a text on the same line is part of the text. A line "
      "starting with `#` is not a comment.\n"
      "- Only what follows `[generale]` is read. The other section headers are for people; the file's last "
      "field is never read, so the template ends with `[fine]`.\n"
      "- Progressives are metres from the line's origin. The line is divided into cells of 50 m: an object at "
      "progressive p stands in cell nearest(p / 50 + 1), a profile section or a speed abatement point starts at "
      "cell nearest(p / 50); a cell holds one object.\n"
      "- Ranges: each field's range is the values that are stored as written and make sense. Outside it the "
      "compile still builds, and the column \"outside the range\" says what it makes of the value: the low 8 or 16 "
      "bits a cell keeps (the value reads back as another), a decimal digit that spills into the value packed with "
      "it, a value kept as written although the simulator expects the range, or a record that places nothing. "
      "`scenario_tool check` warns of each.\n"
      "- Values left to the simulator: the format stores the scenery selectors, the sand value, the signal values, "
      "the mountain types, the station types and the station columns 4 to 13 as given, and the simulator that "
      "reads the compiled files gives them their meaning. The ranges of these fields show the values the template "
      "uses, as examples.\n"
      "- File names: the line source file is `NAME_linea.txt` and the train source file `NAME_NUM-.txt`. The line "
      "name comes from the line source file's name; of the train source file's name only the train number, after "
      "the last `_`, counts: the name before it is ignored.\n\n";
  file_section(out, line_format(), "The line source file");
  file_section(out, train_format(), "The train source file");
  kilometre_section(out);
  out +=
      "## Codes\n\nErrors are the compile's codes (the compile stops at the first), the finishing codes and the "
      "two error numbers the program shows; warnings and notes are the checker's; codes from 400 are those of "
      "`decompile` and `diff`: compiled files that do not decode whole, and what no source can give. "
      "`scenario_tool explain CODE` tells why each matters and how to fix it.\n\n| code | severity | name | meaning "
      "|\n|---|---|---|---|\n";
  for (const CodeEntry& entry : kCodeTable) {
    out += "| " + std::to_string(entry.number) + " | " + std::string(severity_name(entry.severity)) + " | `" +
           std::string(entry.name) + "` | " + cell(entry.text) + " |\n";
  }
  return out;
}

}  // namespace scenario::tool
