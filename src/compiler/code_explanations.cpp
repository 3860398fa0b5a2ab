#include "compiler/code_explanations.h"

#include <algorithm>
#include <iterator>

namespace scenario {

namespace {

constexpr CodeExplanation kExplanations[] = {
    // --- errors of the compile ------------------------------------------------------------
    {1, "The track model holds at most 1000000 m of line; the compile stops at once.",
     "Give \"lunghezza percorso\" a length of 1000000 or less.",
     "lunghezza percorso,    1200000\n-> lunghezza percorso,    1000000"},
    {2,
     "Kilometre references tie progressives to kilometre posts in 50 m steps; a reference off that grid makes the "
     "scenario file unusable. It is checked after both files are read.",
     "Make the start and the kilometre value multiples of 50 (a direction of 1 adds 100 to the kilometre value).",
     "progressiva chilometrica due,    1500,    -1510,    0\n-> progressiva chilometrica due,    1500,    -1500,    0"},
    {3, "The cab-signal repetition works in 50 m steps; the compile stops at once.",
     "Make the first \"ripetizione segnali\" value a multiple of 50.",
     "ripetizione segnali 4 codici,    25    ,0\n-> ripetizione segnali 4 codici,    0    ,0"},
    {4, "The cab-signal repetition works in 50 m steps; the compile stops at once.",
     "Make the second \"ripetizione segnali\" value a multiple of 50.",
     "ripetizione segnali 4 codici,    0    ,75\n-> ripetizione segnali 4 codici,    0    ,50"},
    {5, "The keyword itself names the code system of the cab-signal repetition, 4 or 9 codes.",
     "Write the digit 4 or 9 in the keyword.",
     "ripetizione segnali codici,    0    ,0\n-> ripetizione segnali 4 codici,    0    ,0"},
    {6, "A cell of 50 m holds one object; a sign cannot share it with a board, a signal or another sign.",
     "Move the sign to a free cell (at least 50 m from the other object), or move the other object.",
     "cartello_indicatore,  1550,   (PL km)(1+522)   (a board stands at 1550)\n-> cartello_indicatore,  1650,   "
     "(PL km)(1+522)"},
    {7, "A speed abatement point needs a free cell at its section boundary.",
     "Move the point to a free cell, or remove the object that holds it.",
     "abbattimento,  5000,  1\nabbattimento,  5000,  0\n-> abbattimento,  5050,  0"},
    {8, "Stations are placed on the 50 m grid of the cells.", "Make the station progressive a multiple of 50.",
     "stazione,    1025,  2,  400, ...\n-> stazione,    1000,  2,  400, ..."},
    {9, "A station's area is half its length on each side of it, in whole cells.",
     "Make the station length a multiple of 100.",
     "stazione,    1000,  2,  750, ...\n-> stazione,    1000,  2,  800, ..."},
    {10,
     "Stations (from entry 1 upward) and sign texts (from entry 80 downward) share 80 entries of the scenario table.",
     "Use fewer stations or fewer signs: together they must stay below 80.", "(78 stations and 2 signs)"},
    {11,
     "Before a slowdown's warning board every signal within 20 cells gets a speed abatement mark one or two cells "
     "before it; with both cells taken, the simulator's train would pass the signal without slowing.",
     "Keep one of the two cells before such a signal free (or a speed abatement point there).",
     "segnale,    8450, ...   (a board stands at 8400 and at 8350)"},
    {12,
     "Before each slowdown start the finishing pass places marks 250-350 m, 550-650 m and 900-1000 m before it; "
     "with all three cells of a window taken the train gets no warning there.",
     "Free one cell in each window before the slowdown start.", "(three objects 250, 300 and 350 m before a slowdown)"},
    {13,
     "Inside a slowdown under 110 km/h a mark stands every 400 m, and one before the first signal after it; a "
     "candidate and both its neighbours taken leave the rest of the slowdown without marks.",
     "Move objects away from the cells where the marks go.", "(objects 400 m into a slow slowdown)"},
    {15,
     "Every record must lie on the line's cells; the compile skips the rest of the file after it, so a later record "
     "of the file is not read.",
     "Move the record inside the line, or make the line longer (\"lunghezza percorso\").",
     "pendenza,  26950,   0   (on a line of 20000 m)\n-> pendenza,  19950,   0"},
    {16, "A cell of 50 m holds one object; the signal cannot share it.",
     "Move the signal to a free cell, or move the other object.",
     "segnale,    7900, ...   (a sign stands at 7900)\n-> segnale,    8000, ..."},
    {17, "A slowdown's warning board stands 1200 m before its start and needs a free cell.",
     "Move the slowdown or the object 1200 m before it.", "rallentamento,   10200, ...   (a signal stands at 9000)"},
    {18, "The slowdown start needs a free cell.", "Move the slowdown or the object at its start.",
     "rallentamento,   10200, ...   (a signal stands at 10200)"},
    {19, "The slowdown end (start + length) needs a free cell.", "Change the length, or move the object at the end.",
     "rallentamento,   10200,    50,  400, ...   (a signal stands at 10600)"},
    {20,
     "With f_ta the four cells before the warning board carry 1 to 4; they must be free. The end, start and board "
     "are already placed.",
     "Move the object from the four cells before the warning board, or set f_ta to 0.",
     "rallentamento,   10200,    50,  400, 0,  1,  0   (a signal stands at 8900)"},
    {21, "A cell of 50 m holds one object; the board cannot share it.",
     "Move the board to a free cell, or move the other object.",
     "indicatori_vmax,  2900, ...   (a sign stands at 2900)\n-> indicatori_vmax,  3000, ..."},
    {22, "Station areas must be at least 350 m apart, so their approach markers do not overlap.",
     "Move the station, or make it or the previous one shorter.",
     "stazione,    1000,  2,  400, ...\nstazione,    1700,  2,  400, ...\n-> stazione,    1750,  2,  400, ..."},
    {24, "A station's stop cell lies 100 m before the end of its area; cells 0 and 1 cannot hold it.",
     "Move the station so that its area ends after progressive 100.", "stazione,      50,  2,  100, ..."},
    {25,
     "Something the compile cannot go on from: a field that is not a number where one belongs, a number that does "
     "not fit its field, a record whose objects fall outside the line's cells, a read past the end of the file.",
     "Read the message: it names the field. Give every record all its fields, on one line, as whole numbers.",
     "sabbia, molta\n-> sabbia, 300"},
    {101, "The line source file holds the line; without it nothing can be compiled.",
     "Give the line source file NAME_linea.txt.", ""},
    {102, "Only what follows \"[generale]\" is read; without it the line has no length.",
     "Start the general block with a line \"[generale]\".", "[general]\n-> [generale]"},
    {103,
     "A curve's keyword names its class with one digit 1 to 6 (radius 10000 to about 333 m); the plan may not pass "
     "1000000 m.",
     "Write the class digit in the keyword, and keep curves inside the line.",
     "curvas7,  500,  950\n-> curvas4,  500,  950"},
    {1250,
     "Cell 1 and entry 85 carry fixed values the simulator checks; an object in cell 1 takes the place of one. The "
     "program stops with \" Errore n. 1250\" and writes no compiled file.",
     "Keep every object out of cell 1 (progressives 25 to 74 for most objects).",
     "indicatori_vmax,  0, ...\n-> indicatori_vmax,  100, ..."},
    {1251,
     "Cell 1 and entry 85 carry the competition codes; an object in cell 1 takes the place of one. The program stops "
     "with \" Errore n. 1251\" and writes no compiled file.",
     "Keep every object out of cell 1.", "rallentamento,   0,    0,  400, 0,  0,  5"},

    // --- warnings ---------------------------------------------------------------------------
    {201,
     "Keywords are recognised by the texts they contain; a misspelled one contains none of them, so the record and "
     "its values are skipped without an error.",
     "Spell the keyword as the format has it (the message names the nearest one).",
     "pendeza,  1500,   -5\n-> pendenza,  1500,   -5"},
    {202,
     "A keyword field with a hyphen is a comment and is discarded; its values are then read as keyword fields and "
     "skipped.",
     "Write the keyword without a hyphen (an underscore where the format has one).",
     "indicatori-vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0\n-> indicatori_vmax,  1550, ..."},
    {203,
     "The format has no # comments: a # line that holds a keyword is read as that record and takes its values from "
     "the lines that follow.",
     "Start a comment line with a hyphen: \"-- ...\".", "# velocita bassa nel tunnel\n-> -- velocita bassa nel tunnel"},
    {204,
     "A record takes a fixed number of fields; one more is read as a keyword field and skipped. Commas end every "
     "field, also inside a name; numbers are whole and take no unit.",
     "Remove the extra field: no comma inside a name or a sign text, no decimal comma, no unit.",
     "pendenza,  1500,   8,5\n-> pendenza,  1500,   8\nstazione, ..., 14,3, 0, PIANA, NORD\n-> stazione, ..., "
     "14,3, 0, PIANA NORD"},
    {205,
     "Fields are read across line ends: a record with a field missing takes the next line's first field, which "
     "usually belongs to the next record.",
     "Give the record all its fields on its own line.",
     "pendenza,  1500\npendenza,  3000,   2\n-> pendenza,  1500,   0"},
    {206,
     "The train source file is read only from its \"[generale]\" on; without one the train gets no stations, no "
     "signals and no speed limit.",
     "Start the train's general block with \"[generale]\".", "[Generali]\n-> [generale]"},
    {207,
     "The line source file and the train source file each read their own records; a record of the other file is "
     "skipped.",
     "Move the record to the other file, or check that the two files were not given the wrong way round.",
     "(stazione in the line source file)"},
    {208,
     "The side of a curve is left whenever its keyword contains an \"s\" anywhere, so a keyword such as "
     "\"curva_destra3\" turns left.",
     "Write the side as one letter after \"curva\": \"s\" for left, \"d\" for right.",
     "curva_destra3,  500,  950\n-> "
     "curvad3,  500,  950"},
    {209, "The class is the first of the digits 1 to 6, tried in that order, that the keyword contains.",
     "Write one class digit.", "curvad43,  500,  950\n-> curvad4,  500,  950"},
    {210,
     "A profile runs from row to row in ascending progressive; a row behind the previous one still writes one cell "
     "and then gives its value to everything after it.",
     "Put the rows in ascending progressive.", "pendenza,  3000,   2\npendenza,  1500,   -5"},
    {211,
     "The plan is integrated metre by metre; a curve that starts before the previous one ends skips the straight "
     "run and goes on turning from where the plan is.",
     "Start each curve after the previous one ends (start + length).", "curvas4,  500,  950\ncurvad4,  1000,  400"},
    {212, "A mountain covers the cells from its start to its end; one that ends first covers none.",
     "Give the start before the end.", "montagna,   11050,  8700,  11\n-> montagna,   8700,  11050,  11"},
    {213, "Stations follow the train's route; a time earlier than the previous station's is almost surely a typo.",
     "Check the station's hours, minutes and seconds.", "(14:09 after 14:13)"},
    {214, "The speed limit before the first \"velocita\" row is 0 km/h: the train cannot start.",
     "Give a speed row at progressive 0.", "velocita,    1500,   135\n-> velocita,       0,    80"},
    {215, "The adhesion before the first \"aderenza\" row is 0.", "Give an adhesion row at progressive 0.",
     "aderenza,   2000,    90\n-> aderenza,   0,    100"},
    {216, "Speed limits are stored in steps of 5 km/h.", "Give a multiple of 5.",
     "velocita,    1500,   137\n-> velocita,    1500,   135"},
    {217,
     "The line's cells run 7000 m past its length so that the train can stop; objects there lie off the line the "
     "author described.",
     "Move the record inside the line's length, or make the line longer.", "(a signal at 20100 on a line of 20000 m)"},
    {218,
     "The general block's keywords other than \"lunghezza percorso\" are matched in exact letter case; in other "
     "case they are skipped.",
     "Write the keyword in lower case.",
     "Progressiva chilometrica uno,  0,  90000,  1\n-> progressiva chilometrica "
     "uno,  0,  90000,  1"},
    {219,
     "The references are ordered by start, the greatest first; when two share the greatest start none can be "
     "placed and all three are cleared.",
     "Give the references different starts.", "(starts 1500, 1500 and 0)"},
    {220,
     "Source files are read as Windows-1252: a name saved as UTF-8 shows two odd characters for each accented "
     "letter.",
     "Save the file in Windows-1252 (\"Western\" in most editors).", "CITTÃ€\n-> CITTÀ"},
    {221, "A general block record given twice: the second overwrites the first.", "Keep one of them.",
     "sfondo uno,    1\nsfondo uno,    2"},
    {222, "An empty text shows nothing to the driver.", "Give the sign or the station its text.",
     "cartello_indicatore,  2900,"},
    {223,
     "Signal values and stripes are packed as decimal digits (for example dato1 = s1 x 10 + d1); a value of 10 or "
     "more spills into its neighbour and reads back as another one.",
     "Keep each value within its digit.", "segnale,    2800,   1, 12, 0, ..."},
    {224,
     "A board packs each speed pair as vs x 20 + vd / 5; a speed that is not a multiple of 5, or a d speed of 100 "
     "km/h or more, does not read back as given.",
     "Give speeds in multiples of 5, d speeds under 100 km/h.", "indicatori_vmax,  1550,  127, ..."},

    {225,
     "A line source file and its train source file are checked together, found by their names in the same folder "
     "(NAME_linea.txt and NAME_NUM-.txt); without its partner a file is checked alone, as far as that goes.",
     "Keep the two files side by side, named as the compiler expects.", "Valle_linea.txt and Valle_123-.txt"},

    // --- the editor's language server -------------------------------------------------------
    {450,
     "The partner of a source file is found by its name in the same folder; when that name belongs to a folder, a "
     "pipe or a device, nothing is read from it and the file is checked alone.",
     "Rename the folder or pipe, or put the partner source file in its place.",
     "Valle_123-.txt beside a folder Valle_linea.txt"},

    // --- notes ------------------------------------------------------------------------------
    {301, "Objects and profile sections are placed by cell, one every 50 m.",
     "Nothing, if the nearest cell is meant; else give a multiple of 50.", "segnale,    2810, ...   (lands at 2800)"},
    {302, "The compile adds 100 to the kilometre value of a reference with direction 1, after ordering.",
     "Nothing: the stored value is the given one + 100.", "progressiva chilometrica uno,    0,    90000,    1"},
    {303, "A signal's time (with sx 2) from 1 to 100 s is raised to 101.", "Nothing, or give 0 or a time above 100.",
     "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 50"},
    {304, "Only a signal with sx 2 keeps a time; others store 0.", "Nothing, or remove the time.",
     "segnale,   46100,   1, 4, 0,  0, 0,    0,  0,0,0, 210"},
    {305, "The warning board stands 1200 m before a slowdown; within 1500 m of the origin there is none.",
     "Nothing, if no board is wanted.", "rallentamento,   1200,    50,  400, 0,  1,  0"},
};

}  // namespace

const CodeExplanation* explanation_of(int32_t number) {
  const auto found = std::find_if(std::begin(kExplanations), std::end(kExplanations),
                                  [number](const CodeExplanation& e) { return e.number == number; });
  return found == std::end(kExplanations) ? nullptr : found;
}

}  // namespace scenario
