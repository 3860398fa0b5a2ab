#pragma once

#include <string>
#include <vector>

namespace scenario::testing {

// A 20 km line with a board and a sign, and a train with two stations, a
// signal and a slowdown: it compiles clean, without a warning.
inline const std::vector<std::string> kSmallLine = {
    "[generale]",                                                 // 1
    "lunghezza percorso,    20000",                               // 2
    "progressiva chilometrica uno,    0,    5000,    0",          // 3
    "ripetizione segnali 4 codici,    0    ,0",                   // 4
    "[pendenze]",                                                 // 5
    "pendenza,  0,   0",                                          // 6
    "pendenza,  1500,   -5",                                      // 7
    "[cartelli]",                                                 // 8
    "indicatori_vmax,  1550,  125,  135,  135,  0,  ,  ,  ,  0",  // 9
    "[indicazioni]",                                              // 10
    "cartello_indicatore,  2900,   (PL km)(1+522)",               // 11
    "[fine]",                                                     // 12
};
inline const std::vector<std::string> kSmallTrain = {
    "[generale]",                                                                     // 1
    "numero vetture,    4",                                                           // 2
    "velocita,       0,    80",                                                       // 3
    "aderenza,   0,    100",                                                          // 4
    "stazione,       0,  2,  700,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,58, 0, PIANA",  // 5
    "stazione,    8050, 28,  300,  0, 0, 0,  0,0,0,  0,0,0,   30,  14, 3, 0, MONTE",  // 6
    "segnale,    2800,   1, 4, 0,  0, 0,    0,  0,0,0, 0",                            // 7
    "rallentamento,   10200,    50,  400, 0,  1,  0",                                 // 8
    "[fine]",                                                                         // 9
};

// Lines joined as a source file holds them: each ended by CR LF.
inline std::string crlf(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

}  // namespace scenario::testing
