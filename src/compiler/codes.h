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

    // Notes: worth knowing, not wrong.
    {301, "rounded-into-a-cell", "the progressive is not a multiple of 50: the record lands in the nearest cell",
     CodeStage::check, Severity::note},
    {302, "direction-raises-kilometre", "direction 1 raises the kilometre value by 100", CodeStage::check,
     Severity::note},
    {303, "signal-time-raised", "a signal time of 1 to 100 s is stored as 101", CodeStage::check, Severity::note},
    {304, "signal-time-unused", "a signal time is kept only when sx is 2", CodeStage::check, Severity::note},
    {305, "slowdown-without-warning-board", "a slowdown starting within 1500 m of the origin gets no warning board",
     CodeStage::check, Severity::note},

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
}  // namespace code

}  // namespace scenario
