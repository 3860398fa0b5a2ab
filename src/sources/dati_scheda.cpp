#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_names.h"
#include "sources/line_table.h"
#include "sources/station_names.h"
#include "sources/text_cells.h"
#include "sources/text_writers.h"

namespace scenario {

namespace {

// The timetable card: an identity box (train, origin, destination), a box
// with category and mass, and the table of the points along the route.

// Columns of the route table: speed limit, running speed, kilometre position,
// Rs number, locality, timetable, Rec.
constexpr std::array<std::size_t, 7> kColumns = {5, 5, 10, 5, 28, 16, 5};

// The locality cell holds a space and at most 27 characters. The longest
// texts are the exit switch of station 8 and the destination's protection
// signal.
constexpr std::string_view kProtectionSignal = "Seg. protezione ";
constexpr std::string_view kExitSwitch = "Deviatoio uscita ";
static_assert(std::ranges::all_of(kStops, [](std::string_view name) { return name.size() <= 27; }));
static_assert(kExitSwitch.size() + stop(8).size() <= 27);
static_assert(kProtectionSignal.size() + kDestination.size() <= 27);
// The identity box's middle cell: 22 characters before the name, 45 in all.
static_assert(kOrigin.size() <= 23 && kDestination.size() <= 23);

// One point of the route as the card lists it.
struct RoutePoint {
  std::string place;           // locality column
  int speed_limit = 0;         // km/h from this point on; 0 where the limit does not change
  std::optional<int> metres;   // kilometre position in metres
  std::string_view arrival;    // "hh.mm"; empty where the train does not arrive
  std::string_view departure;  // "hh.mm"; empty where the train does not leave
  std::string_view rec;        // Rec value; empty for none
};

// The route from the origin to the destination; station k is the k-th stop.
std::vector<RoutePoint> route() {
  const auto station = [](int k) { return std::string(stop(k)); };
  const auto capitalised_station = [](int k) { return capitalised(stop(k)); };
  return {
      // place                                                   limit  metres        arrival  departure  rec
      {station(1), 80, 90000, "", "13.53", ""},
      {"cippo km 0.000", 135, 0, "", "", ""},
      {station(2), 0, 6600, "14.02", "14.03", ""},
      {station(3), 0, 12400, "14.08", "14.09", "0.5"},
      {station(4), 0, 18600, "14.13", "14.14", "1"},
      {station(5), 0, 24450, "14.18", "14.19", "1"},
      {station(6), 0, 28950, "14.23", "14.24", "0.5"},
      {station(7), 0, 36050, "14.30", "14.31", "1.5"},
      {std::string(kProtectionSignal) + capitalised_station(8), 110, std::nullopt, "", "", ""},
      {station(8), 0, 40800, "14.36", "14.38", "0.5"},
      {std::string(kExitSwitch) + capitalised_station(8), 135, std::nullopt, "", "", ""},
      {station(9), 0, 46150, "14.42", "14.43", "0.5"},
      {station(10), 0, 48600, "14.45", "14.46", "0.5"},
      {station(11), 0, 53000, "14.50", "14.51", "0.5"},
      {station(12), 0, 56800, "14.55", "14.56", ""},
      {std::string(kProtectionSignal) + std::string(kDestination), 80, std::nullopt, "", "", ""},
      {station(13), 0, 65050, "15.03", "", "0.5"},
  };
}

// 12400 -> "12.400".
std::string kilometres(int metres) {
  const std::string thousandths = std::to_string(metres % 1000);
  return std::to_string(metres / 1000) + "." + std::string(3 - thousandths.size(), '0') + thousandths;
}

// The limit in the first four places and a space: " 135 ".
std::string speed_limit_cell(int speed_limit) {
  if (speed_limit == 0) return spaces(5);
  return right_aligned(std::to_string(speed_limit), 4) + " ";
}

// Right-aligned to the cell's end; on the origin's row alone the position
// stops one place short of it, as the printed card has it.
std::string kilometre_cell(std::optional<int> metres, bool origin) {
  if (!metres) return spaces(10);
  if (origin) return right_aligned(kilometres(*metres), 9) + " ";
  return right_aligned(kilometres(*metres), 10);
}

// Arrival and departure each keep their own place, so the origin's departure
// and the destination's arrival line up with the stops' times:
// " 14.02 - 14.03  ", "         13.53  ", " 15.03           ".
std::string timetable_cell(const RoutePoint& point) {
  const bool stops_here = !point.arrival.empty() && !point.departure.empty();
  return " " + left_aligned(point.arrival, 5) + (stops_here ? " - " : "   ") + left_aligned(point.departure, 5) + "  ";
}

std::string route_row(const RoutePoint& point, bool origin) {
  return grid_row(kColumns, {
                                speed_limit_cell(point.speed_limit),
                                spaces(5),
                                kilometre_cell(point.metres, origin),
                                spaces(5),
                                left_aligned(" " + point.place, 28),
                                timetable_cell(point),
                                centred(point.rec, 5),
                            });
}

}  // namespace

void dati_scheda(const std::filesystem::path& folder, const TrackModel& model) {
  const std::string underscores_19(19, '_');
  const std::string underscores_14(14, '_');
  LineTable card;
  card.add("");
  card.add("");

  // Identity box: train number, origin and destination, speed class and braked mass.
  card.add(spaces(2) + underscores_19 + spaces(47) + underscores_14);
  card.add(" |" + spaces(19) + "|" + spaces(20) + "SCHEDA" + spaces(19) + "|" + spaces(14) + "|");
  card.add(" |   TRENO n.24817   |" + left_aligned(spaces(18) + "da: " + capitalised(kOrigin), 45) +
           "|    V160 B    |");
  card.add(" |" + underscores_19 + "|" + left_aligned(spaces(19) + "a: " + capitalised(kDestination), 45) +
           "|    120 %     |");
  card.add(spaces(67) + "|" + underscores_14 + "|");

  // Category and mass.
  card.add(spaces(2) + underscores_19 + spaces(16) + underscores_19);
  card.add(" |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
  card.add(" |       REG         |              |      350T         |");
  card.add(" |___________________|              |___________________|");
  card.add("");

  // The route table, with room below the route for further points.
  card.add(spaces(2) + std::string(80, '_'));
  card.add(" | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
  card.add(" | Lim.|Marc.|          |  Rs |                            |                |     |");
  card.add(filled_row(kColumns, '_'));
  const std::vector<RoutePoint> points = route();
  for (std::size_t i = 0; i < points.size(); ++i) card.add(route_row(points[i], i == 0));
  for (int row = 0; row < 14; ++row) card.add(filled_row(kColumns, ' '));
  card.add(filled_row(kColumns, '_'));

  card.add("");
  card.add("");
  card.add("");
  card.add(" ");

  card.write(in_folder(folder, FileNames{model.nome_linea, model.numero_treno}.timetable_card()));
}

}  // namespace scenario
