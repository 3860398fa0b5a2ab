#include "compiler/source_format.h"

#include <algorithm>
#include <stdexcept>

#include "compiler/source_reader.h"

namespace scenario {

namespace {

using T = FieldType;
using P = Placement;
using B = Beyond;

constexpr int32_t kNoTop = INT32_MAX;

// Values the simulator reads as given: one outside the range is stored as
// written all the same.
constexpr ValueRange kept(int32_t low, int32_t high, std::string_view outcome = {}) {
  return {low, high, B::kept, B::kept, outcome, outcome};
}
// Values a cell keeps the low bits of: one outside reads back as another.
constexpr ValueRange low_bits(int32_t low, int32_t high, Beyond bits, int32_t offset = 0) {
  return {low, high, bits, bits, {}, {}, offset};
}
// A decimal digit packed with other values.
constexpr ValueRange kDigit = {0, 9, B::digit, B::digit};

// --- the line source file's general block ------------------------------------

constexpr FieldFormat kLength[] = {
    {"length", T::int32, "m", "1 to 1000000; more is error 1",
     "the line's length; it sizes the whole line, so it comes first",
     "entry 84's fine; cells 0 to nearest((length + 7000) / 50), plan metres 0 to length + 7000"},
};

constexpr FieldFormat kReference[] = {
    {"start", T::int32, "m", "a multiple of 50", "the progressive where the kilometre reference starts",
     "inizio of entry 81, 82 or 83: the references are ordered by start, greatest first"},
    {"kilometre", T::int32, "m", "a multiple of 50", "the kilometre value at that progressive, in metres",
     "fine of the same entry, raised by 100 when the direction flag is 1"},
    {"direction", T::int32, "", "", "the direction flag", "posizione of the same entry", P::none,
     kept(0, 1, "only 1 raises the kilometre value by 100")},
};

constexpr FieldFormat kSfondoUno[] = {
    {"value", T::int32, "", "its meaning is left to the simulator; the template writes 1", "scenery selector one",
     "entry 85's inizio"},
};
constexpr FieldFormat kSfondoDue[] = {
    {"value", T::int32, "", "its meaning is left to the simulator; the template writes 0", "scenery selector two",
     "entry 85's posizione"},
};
constexpr FieldFormat kSfondoTre[] = {
    {"value", T::int32, "", "its meaning is left to the simulator; the template writes 0", "scenery selector three",
     "entry 85's fine"},
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
    {"gradient", T::int32, "per mille", "", "the gradient from here on; positive climbs",
     "pendenza of the cells, plus 100", P::none, low_bits(-100, 155, B::low8, 100)},
};

constexpr FieldFormat kCurve[] = {
    {"start", T::int32, "m", "inside the line; rows in ascending start", "the last straight metre before the curve",
     "the plan runs straight up to this metre"},
    {"length",
     T::int32,
     "m",
     "",
     "the length of the curve",
     "the plan turns over the metres after start up to start + length",
     P::none,
     {1, kNoTop, B::nothing, B::unchecked, "the plan makes no turn: the curve vanishes"}},
};

constexpr FieldFormat kMountain[] = {
    {"inizio", T::int32, "m", "inside the line", "where the mountain stretch starts",
     "montagna of the cells from nearest(inizio / 50)", P::section_boundary},
    {"fine", T::int32, "m", "after inizio", "where the mountain stretch ends",
     "montagna of the cells up to nearest(fine / 50 - 1)"},
    {"tipo",
     T::int32,
     "",
     "11 to 20 for a stretch with markers; the meaning of each type is left to the simulator (the template: 11)",
     "the scenery type of the stretch",
     "montagna of the cells (less 10 above 10; 3 when it starts 150 m or less after the previous one ends); above "
     "10 every fourth empty cell gets a mountain marker (tipo 11)",
     P::none,
     {1, 20, B::nothing, B::kept, "the cells get no mountain type (0 makes no mountain at all)",
      "the cells get a type above 10, which no mountain has"}},
};

constexpr FieldFormat kBoard[] = {
    {"posizione", T::int32, "m", "inside the line", "where the board stands", "a board (tipo 6) in the cell",
     P::object},
    {"vas", T::int32, "km/h", "a multiple of 5", "speed a of the group s", "dato1 = vas x 20 + vad / 5, rounded"},
    {"vbs", T::int32, "km/h", "a multiple of 5", "speed b of the group s", "dato2 = vbs x 20 + vbd / 5, rounded"},
    {"vcs", T::int32, "km/h", "a multiple of 5", "speed c of the group s", "dato3 = vcs x 20 + vcd / 5, rounded"},
    {"strisces", T::int32, "", "", "stripes of the group s", "dato4 = strisces x 10 + strisced", P::none, kDigit},
    {"vad", T::int32, "km/h", "a multiple of 5, under 100 km/h; empty is 0", "speed a of the group d",
     "with vas in dato1"},
    {"vbd", T::int32, "km/h", "a multiple of 5, under 100 km/h; empty is 0", "speed b of the group d",
     "with vbs in dato2"},
    {"vcd", T::int32, "km/h", "a multiple of 5, under 100 km/h; empty is 0", "speed c of the group d",
     "with vcs in dato3"},
    {"strisced", T::int32, "", "", "stripes of the group d", "the units of dato4", P::none, kDigit},
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
     "a curve: an s anywhere in the keyword turns it left (without one it turns right), and the lowest of the digits "
     "1 to 6 in the keyword is its class: radius 10000, 5000, 2500, 1000, 500 or about 333 m",
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
    {"speed", T::int32, "km/h", "0 to 1275, a multiple of 5; more, or less than 0, is error 25",
     "the speed limit from here on", "velocita of the cells: speed / 5, rounded"},
};

constexpr FieldFormat kAdhesion[] = {
    {"progressive", T::int32, "m", "inside the line; the first row at 0", "where the adhesion starts",
     "the adhesion section starts at cell nearest(progressive / 50)", P::section_boundary},
    {"value", T::int32, "", "", "the adhesion from here on", "aderenza of the cells", P::none,
     low_bits(0, 255, B::low8)},
};

constexpr FieldFormat kClock[] = {
    {"hours", T::int16, "h", "", "the clock at the start: hours", "entry 86's col10", P::none, kept(0, 23)},
    {"minutes", T::int16, "min", "", "minutes", "entry 86's col11", P::none, kept(0, 59)},
    {"seconds", T::int16, "s", "", "seconds", "entry 86's col12", P::none, kept(0, 59)},
};

constexpr FieldFormat kSand[] = {
    {"value", T::int16, "", "its meaning is left to the simulator; the template writes 300", "the sand value",
     "entry 86's col7"},
};

constexpr FieldFormat kSignal[] = {
    {"posizione", T::int32, "m", "inside the line; 325 or more", "where the signal stands",
     "a signal (tipo 1) in the cell; approach markers 100, 200, 300 and 400 m before it", P::object},
    {"sx", T::int32, "", "the template: 1 and 2", "the signal's s kind",
     "dato4 = rapp x 10 + sx x 3 + dx; markers (sx x 3 + dx) x 10 + k", P::none, kept(1, 2)},
    {"s1", T::int32, "", "the template: 2 to 5", "first value of the s group", "dato1 = s1 x 10 + d1", P::none, kDigit},
    {"s2", T::int32, "", "the template: 0", "second value of the s group", "dato2 = s2 x 10 + d2", P::none, kDigit},
    {"s3", T::int32, "", "the template: 0 and 1", "third value of the s group", "dato3 = s3 x 10 + d3", P::none,
     kDigit},
    {"rapp", T::int32, "", "the template: 0", "the rapp value", "the tens of dato4"},
    {"dx", T::int32, "", "the template: 0, 1 and 2", "the signal's d kind", "with sx in dato4 and the markers", P::none,
     kept(0, 2)},
    {"d1", T::int32, "", "the template: 0 to 3", "first value of the d group", "the units of dato1", P::none, kDigit},
    {"d2", T::int32, "", "the template: 0 and 1", "second value of the d group", "the units of dato2", P::none, kDigit},
    {"d3", T::int32, "", "the template: 0", "third value of the d group", "the units of dato3", P::none, kDigit},
    {"tempo",
     T::int32,
     "s",
     "1 to 100 are stored as 101; counts only when sx is 2",
     "the signal's time",
     "the cell's tempo when sx is 2 (1 to 100 become 101); 0 otherwise",
     P::none,
     {0, 255, B::low8, B::low8, {}, {}, 0, "sx", 2}},
};

constexpr FieldFormat kSlowdown[] = {
    {"x", T::int32, "m", "inside the line", "where the slowdown starts",
     "start (tipo 3) in the cell; the warning board (tipo 4) 1200 m before, when x is over 1500", P::object},
    {"v",
     T::int32,
     "km/h",
     "",
     "the slowdown's speed; under 110 the finishing pass marks inside it",
     "dato1 of the board, the start and the end",
     P::none,
     {0, 32767, B::kept, B::low16, "a speed below 0 km/h"}},
    {"l",
     T::int32,
     "m",
     "",
     "the slowdown's length",
     "the end (tipo 2) in the cell of x + l",
     P::none,
     {1, kNoTop, B::nothing, B::unchecked,
      "the slowdown has no length: its end falls in its start's cell or before it"}},
    {"f_tt", T::int32, "", "", "flag kept with the start and the end", "dato3 of the start and the end", P::none,
     kept(0, 1)},
    {"f_ta", T::int32, "", "", "1 marks the four cells before the warning board",
     "tipo 5 with 1 to 4 in dato1, counted away from the board", P::none,
     kept(0, 1, "any value but 0 marks the four cells")},
    {"d_v",
     T::int32,
     "km/h",
     "0 for none",
     "a second speed",
     "dato2 of the board, the start, the end",
     P::none,
     {0, 32767, B::kept, B::low16, "a speed below 0 km/h"}},
};

constexpr FieldFormat kAbatement[] = {
    {"progressive", T::int32, "m", "inside the line", "where the speed abatement point stands",
     "the point in cell nearest(progressive / 50)", P::section_boundary},
    {"value",
     T::int32,
     "",
     "under 1 for a point without value",
     "the point's value",
     "tipo 12 with the value in dato1, or tipo 13 without",
     P::none,
     {1, 32767, B::unchecked, B::low16}},
};

constexpr FieldFormat kStation[] = {
    {"progressive", T::int32, "m", "a multiple of 50, inside the line", "where the station stands",
     "posizione of its entry; the stop cell lies 100 m before the end of its area", P::station},
    {"type", T::uint8, "",
     "under 25 the train stops; the meaning of each type is left to the simulator (the template: 2, 4, 12, 24, 26, "
     "28)",
     "the station's type",
     "tipo of its entry; 5 and 6: the area ends 150 m past the station; 7 and 8: a whole length on each side"},
    {"length",
     T::int32,
     "m",
     "a multiple of 100",
     "the station's length",
     "not stored: the area is half the length on each side (see type)",
     P::none,
     {100, kNoTop, B::nothing, B::unchecked, "the station's area is empty or turned round"}},
    {"col4", T::uint8, "", "left to the simulator; the template: 0 and 1", "column 4", "col4, as read"},
    {"col5", T::uint8, "", "left to the simulator; the template: 0", "column 5",
     "col5; cleared when the length is under 600 m and for the first "
     "station"},
    {"col6", T::uint8, "", "left to the simulator; the template: 0", "column 6; not 0 ends the area 50 m further",
     "col6; cleared for types 5 to 8 and for the first station"},
    {"col7", T::int16, "", "left to the simulator; the template: 0, 1 and 4", "column 7", "col7, as read"},
    {"col8", T::int16, "", "left to the simulator; the template: 0 and 1", "column 8", "col8, as read"},
    {"col9", T::uint8, "", "left to the simulator; the template: 0", "column 9", "col9, as read"},
    {"col10", T::int16, "", "left to the simulator; the template: 0, 2 and 4", "column 10", "col10, as read"},
    {"col11", T::int16, "", "left to the simulator; the template: 0 and 1", "column 11", "col11, as read"},
    {"col12", T::int16, "", "left to the simulator; the template: 0 and 1", "column 12", "col12, as read"},
    {"col13", T::uint8, "", "left to the simulator; the template: 0, 1, 30 and 50", "column 13", "col13, as read"},
    {"hours", T::int32, "h", "", "the station's time: hours", "orario = hours x 3600 + minutes x 60 + seconds", P::none,
     kept(0, 23)},
    {"minutes", T::int32, "min", "", "minutes", "with hours in orario", P::none, kept(0, 59)},
    {"seconds", T::int32, "s", "", "seconds", "with hours in orario", P::none, kept(0, 59)},
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

std::string range_text(const FieldFormat& field) {
  const ValueRange& r = field.limits;
  std::string text;
  if (r.bounded()) {
    if (r.high == kNoTop) {
      text = std::to_string(r.low) + " or more";
    } else if (r.high == r.low + 1) {
      text = std::to_string(r.low) + " or " + std::to_string(r.high);
    } else {
      text = std::to_string(r.low) + " to " + std::to_string(r.high);
    }
  }
  if (!field.range.empty()) text += (text.empty() ? "" : "; ") + std::string(field.range);
  return text;
}

namespace {

std::string side_text(Beyond beyond, std::string_view outcome, const ValueRange& r) {
  switch (beyond) {
    case B::unchecked:
      return {};
    case B::kept:
      return outcome.empty() ? "stored as written, though the simulator expects the range" : std::string(outcome);
    case B::low8:
      return r.offset != 0 ? "the cell keeps the low 8 bits of the value + " + std::to_string(r.offset) +
                                 ": it reads back as another value"
                           : "the cell keeps the low 8 bits: it reads back as another value";
    case B::low16:
      return "the cell keeps the low 16 bits: it reads back as another value";
    case B::digit:
      return "it spills into the value packed with it";
    case B::nothing:
      return std::string(outcome);
  }
  return {};
}

}  // namespace

std::string beyond_text(const FieldFormat& field) {
  const ValueRange& r = field.limits;
  const std::string below = side_text(r.below, r.below_outcome, r);
  const std::string above = side_text(r.above, r.above_outcome, r);
  if (below == above) return below;
  std::string text;
  if (!below.empty()) text = "below: " + below;
  if (!above.empty()) text += (text.empty() ? "" : "; ") + std::string("above: ") + above;
  return text;
}

OutOfRange out_of_range(const FieldFormat& field, int32_t value) {
  const ValueRange& r = field.limits;
  const Beyond beyond = value < r.low ? r.below : value > r.high ? r.above : B::unchecked;
  OutOfRange out{beyond, value};
  if (beyond == B::low8) {
    out.stored = static_cast<int32_t>(static_cast<uint8_t>(int64_t{value} + r.offset)) - r.offset;
  } else if (beyond == B::low16) {
    out.stored = static_cast<int32_t>(static_cast<int16_t>(int64_t{value} + r.offset)) - r.offset;
  }
  // Low bits that keep the value whole change nothing.
  if ((beyond == B::low8 || beyond == B::low16) && out.stored == value) out.beyond = B::unchecked;
  return out;
}

bool recognises(const RecordFormat& format, std::string_view keyword) {
  for (const std::string_view test : format.tests) {
    if (test.empty()) continue;
    if (!(format.exact_case ? contains(keyword, test) : contains_ignoring_case(keyword, test))) return false;
  }
  return true;
}

}  // namespace scenario
