#include "compiler/source_format.h"

#include <algorithm>
#include <stdexcept>

#include "compiler/source_reader.h"

namespace scenario {

namespace {

using T = FieldType;
using P = Placement;

// --- the line source file's general block ------------------------------------

constexpr FieldFormat kLength[] = {
    {"length", T::int32, "m", "0 to 1000000", "the line's length; it sizes the whole line, so it comes first",
     "entry 84's fine; cells 0 to nearest((length + 7000) / 50), plan metres 0 to length + 7000"},
};

constexpr FieldFormat kReference[] = {
    {"start", T::int32, "m", "a multiple of 50", "the progressive where the kilometre reference starts",
     "inizio of entry 81, 82 or 83: the references are ordered by start, greatest first"},
    {"kilometre", T::int32, "m", "a multiple of 50", "the kilometre value at that progressive, in metres",
     "fine of the same entry, raised by 100 when the direction flag is 1"},
    {"direction", T::int32, "", "0 or 1", "the direction flag", "posizione of the same entry"},
};

constexpr FieldFormat kSfondoUno[] = {
    {"value", T::int32, "", "", "scenery selector one", "entry 85's inizio"},
};
constexpr FieldFormat kSfondoDue[] = {
    {"value", T::int32, "", "", "scenery selector two", "entry 85's posizione"},
};
constexpr FieldFormat kSfondoTre[] = {
    {"value", T::int32, "", "", "scenery selector three", "entry 85's fine"},
};

constexpr FieldFormat kRepetition[] = {
    {"first", T::int32, "m", "a multiple of 50", "first value of the cab-signal repetition", "entry 86's inizio"},
    {"second", T::int32, "m", "a multiple of 50", "second value of the cab-signal repetition; 0 stores no code system",
     "entry 86's fine; entry 86's posizione is the code system 4 or 9 that the keyword names, or 0"},
};

constexpr RecordFormat kLineGeneral[] = {
    {Record::lunghezza_percorso,
     "lunghezza percorso",
     {"percorso", "lunghezza"},
     false,
     kLength,
     "the line's length in metres"},
    {Record::progressiva_tre,
     "progressiva chilometrica tre",
     {"tre", "progressiva"},
     true,
     kReference,
     "kilometre reference three: ties progressives to the kilometre posts"},
    {Record::progressiva_due,
     "progressiva chilometrica due",
     {"due", "progressiva"},
     true,
     kReference,
     "kilometre reference two"},
    {Record::progressiva_uno,
     "progressiva chilometrica uno",
     {"uno", "progressiva"},
     true,
     kReference,
     "kilometre reference one"},
    {Record::sfondo_uno, "sfondo uno", {"sfondo", "uno"}, true, kSfondoUno, "scenery selector one"},
    {Record::sfondo_due, "sfondo due", {"sfondo", "due"}, true, kSfondoDue, "scenery selector two"},
    {Record::sfondo_tre, "sfondo tre", {"sfondo", "tre"}, true, kSfondoTre, "scenery selector three"},
    {Record::ripetizione_segnali,
     "ripetizione segnali 4 codici",
     {"segnali", "ripetizione"},
     true,
     kRepetition,
     "cab-signal repetition; the keyword names the code system, 4 or 9 (\"4\" is looked for first)"},
};

// --- the line source file's records ------------------------------------------

constexpr FieldFormat kGradient[] = {
    {"progressive", T::int32, "m", "inside the line", "where the gradient starts",
     "the gradient section starts at cell nearest(progressive / 50)", P::section_boundary},
    {"gradient", T::int32, "per mille", "-100 to 155", "the gradient from here on; positive climbs",
     "pendenza of the cells, plus 100"},
};

constexpr FieldFormat kCurve[] = {
    {"start", T::int32, "m", "inside the line; rows in ascending start", "the last straight metre before the curve",
     "the plan runs straight up to this metre"},
    {"length", T::int32, "m", "", "the length of the curve",
     "the plan turns over the metres after start up to start + length"},
};

constexpr FieldFormat kMountain[] = {
    {"inizio", T::int32, "m", "inside the line", "where the mountain stretch starts",
     "montagna of the cells from nearest(inizio / 50)", P::section_boundary},
    {"fine", T::int32, "m", "after inizio", "where the mountain stretch ends",
     "montagna of the cells up to nearest(fine / 50 - 1)"},
    {"tipo", T::int32, "", "1 to 10, or 11 to 20 for a stretch with markers", "the scenery type of the stretch",
     "montagna of the cells (less 10 above 10; 3 when it starts 150 m or less after the previous one ends); above "
     "10 every fourth empty cell gets a mountain marker (tipo 11)"},
};

constexpr FieldFormat kBoard[] = {
    {"posizione", T::int32, "m", "inside the line", "where the board stands", "a board (tipo 6) in the cell",
     P::object},
    {"vas", T::int32, "km/h", "a multiple of 5", "speed a of the group s", "dato1 = vas x 20 + vad / 5, rounded"},
    {"vbs", T::int32, "km/h", "a multiple of 5", "speed b of the group s", "dato2 = vbs x 20 + vbd / 5, rounded"},
    {"vcs", T::int32, "km/h", "a multiple of 5", "speed c of the group s", "dato3 = vcs x 20 + vcd / 5, rounded"},
    {"strisces", T::int32, "", "0 to 9", "stripes of the group s", "dato4 = strisces x 10 + strisced"},
    {"vad", T::int32, "km/h", "a multiple of 5; empty is 0", "speed a of the group d", "with vas in dato1"},
    {"vbd", T::int32, "km/h", "a multiple of 5; empty is 0", "speed b of the group d", "with vbs in dato2"},
    {"vcd", T::int32, "km/h", "a multiple of 5; empty is 0", "speed c of the group d", "with vcs in dato3"},
    {"strisced", T::int32, "", "0 to 9", "stripes of the group d", "with strisces in dato4"},
};

constexpr FieldFormat kSign[] = {
    {"progressive", T::int32, "m", "inside the line", "where the sign stands",
     "a sign board (tipo 14) in the cell, pointing at its text", P::object},
    {"text", T::stored_text, "", "no comma; at most 32767 characters", "the sign's text, as it is shown",
     "an entry of the scenario table, from 80 downward"},
};

constexpr RecordFormat kLineRecords[] = {
    {Record::pendenza, "pendenza", {"pendenza", ""}, false, kGradient, "a gradient change", "gradient rows"},
    {Record::curva,
     "curvas4",
     {"curva", ""},
     false,
     kCurve,
     "a curve: the keyword's letter s turns left (any other turns right) and its first digit 1 to 6 is the class: "
     "radius 10000, 5000, 2500, 1000, 500 or about 333 m",
     "curves"},
    {Record::montagna, "montagna", {"montagna", ""}, false, kMountain, "a mountain stretch", "mountains"},
    {Record::indicatori_vmax,
     "indicatori_vmax",
     {"indicatori_v", ""},
     false,
     kBoard,
     "a maximum-speed board",
     "speed boards"},
    {Record::cartello_indicatore,
     "cartello_indicatore",
     {"indicat", "cartello"},
     false,
     kSign,
     "an indicator sign",
     "signs"},
};

constexpr Record kGeneralSection[] = {Record::lunghezza_percorso, Record::progressiva_uno,    Record::progressiva_due,
                                      Record::progressiva_tre,    Record::sfondo_uno,         Record::sfondo_due,
                                      Record::sfondo_tre,         Record::ripetizione_segnali};
constexpr Record kCurveSection[] = {Record::curva};
constexpr Record kGradientSection[] = {Record::pendenza};
constexpr Record kMountainSection[] = {Record::montagna};
constexpr Record kBoardSection[] = {Record::indicatori_vmax};
constexpr Record kSignSection[] = {Record::cartello_indicatore};

constexpr SectionFormat kLineSections[] = {
    {"[generale]", "the general block: length, kilometre references, scenery, cab-signal repetition", kGeneralSection},
    {"[curve]", "curves, in ascending start", kCurveSection},
    {"[pendenze]", "gradient changes, in ascending progressive", kGradientSection},
    {"[montagne]", "mountain stretches", kMountainSection},
    {"[cartelli]", "maximum-speed boards", kBoardSection},
    {"[indicazioni]", "indicator signs", kSignSection},
    {"[fine]", "the end of the file", {}},
};

// --- the train source file ---------------------------------------------------------

constexpr FieldFormat kBrakedMass[] = {
    {"value", T::int32, "%", "", "the train's braked-mass percentage", "entry 84's inizio"},
};
constexpr FieldFormat kCars[] = {
    {"value", T::int32, "", "", "the number of cars", "entry 84's posizione"},
};

constexpr FieldFormat kSpeed[] = {
    {"progressive", T::int32, "m", "inside the line; the first row at 0", "where the speed limit starts",
     "the speed section starts at cell nearest(progressive / 50)", P::section_boundary},
    {"speed", T::int32, "km/h", "0 to 1277, a multiple of 5", "the speed limit from here on",
     "velocita of the cells: speed / 5, rounded"},
};

constexpr FieldFormat kAdhesion[] = {
    {"progressive", T::int32, "m", "inside the line; the first row at 0", "where the adhesion starts",
     "the adhesion section starts at cell nearest(progressive / 50)", P::section_boundary},
    {"value", T::int32, "", "0 to 255", "the adhesion from here on", "aderenza of the cells"},
};

constexpr FieldFormat kClock[] = {
    {"hours", T::int16, "h", "0 to 23", "the clock at the start: hours", "entry 86's col10"},
    {"minutes", T::int16, "min", "0 to 59", "minutes", "entry 86's col11"},
    {"seconds", T::int16, "s", "0 to 59", "seconds", "entry 86's col12"},
};

constexpr FieldFormat kSand[] = {
    {"value", T::int16, "", "", "the sand value", "entry 86's col7"},
};

constexpr FieldFormat kSignal[] = {
    {"posizione", T::int32, "m", "inside the line; 325 or more", "where the signal stands",
     "a signal (tipo 1) in the cell; approach markers 100, 200, 300 and 400 m before it", P::object},
    {"sx", T::int32, "", "1 or 2", "the signal's s kind",
     "dato4 = rapp x 10 + sx x 3 + dx; markers (sx x 3 + dx) x 10 + k"},
    {"s1", T::int32, "", "0 to 9", "first value of the s group", "dato1 = s1 x 10 + d1"},
    {"s2", T::int32, "", "0 to 9", "second value of the s group", "dato2 = s2 x 10 + d2"},
    {"s3", T::int32, "", "0 to 9", "third value of the s group", "dato3 = s3 x 10 + d3"},
    {"rapp", T::int32, "", "", "the rapp value", "the tens of dato4"},
    {"dx", T::int32, "", "0 to 2", "the signal's d kind", "with sx in dato4 and the markers"},
    {"d1", T::int32, "", "0 to 9", "first value of the d group", "the units of dato1"},
    {"d2", T::int32, "", "0 to 9", "second value of the d group", "the units of dato2"},
    {"d3", T::int32, "", "0 to 9", "third value of the d group", "the units of dato3"},
    {"tempo", T::int32, "s", "0, or 101 to 255", "the signal's time",
     "the cell's tempo when sx is 2 (1 to 100 become 101); 0 otherwise"},
};

constexpr FieldFormat kSlowdown[] = {
    {"x", T::int32, "m", "inside the line", "where the slowdown starts",
     "start (tipo 3) in the cell; the warning board (tipo 4) 1200 m before, when x is over 1500", P::object},
    {"v", T::int32, "km/h", "", "the slowdown's speed; under 110 the finishing pass marks inside it",
     "dato1 of the board, the start and the end"},
    {"l", T::int32, "m", "", "the slowdown's length", "the end (tipo 2) in the cell of x + l"},
    {"f_tt", T::int32, "", "0 or 1", "flag kept with the start and the end", "dato3 of the start and the end"},
    {"f_ta", T::int32, "", "0 or 1", "1 marks the four cells before the warning board",
     "tipo 5 with 1 to 4 in dato1, counted away from the board"},
    {"d_v", T::int32, "km/h", "0 for none", "a second speed", "dato2 of the board, the start, the end"},
};

constexpr FieldFormat kAbatement[] = {
    {"progressive", T::int32, "m", "inside the line", "where the speed abatement point stands",
     "the point in cell nearest(progressive / 50)", P::section_boundary},
    {"value", T::int32, "", "", "the point's value; under 1 for a point without value",
     "tipo 12 with the value in dato1, or tipo 13 without"},
};

constexpr FieldFormat kStation[] = {
    {"progressive", T::int32, "m", "a multiple of 50, inside the line", "where the station stands",
     "posizione of its entry; the stop cell lies 100 m before the end of its area", P::station},
    {"type", T::uint8, "", "0 to 255; under 25 the train stops", "the station's type",
     "tipo of its entry; 5 and 6: the area ends 150 m past the station; 7 and 8: a whole length on each side"},
    {"length", T::int32, "m", "a multiple of 100", "the station's length",
     "not stored: the area is half the length on each side (see type)"},
    {"col4", T::uint8, "", "0 to 255", "column 4", "col4, as read"},
    {"col5", T::uint8, "", "0 to 255", "column 5",
     "col5; cleared when the length is under 600 m and for the first "
     "station"},
    {"col6", T::uint8, "", "0 to 255", "column 6; not 0 ends the area 50 m further",
     "col6; cleared for types 5 to 8 and for the first station"},
    {"col7", T::int16, "", "-32768 to 32767", "column 7", "col7, as read"},
    {"col8", T::int16, "", "-32768 to 32767", "column 8", "col8, as read"},
    {"col9", T::uint8, "", "0 to 255", "column 9", "col9, as read"},
    {"col10", T::int16, "", "-32768 to 32767", "column 10", "col10, as read"},
    {"col11", T::int16, "", "-32768 to 32767", "column 11", "col11, as read"},
    {"col12", T::int16, "", "-32768 to 32767", "column 12", "col12, as read"},
    {"col13", T::uint8, "", "0 to 255", "column 13", "col13, as read"},
    {"hours", T::int32, "h", "0 to 23", "the station's time: hours", "orario = hours x 3600 + minutes x 60 + seconds"},
    {"minutes", T::int32, "min", "0 to 59", "minutes", "with hours in orario"},
    {"seconds", T::int32, "s", "0 to 59", "seconds", "with hours in orario"},
    {"name", T::stored_text, "", "no comma; at most 32767 characters", "the station's name", "testo of its entry"},
};

constexpr RecordFormat kTrainRecords[] = {
    {Record::massa_frenata,
     "percentuale massa frenata",
     {"frenata", "massa"},
     false,
     kBrakedMass,
     "the braked-mass percentage"},
    {Record::numero_vetture, "numero vetture", {"vetture", ""}, false, kCars, "the number of cars"},
    {Record::velocita, "velocita", {"velocit", ""}, false, kSpeed, "a speed limit change", "speed rows"},
    {Record::aderenza, "aderenza", {"aderenza", ""}, false, kAdhesion, "an adhesion change", "adhesion rows"},
    {Record::orologio,
     "orologio",
     {"orologio", ""},
     false,
     kClock,
     "the clock at the start; the three numbers may be parted by blanks instead of commas"},
    {Record::sabbia, "sabbia", {"sabbia", ""}, false, kSand, "the sand value"},
    {Record::segnale, "segnale", {"segnale", ""}, false, kSignal, "a signal", "signals"},
    {Record::rallentamento, "rallentamento", {"rallentamento", ""}, false, kSlowdown, "a slowdown", "slowdowns"},
    {Record::abbattimento,
     "abbattimento",
     {"abbattimento", ""},
     false,
     kAbatement,
     "a speed abatement point",
     "abatement points"},
    {Record::stazione, "stazione", {"stazione", ""}, false, kStation, "a station", "stations"},
};

constexpr Record kTrainGeneralSection[] = {Record::numero_vetture, Record::massa_frenata, Record::sabbia,
                                           Record::orologio};
constexpr Record kAdhesionSection[] = {Record::aderenza};
constexpr Record kSpeedSection[] = {Record::velocita};
constexpr Record kStationSection[] = {Record::stazione};
constexpr Record kSlowdownSection[] = {Record::rallentamento};
constexpr Record kSignalSection[] = {Record::segnale};
constexpr Record kCodeSection[] = {Record::abbattimento};

constexpr SectionFormat kTrainSections[] = {
    {"[generale]", "the train: cars, braked mass, sand, clock; from here on every record is read",
     kTrainGeneralSection},
    {"[aderenze]", "adhesion changes, in ascending progressive", kAdhesionSection},
    {"[vel_limite]", "speed limit changes, in ascending progressive", kSpeedSection},
    {"[stazioni]", "stations, in ascending progressive", kStationSection},
    {"[rallentamenti]", "slowdowns", kSlowdownSection},
    {"[segnali]", "signals", kSignalSection},
    {"[codici]", "speed abatement points", kCodeSection},
    {"[fine]", "the end of the file", {}},
};

constexpr SourceFormat kLineFormat = {
    SourceKind::line, "NAME_linea.txt", kLineGeneral, kLineRecords, kLineSections, 10, 2,
};

constexpr SourceFormat kTrainFormat = {
    SourceKind::train, "NAME_NUM-.txt", {}, kTrainRecords, kTrainSections, 0, 2,
};

}  // namespace

const SourceFormat& line_format() { return kLineFormat; }
const SourceFormat& train_format() { return kTrainFormat; }
const SourceFormat& format_of(SourceKind kind) { return kind == SourceKind::line ? kLineFormat : kTrainFormat; }

const RecordFormat& record_format(Record id) {
  for (const SourceFormat* format : {&kLineFormat, &kTrainFormat}) {
    for (const auto records : {format->general, format->records}) {
      const auto found =
          std::find_if(records.begin(), records.end(), [id](const RecordFormat& r) { return r.id == id; });
      if (found != records.end()) return *found;
    }
  }
  throw std::logic_error("a record without a format");
}

bool recognises(const RecordFormat& format, std::string_view keyword) {
  for (const std::string_view test : format.tests) {
    if (test.empty()) continue;
    if (!(format.exact_case ? contains(keyword, test) : contains_ignoring_case(keyword, test))) return false;
  }
  return true;
}

}  // namespace scenario
