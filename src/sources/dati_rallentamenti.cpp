#include <array>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "sources/line_table.h"
#include "sources/station_names.h"
#include "sources/text_cells.h"
#include "sources/text_writers.h"

namespace scenario {

namespace {

// The slowdown order (form M. 3): the line and the train, a table of the
// slowdowns the driver must observe, and the legend of special prescriptions.

// Columns: running number, stations, kilometre marker, speed, length,
// special prescription.
constexpr std::array<std::size_t, 6> kColumns = {3, 28, 12, 10, 9, 12};

// One ordered slowdown, as the table lists it.
struct Slowdown {
  int number;
  std::string_view from;  // the two stations that bound it
  std::string_view to;
  int after_marker;  // kilometre marker it begins after
  int speed;         // km/h
  int length;        // metres
  std::string_view prescription;
};

// The same slowdown the train source file gives the simulator: 50 km/h over
// 400 metres between the origin and the third stop.
constexpr Slowdown kSlowdown = {1, kOrigin, stop(3), 8, 50, 400, "- - -"};
static_assert(1 + kSlowdown.from.size() + 3 + kSlowdown.to.size() <= 28);

std::string slowdown_row(const Slowdown& slowdown) {
  return grid_row(kColumns, {
                                centred(std::to_string(slowdown.number), 3),
                                left_aligned(" " + std::string(slowdown.from) + " - " + std::string(slowdown.to), 28),
                                centred(std::to_string(slowdown.after_marker), 12),
                                centred(std::to_string(slowdown.speed), 10),
                                centred(std::to_string(slowdown.length), 9),
                                centred(slowdown.prescription, 12),
                            });
}

}  // namespace

void dati_rallentamenti(const std::filesystem::path& folder, const TrackModel& model) {
  LineTable order;
  order.add("");
  order.add(spaces(31) + "Modulo M. 3");
  order.add(spaces(27) + "ORDINE DI RALLENTAMENTO");
  order.add(" " + std::string(80, '_'));
  order.add("  Linea  " + std::string(kOrigin) + " - " + std::string(kTerminus));
  order.add("");
  order.add("  Si ordina al macchinista del treno 24817 di effettuare i seguenti rallentamenti");

  // The table: one slowdown and empty rows for further orders.
  order.add(spaces(2) + std::string(79, '_'));
  order.add(" |   |                            |Inizio dopo |          |         |            |");
  order.add(" | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
  order.add(" |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |");
  order.add(filled_row(kColumns, '_'));
  order.add(slowdown_row(kSlowdown));
  for (int row = 0; row < 25; ++row) order.add(filled_row(kColumns, ' '));
  order.add(filled_row(kColumns, '_'));
  order.add("");

  // The legend; D stands before C, as on the printed form.
  order.add(spaces(14) + "Prescrizioni specifiche");
  order.add(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
  order.add(" B - Interessa anche la stazione di.......");
  order.add(" D - Rallentamneto N. ... e N. ...  sono contigui");
  order.add(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
  order.add("     i giorni esclusi i seguenti:.........");

  order.write(in_folder(folder, FileNames{model.nome_linea, model.numero_treno}.slowdown_order()));
}

}  // namespace scenario
