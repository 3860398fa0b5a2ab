#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace scenario {

// Every code a build can end with, in one table: the compile step's codes in
// codice_errore, the finishing sweep's 11 to 13, and the two error numbers
// the program shows, 1250 and 1251. The compiler, the finishing step, the
// authoring tool's messages and the fuzz target all take their codes from
// here.

enum class CodeStage {
  compile,    // set by the compile step; the compile ends
  finishing,  // set by the finishing sweep, which goes on
  shown,      // shown to the user; nothing is written
};

struct CodeEntry {
  int32_t number;
  std::string_view name;  // stable, for machines: "signal-cell-taken"
  std::string_view text;  // what went wrong, in a few words
  CodeStage stage;
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
};

// The entry of a code; nullptr for a number that is no code.
const CodeEntry* find_code(int32_t number);

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
}  // namespace code

}  // namespace scenario
