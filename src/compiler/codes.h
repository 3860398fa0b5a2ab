#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace scenario {

// Every code a build can end with, and every warning and note an author is
// told of, in one table: the compile step's codes in codice_errore, the
// finishing sweep's 11 to 13, the two error numbers the program shows, 1250
// and 1251, and the checker's warnings (200 and up) and notes (300 and up).
// The compiler, the finishing step, the checker, the authoring tool's messages
// and the fuzz targets all take their codes from here.

enum class CodeStage {
  compile,    // set by the compile step; the compile ends
  finishing,  // set by the finishing sweep, which goes on
  shown,      // shown to the user; nothing is written
  check,      // found by the checker; the build does not see it
  run,        // found by the running-time analysis (run, check --run); the build does not see it
  recovery,   // found reading compiled files back or recovering sources from them
};

enum class Severity { error, warning, note };

struct CodeEntry {
  int32_t number;
  std::string_view name;  // stable, for machines: "signal-cell-taken"
  std::string_view text;  // what is wrong, in a few words
  CodeStage stage;
  Severity severity = Severity::error;
};

inline constexpr CodeEntry kCodeTable[] = {
    {1, "line-too-long", "the line length is over 1000000 m", CodeStage::compile},
    {2, "kilometre-reference-off-grid", "a kilometre reference's start or kilometre value is not a multiple of 50",
     CodeStage::compile},
    {3, "repetition-first-off-grid", "the first \"ripetizione segnali\" value is not a multiple of 50",
     CodeStage::compile},
    {4, "repetition-second-off-grid", "the second \"ripetizione segnali\" value is not a multiple of 50",
     CodeStage::compile},
    {5, "repetition-without-code-system", "the \"ripetizione segnali\" keyword names neither 4 nor 9 codes",
     CodeStage::compile},
    {6, "sign-cell-taken", "the sign board's cell is not free", CodeStage::compile},
    {7, "abatement-cell-taken", "the speed abatement point's cell is not free", CodeStage::compile},
    {8, "station-off-grid", "the station progressive is not a multiple of 50", CodeStage::compile},
    {9, "station-length-off-grid", "the station length is not a multiple of 100", CodeStage::compile},
    {10, "scenario-table-full",
     "the stations reach the sign texts in the scenario table (80 entries for stations and signs)", CodeStage::compile},
    {11, "no-mark-before-signal",
     "no free cell for a speed abatement mark before a signal ahead of a slowdown warning board", CodeStage::finishing},
    {12, "no-mark-before-slowdown", "no free cell for a speed abatement mark before a slowdown start",
     CodeStage::finishing},
    {13, "no-mark-in-slowdown", "no free cell for a speed abatement mark inside or after a slowdown",
     CodeStage::finishing},
    {15, "beyond-line-end", "the record lies beyond the end of the line; the rest of the file is not read",
     CodeStage::compile},
    {16, "signal-cell-taken", "the signal's cell is not free", CodeStage::compile},
    {17, "warning-board-cell-taken", "the slowdown warning board's cell (1200 m before the start) is not free",
     CodeStage::compile},
    {18, "slowdown-start-cell-taken", "the slowdown start cell is not free", CodeStage::compile},
    {19, "slowdown-end-cell-taken", "the slowdown end cell is not free", CodeStage::compile},
    {20, "before-warning-board-cell-taken", "one of the four cells before the slowdown warning board is not free",
     CodeStage::compile},
    {21, "board-cell-taken", "the maximum-speed board's cell is not free", CodeStage::compile},
    {22, "stations-too-close", "the station area begins less than 350 m after the previous station's area ends",
     CodeStage::compile},
    {24, "station-without-stop-cell", "the station area ends at progressive 100 or less: there is no cell for its stop",
     CodeStage::compile},
    {25, "run-time-failure", "run-time failure while compiling", CodeStage::compile},
    {101, "line-source-missing", "the line source file is missing", CodeStage::compile},
    {102, "no-general-block", "the line source file has no \"[generale]\" section", CodeStage::compile},
    {103, "curve-without-class", "the curve keyword names no class 1 to 6, or the plan runs past 1000000 m",
     CodeStage::compile},
    {1250, "fixed-value-taken",
     "cell 1's dato1 or entry 85's col7 is already taken; they are reserved for fixed values", CodeStage::shown},
    {1251, "competition-code-taken",
     "cell 1's dato2 or entry 85's orario is already taken; they are reserved for the competition codes",
     CodeStage::shown},

    // Warnings: it compiles, but almost certainly not as meant.
    {201, "unknown-keyword", "a keyword field that names no record: the record is skipped", CodeStage::check,
     Severity::warning},
    {202, "keyword-in-comment", "a hyphen makes this keyword field a comment: the record is skipped", CodeStage::check,
     Severity::warning},
    {203, "hash-is-no-comment", "a line starting with # is read as a record, not as a comment", CodeStage::check,
     Severity::warning},
    {204, "stray-field", "a field after the record's last one: it is read as a keyword field and skipped",
     CodeStage::check, Severity::warning},
    {205, "record-continues-on-next-line",
     "the record has fewer fields on its line than it needs: it takes the rest from the next line", CodeStage::check,
     Severity::warning},
    {206, "train-without-general-block", "the train source file has no [generale]: nothing of it is read",
     CodeStage::check, Severity::warning},
    {207, "record-of-the-other-file", "a record of the other source file: this file does not read it", CodeStage::check,
     Severity::warning},
    {208, "curve-side-from-an-s", "the curve turns left because its keyword holds an \"s\"", CodeStage::check,
     Severity::warning},
    {209, "curve-with-two-classes", "the curve keyword holds more than one class digit: the lowest counts",
     CodeStage::check, Severity::warning},
    {210, "rows-out-of-order", "a row stands before the previous row of its profile", CodeStage::check,
     Severity::warning},
    {211, "curves-overlap", "the curve starts before the previous one ends: the turn goes on from the plan's end",
     CodeStage::check, Severity::warning},
    {212, "mountain-ends-before-start", "the mountain ends before it starts: it covers no cell", CodeStage::check,
     Severity::warning},
    {213, "station-time-goes-back", "the station's time is earlier than the previous station's", CodeStage::check,
     Severity::warning},
    {214, "no-speed-at-origin", "no speed row at progressive 0: the speed limit is 0 km/h up to the first row",
     CodeStage::check, Severity::warning},
    {215, "no-adhesion-at-origin", "no adhesion row at progressive 0: the adhesion is 0 up to the first row",
     CodeStage::check, Severity::warning},
    {216, "speed-rounded", "the speed is not a multiple of 5 km/h: it is stored rounded", CodeStage::check,
     Severity::warning},
    {217, "past-the-line-end", "the record stands past the end of the line, in the 7000 m the line runs on",
     CodeStage::check, Severity::warning},
    {218, "general-keyword-case", "a general block keyword in other letter case: those are matched exactly",
     CodeStage::check, Severity::warning},
    {219, "references-share-start", "two kilometre references share the greatest start: the ordering clears all three",
     CodeStage::check, Severity::warning},
    {220, "text-in-utf8", "the text looks like UTF-8, but the file is read as Windows-1252", CodeStage::check,
     Severity::warning},
    {221, "general-record-twice", "a general block record given twice: the later one counts", CodeStage::check,
     Severity::warning},
    {222, "empty-text", "an empty sign text or station name", CodeStage::check, Severity::warning},
    {223, "value-overlaps-digits",
     "a value that does not fit its decimal digit: it spills into the next value packed with it", CodeStage::check,
     Severity::warning},
    {224, "board-speed-not-stored-whole",
     "a board speed the packing cannot hold whole: not a multiple of 5, or a d speed of 100 km/h or more",
     CodeStage::check, Severity::warning},
    {225, "partner-missing", "the file's partner source file is not beside it: it is checked alone", CodeStage::check,
     Severity::warning},

    // Warnings of what the compile stores otherwise than written, found from
    // each field's range and from where each record's values landed.
    {226, "value-wraps", "the value does not fit its field: the cell keeps its low bits and reads back as another",
     CodeStage::check, Severity::warning},
    {227, "value-out-of-range", "the value lies outside its range: it is stored as written, but means nothing there",
     CodeStage::check, Severity::warning},
    {228, "value-makes-nothing", "the value makes the record place nothing: no turn, no length, no mountain",
     CodeStage::check, Severity::warning},
    {229, "object-replaced", "the object's cell is taken over by a later record: the object is lost", CodeStage::check,
     Severity::warning},
    {230, "station-value-cleared", "a station column the compile clears: the value written is not stored",
     CodeStage::check, Severity::warning},
    {231, "comment-in-text", "a comment written after a text becomes part of the text", CodeStage::check,
     Severity::warning},
    {232, "rows-share-a-cell", "two rows of a profile fall in one cell: the first value covers one cell only",
     CodeStage::check, Severity::warning},
    {233, "reference-past-line-end", "the kilometre reference starts past the end of the line", CodeStage::check,
     Severity::warning},
    {234, "keyword-with-stray-characters", "the keyword field holds more than its keyword: the fields after it shift",
     CodeStage::check, Severity::warning},
    {235, "file-in-utf16", "the file is UTF-16 text: the compiler reads Windows-1252", CodeStage::check,
     Severity::warning},
    {236, "comment-past-the-limit", "a comment field past the number discarded in a row: it is read as a keyword",
     CodeStage::check, Severity::warning},
    {237, "field-inserted", "a record with a field too many: every field after the inserted one is shifted",
     CodeStage::check, Severity::warning},

    // Notes: worth knowing, not wrong.
    {301, "rounded-into-a-cell", "the progressive is not a multiple of 50: the record lands in the nearest cell",
     CodeStage::check, Severity::note},
    {302, "direction-raises-kilometre", "direction 1 raises the kilometre value by 100", CodeStage::check,
     Severity::note},
    {303, "signal-time-raised", "a signal time of 1 to 100 s is stored as 101", CodeStage::check, Severity::note},
    {304, "signal-time-unused", "a signal time is kept only when sx is 2", CodeStage::check, Severity::note},
    {305, "slowdown-without-warning-board", "a slowdown starting within 1500 m of the origin gets no warning board",
     CodeStage::check, Severity::note},

    // The running-time analysis: can the train keep its timetable, can it brake where the boards say.
    {500, "timetable-cannot-be-kept", "the leg's scheduled time is shorter than the train's fastest run",
     CodeStage::run, Severity::warning},
    {501, "thin-margin", "the leg's margin over the fastest run is under the allowance", CodeStage::run,
     Severity::note},
    {502, "warning-board-too-close",
     "the slowdown's warning board leaves less room than the train needs to brake to the slowdown's speed",
     CodeStage::run, Severity::warning},
    {503, "leg-cannot-be-run", "the train cannot run the leg: it comes to a stand, or the stations are out of order",
     CodeStage::run, Severity::warning},
    {504, "braked-mass-outside-relation",
     "the braked-mass percentage is outside the range of the braking relation: it is taken at the nearer end",
     CodeStage::run, Severity::note},
    // Compiled files read back (400 to 409: a file that does not decode whole)
    // and sources recovered from them (410 and up: what no source gives).
    {400, "compiled-file-cut-short", "a compiled file ends before its last record", CodeStage::recovery},
    {401, "compiled-file-stray-bytes", "bytes follow a compiled file's last record", CodeStage::recovery},
    {402, "text-length-unfit", "an entry's text length is negative or runs past the end of the scenario file",
     CodeStage::recovery},
    {403, "plan-type-code-unknown", "a plan value with a type code the plan never holds", CodeStage::recovery},
    {404, "line-length-unfit", "the scenario file's line length gives the route no cells", CodeStage::recovery},
    {410, "fixed-value-altered", "cell 1's dato1 or entry 85's col7 is not the fixed value every build stores",
     CodeStage::recovery},
    {411, "competition-code-altered", "a competition code is not the one of the names the files store",
     CodeStage::recovery},
    {412, "finishing-marks-unexplained", "the finishing pass, run again, does not give the files' marks",
     CodeStage::recovery},
    {413, "cell-unexplained", "a cell holds a value that no record leaves there", CodeStage::recovery},
    {414, "object-out-of-reach", "an object in a cell where no record can place one", CodeStage::recovery},
    {415, "profile-unexplained", "no profile rows give these gradient, speed or adhesion cells", CodeStage::recovery},
    {416, "text-unreadable", "a text holds a comma, a line end or a leading blank, which no source gives back",
     CodeStage::recovery},
    {417, "station-unexplained", "a station entry whose values no station record gives", CodeStage::recovery},
    {418, "table-unexplained", "scenario table entries that no record fills so", CodeStage::recovery},
    {419, "markers-unexplained", "approach markers that no order of the signals and stations writes",
     CodeStage::recovery},
    {420, "slowdown-unexplained", "a piece of a slowdown without the rest of it", CodeStage::recovery},
    {421, "mountains-unexplained", "no mountain records give these cells' mountain types and markers",
     CodeStage::recovery},
    {422, "plan-unexplained", "the plan is not made of straight runs and the six curve classes", CodeStage::recovery},
    {423, "general-unexplained", "header entries that no general block gives", CodeStage::recovery},
    {424, "route-size-unfit", "the route holds another number of cells than the line's length gives",
     CodeStage::recovery},

    // Names read from compiled files.
    {480, "stored-name-not-plain", "the line name a scenario file stores is not a plain file name", CodeStage::recovery,
     Severity::warning},
    // The editor's language server.
    {450, "partner-not-a-file",
     "the name of the file's partner source file is taken by a folder, a pipe or a device: the file is checked alone",
     CodeStage::check, Severity::warning},
};

// The entry of a code; nullptr for a number that is no code. The same by
// its name.
const CodeEntry* find_code(int32_t number);
const CodeEntry* find_code(std::string_view name);

std::string_view severity_name(Severity severity);  // "error", "warning", "note"

// The number of a code by its name. Used at compile time, so a name that is
// not in the table does not build.
consteval int32_t code_number(std::string_view name) {
  for (const CodeEntry& entry : kCodeTable) {
    if (entry.name == name) return entry.number;
  }
  throw "no code of this name in the code table";
}

// The codes by name, for the places that set them.
namespace code {
inline constexpr int32_t none = 0;
inline constexpr int32_t line_too_long = code_number("line-too-long");
inline constexpr int32_t kilometre_reference_off_grid = code_number("kilometre-reference-off-grid");
inline constexpr int32_t repetition_first_off_grid = code_number("repetition-first-off-grid");
inline constexpr int32_t repetition_second_off_grid = code_number("repetition-second-off-grid");
inline constexpr int32_t repetition_without_code_system = code_number("repetition-without-code-system");
inline constexpr int32_t sign_cell_taken = code_number("sign-cell-taken");
inline constexpr int32_t abatement_cell_taken = code_number("abatement-cell-taken");
inline constexpr int32_t station_off_grid = code_number("station-off-grid");
inline constexpr int32_t station_length_off_grid = code_number("station-length-off-grid");
inline constexpr int32_t scenario_table_full = code_number("scenario-table-full");
inline constexpr int32_t no_mark_before_signal = code_number("no-mark-before-signal");
inline constexpr int32_t no_mark_before_slowdown = code_number("no-mark-before-slowdown");
inline constexpr int32_t no_mark_in_slowdown = code_number("no-mark-in-slowdown");
inline constexpr int32_t beyond_line_end = code_number("beyond-line-end");
inline constexpr int32_t signal_cell_taken = code_number("signal-cell-taken");
inline constexpr int32_t warning_board_cell_taken = code_number("warning-board-cell-taken");
inline constexpr int32_t slowdown_start_cell_taken = code_number("slowdown-start-cell-taken");
inline constexpr int32_t slowdown_end_cell_taken = code_number("slowdown-end-cell-taken");
inline constexpr int32_t before_warning_board_cell_taken = code_number("before-warning-board-cell-taken");
inline constexpr int32_t board_cell_taken = code_number("board-cell-taken");
inline constexpr int32_t stations_too_close = code_number("stations-too-close");
inline constexpr int32_t station_without_stop_cell = code_number("station-without-stop-cell");
inline constexpr int32_t run_time_failure = code_number("run-time-failure");
inline constexpr int32_t line_source_missing = code_number("line-source-missing");
inline constexpr int32_t no_general_block = code_number("no-general-block");
inline constexpr int32_t curve_without_class = code_number("curve-without-class");
inline constexpr int32_t fixed_value_taken = code_number("fixed-value-taken");
inline constexpr int32_t competition_code_taken = code_number("competition-code-taken");

inline constexpr int32_t unknown_keyword = code_number("unknown-keyword");
inline constexpr int32_t keyword_in_comment = code_number("keyword-in-comment");
inline constexpr int32_t hash_is_no_comment = code_number("hash-is-no-comment");
inline constexpr int32_t stray_field = code_number("stray-field");
inline constexpr int32_t record_continues_on_next_line = code_number("record-continues-on-next-line");
inline constexpr int32_t train_without_general_block = code_number("train-without-general-block");
inline constexpr int32_t record_of_the_other_file = code_number("record-of-the-other-file");
inline constexpr int32_t curve_side_from_an_s = code_number("curve-side-from-an-s");
inline constexpr int32_t curve_with_two_classes = code_number("curve-with-two-classes");
inline constexpr int32_t rows_out_of_order = code_number("rows-out-of-order");
inline constexpr int32_t curves_overlap = code_number("curves-overlap");
inline constexpr int32_t mountain_ends_before_start = code_number("mountain-ends-before-start");
inline constexpr int32_t station_time_goes_back = code_number("station-time-goes-back");
inline constexpr int32_t no_speed_at_origin = code_number("no-speed-at-origin");
inline constexpr int32_t no_adhesion_at_origin = code_number("no-adhesion-at-origin");
inline constexpr int32_t speed_rounded = code_number("speed-rounded");
inline constexpr int32_t past_the_line_end = code_number("past-the-line-end");
inline constexpr int32_t general_keyword_case = code_number("general-keyword-case");
inline constexpr int32_t references_share_start = code_number("references-share-start");
inline constexpr int32_t text_in_utf8 = code_number("text-in-utf8");
inline constexpr int32_t general_record_twice = code_number("general-record-twice");
inline constexpr int32_t empty_text = code_number("empty-text");
inline constexpr int32_t value_overlaps_digits = code_number("value-overlaps-digits");
inline constexpr int32_t board_speed_not_stored_whole = code_number("board-speed-not-stored-whole");
inline constexpr int32_t partner_missing = code_number("partner-missing");
inline constexpr int32_t partner_not_a_file = code_number("partner-not-a-file");

inline constexpr int32_t rounded_into_a_cell = code_number("rounded-into-a-cell");
inline constexpr int32_t direction_raises_kilometre = code_number("direction-raises-kilometre");
inline constexpr int32_t signal_time_raised = code_number("signal-time-raised");
inline constexpr int32_t signal_time_unused = code_number("signal-time-unused");
inline constexpr int32_t slowdown_without_warning_board = code_number("slowdown-without-warning-board");
inline constexpr int32_t value_wraps = code_number("value-wraps");
inline constexpr int32_t value_out_of_range = code_number("value-out-of-range");
inline constexpr int32_t value_makes_nothing = code_number("value-makes-nothing");
inline constexpr int32_t object_replaced = code_number("object-replaced");
inline constexpr int32_t station_value_cleared = code_number("station-value-cleared");
inline constexpr int32_t comment_in_text = code_number("comment-in-text");
inline constexpr int32_t rows_share_a_cell = code_number("rows-share-a-cell");
inline constexpr int32_t reference_past_line_end = code_number("reference-past-line-end");
inline constexpr int32_t keyword_with_stray_characters = code_number("keyword-with-stray-characters");
inline constexpr int32_t file_in_utf16 = code_number("file-in-utf16");
inline constexpr int32_t comment_past_the_limit = code_number("comment-past-the-limit");
inline constexpr int32_t field_inserted = code_number("field-inserted");

inline constexpr int32_t timetable_cannot_be_kept = code_number("timetable-cannot-be-kept");
inline constexpr int32_t thin_margin = code_number("thin-margin");
inline constexpr int32_t warning_board_too_close = code_number("warning-board-too-close");
inline constexpr int32_t leg_cannot_be_run = code_number("leg-cannot-be-run");
inline constexpr int32_t braked_mass_outside_relation = code_number("braked-mass-outside-relation");
inline constexpr int32_t compiled_file_cut_short = code_number("compiled-file-cut-short");
inline constexpr int32_t compiled_file_stray_bytes = code_number("compiled-file-stray-bytes");
inline constexpr int32_t text_length_unfit = code_number("text-length-unfit");
inline constexpr int32_t plan_type_code_unknown = code_number("plan-type-code-unknown");
inline constexpr int32_t line_length_unfit = code_number("line-length-unfit");
inline constexpr int32_t fixed_value_altered = code_number("fixed-value-altered");
inline constexpr int32_t competition_code_altered = code_number("competition-code-altered");
inline constexpr int32_t finishing_marks_unexplained = code_number("finishing-marks-unexplained");
inline constexpr int32_t cell_unexplained = code_number("cell-unexplained");
inline constexpr int32_t object_out_of_reach = code_number("object-out-of-reach");
inline constexpr int32_t profile_unexplained = code_number("profile-unexplained");
inline constexpr int32_t text_unreadable = code_number("text-unreadable");
inline constexpr int32_t station_unexplained = code_number("station-unexplained");
inline constexpr int32_t table_unexplained = code_number("table-unexplained");
inline constexpr int32_t markers_unexplained = code_number("markers-unexplained");
inline constexpr int32_t slowdown_unexplained = code_number("slowdown-unexplained");
inline constexpr int32_t mountains_unexplained = code_number("mountains-unexplained");
inline constexpr int32_t plan_unexplained = code_number("plan-unexplained");
inline constexpr int32_t general_unexplained = code_number("general-unexplained");
inline constexpr int32_t route_size_unfit = code_number("route-size-unfit");
inline constexpr int32_t stored_name_not_plain = code_number("stored-name-not-plain");
}  // namespace code

}  // namespace scenario
