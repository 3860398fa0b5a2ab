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

    {226,
     "A cell keeps 8 or 16 bits of a value; a value outside the field's range keeps only its low bits and reads "
     "back as another value, often of the other sign: a gradient of -101 per mille reads +155, a climb.",
     "Keep the value inside the range the reference gives for the field.",
     "pendenza,  1500,   -101\n-> pendenza,  1500,   -100"},
    {227,
     "The compile stores the value as it is written, but the simulator expects a value inside the field's range: "
     "minutes of 72, a direction flag of 2.",
     "Give a value inside the range.", "orologio,    13   72   40\n-> orologio,    14   12   40"},
    {228,
     "The value makes the record place nothing: a curve of length 0 or less makes no turn, a slowdown of length 0 "
     "or less has no end of its own, a mountain of type 0 is no mountain.",
     "Give a length above 0, or a type of 1 or more.", "curvas4,  500,  -600\n-> curvas4,  500,  600"},
    {229,
     "A cell holds one object. A station's stop cell is set without looking at the cell, so an object placed "
     "there before (a board, a signal, an abatement point) is lost; in another order of the files' records the "
     "same pair is an error.",
     "Move the object to another cell, at least 50 m away from the station's stop.",
     "indicatori_vmax,  1550, ...  (on the stop cell of the station at 1600)"},
    {230,
     "The compile clears some station columns: col5 when the station is shorter than 600 m, col6 for types 5 to "
     "8, both for the first station.",
     "Write 0 there, or make the station long enough.", "stazione,  8050, 28,  300,  0, 1, ..."},
    {231,
     "A text runs to the next comma or line end: a comment written after a station name or a sign text on the "
     "same line becomes part of the text.",
     "Put the comment on a line of its own.", "..., CORVALLE -- capolinea\n-> ..., CORVALLE"},
    {232,
     "A profile row starts its value at its cell; two rows in one cell leave the first value one cell and move "
     "the second one cell on.",
     "Give each row its own cell, 50 m or more after the previous row, or remove one of the two.",
     "pendenza,  1500,   -5\npendenza,  1500,   2"},
    {233, "A kilometre reference past the end of the line ties no kilometre post of the line.",
     "Give a start inside the line.", "progressiva chilometrica due,    150000,    -1500,    0"},

    {234,
     "A keyword field runs to the next comma: a character glued to the keyword (\"stazione;\") takes the first "
     "field into the keyword field, so every later field is read one place early and the errors that follow name "
     "the wrong field.",
     "Write a comma right after the keyword.", "stazione;  8050, 28, ...\n-> stazione,  8050, 28, ..."},
    {235,
     "The compiler reads Windows-1252 text, one byte a character; a file saved as UTF-16 has a zero byte beside "
     "every letter, so no keyword is recognised.",
     "Save the file as Windows-1252 (\"Western\" in most editors), or as plain ASCII.", "(a file saved as UTF-16)"},
    {236,
     "Up to 2 comment fields in a row are discarded before a keyword (10 in the line file's general block); the "
     "next one is read as a keyword field: it names no record and is skipped, or, when it holds a record's "
     "keyword, is read as that record.",
     "Put a record between the comments, or join them on fewer lines.", "-- one\n-- two\n-- three"},
    {237,
     "A record is its keyword and exactly its fields: a field inserted in the middle shifts every later field, so "
     "the name or the last value is read from the wrong column and a stray field is left at the end.",
     "Remove the inserted field.", "stazione, 8050, 28, 300, 0, 0, 0, 0, 0,0,0, 0,0,0, 30, 14, 3, 0, MONTE"},
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

    // --- the running-time analysis (scenario_tool run, check --run) ------------------------
    {500,
     "Each station's time is the departure from it (the arrival at the last station). The train's fastest run "
     "from the previous station, at full effort up to every speed limit and braking at the last moment, with the "
     "dwell at the stop, takes longer than the timetable gives: the player cannot keep time.",
     "Give the station a later time, or raise the speed limits of the leg; \"scenario_tool run\" shows the run.",
     "stazione,   8050, 28, ...,  14, 1, 0, ...   (the fastest run takes 5 min)\n-> stazione,   8050, 28, ...,  14, "
     "3, 0, ..."},
    {501,
     "A timetable needs a margin over the fastest run for the delays of real driving; under the allowance "
     "(--allowance, 5 % by default, as recovery margins of 3 % to 7 % are usual) the leg is hard to keep.",
     "Give the station a later time, or nothing if the leg is meant to be tight.",
     "stazione,  13900, 12, ...,  14, 9, 0, ...   (margin 2 %)\n-> stazione,  13900, 12, ...,  14, 9, 30, ..."},
    {502,
     "A slowdown's warning board stands 1200 m before its start. From the speed the line allows at the board, "
     "the train's service braking (from its braked-mass percentage, helped or hindered by the gradient) needs "
     "more than that to come down to the slowdown's speed.",
     "Lower the line speed before the slowdown, raise the slowdown's speed, or raise the braked-mass percentage.",
     "rallentamento,   10200,    10,  400, 0,  1,  0   (braked mass 60 %, from 135 km/h)\n"
     "-> rallentamento,   10200,    80,  400, 0,  1,  0"},
    {503,
     "The train comes to a stand before the next station: the speed limit is 0 km/h somewhere on the leg, or a "
     "gradient is steeper than its tractive effort can climb; or the stations are not in ascending progressive.",
     "Give the speed profile a limit over the whole leg, ease the gradient, or give a stronger rolling stock "
     "(--rolling-stock).",
     "velocita,   20000,    0\n-> velocita,   20000,   60"},
    {504,
     "Service braking is derived from the braked-mass percentage by a relation that holds from 30 % to 200 %; "
     "outside it the nearer end is taken.",
     "Give \"percentuale massa frenata\" a value from 30 to 200.",
     "percentuale massa frenata,    250\n-> percentuale massa frenata,    150"},
    // --- compiled files read back, and sources recovered from them ---------------------------
    {400,
     "A compiled file holds its records and nothing else, so its size is known: the route file 15 bytes per cell "
     "of the line, the scenario file 87 entries, the plan file two columns of one value per metre. A file that "
     "ends early was cut (a copy or a download stopped); nothing past its end can be recovered or compared.",
     "Compile the sources again, or copy the file again from where it came.",
     "Valle_123.dat of 3015 bytes, on a line of 3000 m (201 cells: 3015 bytes) -> cut at byte 2990"},
    {401,
     "Bytes after the last record belong to no record: the file is not one a build writes, and the build would "
     "not write them back.",
     "Compile the sources again, or cut the file at the byte named.", "(one byte more after the plan's last value)"},
    {402,
     "Each entry's text is counted by the two bytes before it; a negative count, or one larger than the bytes "
     "left, means the file was damaged there, and no entry after it can be found.",
     "Compile the sources again.", "(a text count of 30000 in a 3000-byte scenario file)"},
    {403, "Every plan value starts with its type code: 0 (empty), 2 (16-bit integer) or 5 (double).",
     "Compile the sources again.", "(type code 255 at a plan value)"},
    {404,
     "The line's length in the scenario file (entry 84's fine) sizes the route file and the plan; a length over "
     "1000000 m, or one that gives no cell, tells the other files' sizes of nothing.",
     "Compile the sources again.", "(a line length of 2000000)"},
    {410,
     "Every build stores 5121 in cell 1's dato1 and 610 in entry 85's col7; another value there was not written "
     "by a build, and no source gives it back.",
     "Nothing to fix in the sources; the files were edited after the build.", ""},
    {411,
     "The competition codes follow from the line name and the train number the files store; another value was "
     "not written by a build of those names.",
     "Nothing to fix in the sources; the files were edited, or renamed without a new build.", ""},
    {412,
     "The finishing pass places its speed abatement marks by rule; marks it does not give were added or moved by "
     "hand.",
     "Nothing to fix in the recovered sources: the closest ones are written.", ""},
    {413, "Each object leaves known fields in its cell; any other value in the cell no record can give.",
     "Nothing to fix in the recovered sources: the value is left out.", "(dato4 of a slowdown start)"},
    {414,
     "Records can place objects only where the compile's range checks let them: a signal from cell 8 on, no "
     "object in the last cell, no abatement point in the last two.",
     "Nothing to fix in the recovered sources: the object is left out.", ""},
    {415,
     "Profile rows write the gradient, speed and adhesion cells section by section up to the third cell before "
     "the last; cells that do not follow that pattern no rows give.",
     "Nothing to fix in the recovered sources: the closest rows are written.", ""},
    {416,
     "A source text ends at a comma or a line end and loses its leading blanks; such a text cannot be read back "
     "as it is stored. The recovered source has a semicolon in place of each comma and line end.",
     "Nothing, or edit the text in the recovered source.", ""},
    {417,
     "A station's area, columns and stop follow from its record (type, length, columns); values that disagree "
     "were not written by a station record.",
     "Nothing to fix in the recovered sources: the closest record is written.", ""},
    {418,
     "Stations fill the scenario table from entry 1 up, sign texts from entry 80 down, each sign text with its "
     "board; entry 0 and the entries between stay empty.",
     "Nothing to fix in the recovered sources: the values are left out.", ""},
    {419,
     "Signals and stations write approach markers over what the cells hold; markers that no order of them "
     "writes were not written by a build.",
     "Nothing to fix in the recovered sources: the closest order is written.", ""},
    {420,
     "A slowdown is its start, its end, from 1500 m on its warning board 1200 m before it and, flagged, four "
     "cells before the board; a piece without the others no record gives.",
     "Nothing to fix in the recovered sources: the piece is left out.", ""},
    {421,
     "Mountain records give each cell a type and every fourth one a marker; a pattern no records give is left "
     "as close as it comes.",
     "Nothing to fix in the recovered sources.", ""},
    {422,
     "The plan is integrated metre by metre from straight runs and curves of six classes; points that none of "
     "them give are left out.",
     "Nothing to fix in the recovered sources: the closest curves are written.", ""},
    {423,
     "The kilometre references and the cab-signal repetition are stored as the general block gives them, "
     "ordered; values no general block gives were not written by a build.",
     "Nothing to fix in the recovered sources: the closest general block is written.", ""},
    {424,
     "The route has one cell per 50 m of the line and its 7000 m run-on; another number of cells is not a "
     "build of this line.",
     "Compile the sources again.", ""},
    {480,
     "The plan file is found by the line name the scenario file stores. A name that is not a plain file name "
     "(one with a folder in it, \"..\", or a character no file name holds) would name a file outside the "
     "folder, so it is not used: the plan is looked for under the scenario file's own name.",
     "Compile the sources again; a build stores the line's own name.", ""},
};

}  // namespace

const CodeExplanation* explanation_of(int32_t number) {
  const auto found = std::find_if(std::begin(kExplanations), std::end(kExplanations),
                                  [number](const CodeExplanation& e) { return e.number == number; });
  return found == std::end(kExplanations) ? nullptr : found;
}

}  // namespace scenario
