#include "sources/train_source_content.h"

namespace scenario {

namespace {

constexpr std::string_view kOpening[] = {
    // general values
    "[generale]",
    "numero vetture,    4",
    "percentuale massa frenata,    120",
    "sabbia,    300",
    "orologio,    13              57            40 ",
    // adhesion: progressive, value
    "[aderenze]",
    "aderenza,   0,    100",
    // speed limits: progressive, km/h
    "[vel_limite]",
    "velocita,       0,    80",
    "velocita,    1500,   135",
    "velocita,   30450,    30",
    "velocita,   30700,   135",
    "velocita,   41300,   110",
    "velocita,   42800,   135",
    "velocita,   54400,    30",
    "velocita,   54650,   135",
    "velocita,   65450,    80",
    "velocita,   67100,   130",
    "velocita,   69700,    60",
    "velocita,   70150,   130",
    "velocita,   82150,    30",
    "velocita,   83150,    60",
    "velocita,   83500,   135",
    "velocita,   93650,    40",
    "velocita,   93850,   130",
    "velocita,  100100,   110",
    "[stazioni]",
};

// Progressive, type, length, columns 4 to 13, hours, minutes, seconds; the
// name follows. Stations of type below 25 have a stop cell, nearest(end of
// the station area / 50 - 1): 6, 282, 401, 522, 851 and 1336.
constexpr std::string_view kStationRows[] = {
    "stazione,       0,  2,  700,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,58, 0, ",
    "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, ",
    "stazione,   13900, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   30,  14, 9, 0, ",
    "stazione,   19900, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14,14, 0, ",
    "stazione,   25950, 24,  400,  0, 0, 0,  0,0,0,  4,1,1,   30,  14,19, 0, ",
    "stazione,   30550, 26,  400,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,24, 0, ",
    "stazione,   37550, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,31, 0, ",
    "stazione,   42300,  4,  600,  1, 0, 0,  4,1,0,  2,1,1,   50,  14,38, 0, ",
    "stazione,   47600, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,43, 0, ",
    "stazione,   50100, 26,  400,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,46, 0, ",
    "stazione,   54500, 26,  400,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,51, 0, ",
    "stazione,   58250, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14,56, 0, ",
    "stazione,   66600,  4,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  15, 3, 0, ",
};

// Signals stand at progressive 325 or more, each in a cell (nearest(p / 50 + 1))
// of its own, off the line's boards and signs, the stop cells above and the
// slowdown's cells (warning board 181, cells 177 to 180 before it, start 205,
// end 213). None stands in cells 161 to 225, so the finishing pass always
// finds room for its marks before the slowdown's warning board and after its
// end.
constexpr std::string_view kClosing[] = {
    "[rallentamenti]",
    "rallentamento,   10200,    50,  400, 0,  1,  0",
    // signals: progressive, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo
    "[segnali]",
    "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    5400,   1, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,    7900,   2, 4, 0,  0, 0,    0,  0,0,0, 210",
    "segnale,   11600,   1, 5, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   13300,   2, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   14450,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   16900,   1, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   19300,   2, 2, 0,  0, 0,    0,  0,0,0, 250",
    "segnale,   20450,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   23100,   1, 5, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   25350,   2, 3, 0,  0, 0,    0,  0,0,0, 210",
    "segnale,   26550,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   28400,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   29950,   2, 2, 0,  0, 0,    0,  0,0,0, 215",
    "segnale,   33800,   1, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   37000,   2, 2, 0,  0, 0,    0,  0,0,0, 255",
    "segnale,   40050,   1, 3, 4,  0, 0,    1,  3,1,0, 0",
    "segnale,   41300,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
    "segnale,   42900,   2, 4, 0,  0, 0,    0,  0,0,0, 250",
    "segnale,   46100,   1, 4, 0,  0, 0,    0,  0,0,0, 210",
    "segnale,   47000,   2, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   49400,   2, 2, 0,  0, 0,    0,  0,0,0, 210",
    "segnale,   51800,   1, 5, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   53900,   2, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   55300,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   57700,   2, 3, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   60300,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   63000,   2, 5, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   65450,   2, 2, 3,  1, 0,    0,  0,0,0, 120",
    "[codici]",
    "[fine]",
};

}  // namespace

std::span<const std::string_view> train_source_opening() { return kOpening; }
std::span<const std::string_view> station_rows() { return kStationRows; }
std::span<const std::string_view> train_source_closing() { return kClosing; }

}  // namespace scenario
