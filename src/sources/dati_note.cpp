#include <array>
#include <string>
#include <string_view>

#include "base/file_names.h"
#include "sources/line_table.h"
#include "sources/station_names.h"
#include "sources/text_writers.h"

namespace scenario {

namespace {

// The notes: running text on the line, then on the train, then the
// signature. Station names come from the table of place names; the names
// below are the few the notes need beyond it.

// The two regions the line crosses, the trunk route it belongs to (by its two
// end cities) and the district it crosses.
constexpr std::array<std::string_view, 2> kRegions = {"Valdorsa", "Pianalta"};
constexpr std::array<std::string_view, 2> kTrunkRouteEnds = {"PORTOSALE", "MONTEGRANA"};
constexpr std::string_view kDistrict = "Bassa Ferrina";

// The signature: the scenario's editors, their town and their address.
constexpr std::string_view kSignatureName = "GRUPPO SCENARI BINARIO UNICO";
constexpr std::string_view kSignatureTown = "VILLAFERRATA";
constexpr std::string_view kSignatureContact = "scenari@example.org";

std::string name(std::string_view place) { return std::string(place); }
std::string station(int k) { return name(stop(k)); }

// "<system> da <from> a <to>": one stretch of line and its block system.
std::string block_section(std::string_view system, std::string_view from, std::string_view to,
                          std::string_view a = " a ") {
  return name(system) + " da " + name(from) + name(a) + name(to);
}

}  // namespace

void dati_note(const std::filesystem::path& folder, const TrackModel& model) {
  LineTable notes;

  // The line.
  notes.add("Caratteristiche della linea " + name(kOrigin) + "-" + name(kDestination) + "-" + name(kTerminus));
  notes.add("");
  notes.add("Trazione elettrica intera tratta.");
  notes.add("Doppio binario da " + name(kOrigin) + " a " + name(kDoubleTrackEnd) + ", binario unico da " +
            name(kDoubleTrackEnd) + " ad " + name(kTerminus));
  notes.add("Sistemi di esercizio: DIRIGENZA LOCALE con");
  notes.add(block_section("Blocco Automatico a correnti fisse con segnalamento a due aspetti", kOrigin, stop(3)));
  notes.add(block_section("Blocco Elettrico Manuale", stop(3), stop(6)));
  notes.add(block_section("Blocco Automatico Conta Assi", stop(6), stop(10)));
  notes.add(block_section("Blocco Elettrico Manuale", stop(10), kDestination));
  notes.add(block_section("Blocco Automatico a correnti fisse", kDestination, kDoubleTrackEnd));
  notes.add(block_section("Blocco Automatico Conta Assi", kDoubleTrackEnd, kFurtherStation, " ad "));
  notes.add(block_section("Bolcco Elettrico Manuale", kFurtherStation, kTerminus));
  notes.add("Non è attiva la Ripetizione Segnali");
  notes.add("Tutte le STAZIONI sono munite di doppio segnalamento di protezione e partenza.");
  notes.add(station(8) + ": la limitazione di velocità a 60 km/h dovuta a caratteristiche di tracciato in ");
  notes.add("ingresso/uscita lato " + capitalised(kOrigin) + " viene fornita con l'aspetto dei segnali.");
  notes.add(name(kFurtherStation) + ": la limitazione di velocità a 30 km/h dovuta a caratteristiche di tracciato in");
  notes.add("ingresso/uscita lato " + capitalised(kDestination) + " viene fornita con l'aspetto dei segnali.");
  notes.add("Le stazioni di " + name(kOrigin) + " e " + station(8) + " sono dotate di segnali di protezione anche in");
  notes.add("arrivo dal binario illegale (impianti 'tipo B' OS 17/1981).");
  notes.add("FERMATE presenziate protette da segnali:");
  notes.add(station(2) + ", segnali di PBA hanno anche funzione di protezione della fermata,");
  notes.add(station(5) + ", posto di blocco intermedio manuale munito di doppio segnalamento (ex stazione),");
  notes.add(station(7) + ", segnali di PBI BCA hanno anche funzione di protezione della fermata,");
  notes.add(station(9) + ", segnali di protezione della fermata che non influiscono sul distanziamento,");
  notes.add(station(12) + ", posto di blocco intermedio manuale, i segnali proteggono la fermata.");
  notes.add("POSTO DI MOVIMENTO " + name(kCrossingPoint) + ", telecomandato da " + name(kDoubleTrackEnd) +
            ", munito di binario di incrocio e doppio segnalamento.");
  std::string unstaffed;
  for (const std::string_view stop_name : kUnstaffedStops) {
    if (!unstaffed.empty()) unstaffed += ", ";
    unstaffed += stop_name;
  }
  notes.add(unstaffed + " sono fermate impresenziate ");
  notes.add("non munite di segnali.");
  notes.add("Esistono 42 passaggi a livello tutti indicati nella simulazione.");
  notes.add("Sono indicate le linee afferenti come diramazioni/confluenze.");
  notes.add("I cartelli indicatori di velocità massima non sono presenti in realtà.");
  notes.add("Situata tra " + name(kRegions[0]) + " e " + name(kRegions[1]) +
            ", la linea è parte integrante della direttrice ");
  notes.add(name(kTrunkRouteEnds[0]) + "-" + name(kTrunkRouteEnds[1]) + ".");
  notes.add("Il tracciato attraversa la pianura della " + name(kDistrict) +
            ", i tratti estremi presentano leggere pendenze.");
  notes.add("");
  notes.add("");
  notes.add("");

  // The train.
  notes.add("Caratteristiche del treno 24817:");
  notes.add("");
  notes.add("Regionale " + name(kOrigin) + "-" + name(kDestination) +
            ", l'orario prevede una 656 ma attualmente è in 'turno 424'.");
  notes.add("Il treno percorre solo il tratto sud della linea " + name(kOrigin) + "-" + name(kTerminus) + ".");
  notes.add("La marcia è a tratti perturbata da problemi dovuti ai passaggi a raso in funzione del ");
  notes.add("servizio viaggiatori dei treni in senso opposto.");
  notes.add("");
  notes.add("");

  // The signature.
  notes.add(name(kSignatureName));
  notes.add(name(kSignatureTown));
  notes.add(name(kSignatureContact) + " ");

  notes.write(in_folder(folder, FileNames{model.nome_linea, model.numero_treno}.notes()));
}

}  // namespace scenario
