#pragma once

#include <array>
#include <string>
#include <string_view>

namespace scenario {

// The scenario's one table of place names. The train source file, the timetable
// card, the slowdown order and the notes all take their names from here, so
// they never disagree. Names are held in capitals; capitalised() gives the form
// with only the first letter upper case ("Corvalle").

// The train's 13 stops in route order: the origin, stations 2 to 12 and the
// destination. Stop k is "station k" of the timetable card.
inline constexpr std::array<std::string_view, 13> kStops = {
    "CORVALLE",     // 1, origin, progressive 0
    "VALDIRONE",    // 2
    "CASTELBRUNO",  // 3
    "ROCCAVENTA",   // 4
    "BORGOLIVO",    // 5
    "SERRAMONDA",   // 6
    "CAMPOLENTO",   // 7
    "FONTERIVA",    // 8 (the card's column leaves room for at most 10 letters)
    "ORTAVELLA",    // 9
    "SPINAROLA",    // 10
    "BELMONTINO",   // 11
    "POGGIOSECCO",  // 12
    "SALVARENA",    // 13, destination, progressive 66600 (at most 11 letters)
};

// Stop k (1-based), as the documents number them.
inline constexpr std::string_view stop(int k) { return kStops[static_cast<std::size_t>(k - 1)]; }
inline constexpr std::string_view kOrigin = kStops.front();
inline constexpr std::string_view kDestination = kStops.back();

// Places of the line beyond the train's destination, in line order.
inline constexpr std::string_view kDoubleTrackEnd = "ALTOPINO";   // double track ends here
inline constexpr std::string_view kFurtherStation = "LUCIGNOLA";  // next station after it
inline constexpr std::string_view kTerminus = "BRINTA";           // the line's far end
inline constexpr std::string_view kCrossingPoint = "CROCEMORA";   // crossing point, run from kDoubleTrackEnd
inline constexpr std::array<std::string_view, 4> kUnstaffedStops = {"VIGNALTA", "ROSSOLENGO", "FOSSAROLO",
                                                                    "PIEVELUNGA"};

// "CORVALLE" -> "Corvalle": first letter kept, the rest in lower case (ASCII).
inline std::string capitalised(std::string_view name) {
  std::string out(name);
  for (std::size_t i = 1; i < out.size(); ++i) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

}  // namespace scenario
