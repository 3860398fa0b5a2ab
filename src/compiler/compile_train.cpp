// The train source file: train values, speed and adhesion profiles, signals,
// slowdowns, abatement points and stations.
#include <array>
#include <stdexcept>
#include <string>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "compiler/codes.h"
#include "compiler/integer_fields.h"
#include "compiler/record_builders.h"
#include "compiler/source_phase.h"
#include "compiler/station_rules.h"

namespace scenario {

namespace {

// A station area must begin at least this far after the previous one ends.
constexpr int32_t kStationGap = 350;

// The speed field holds km/h divided by 5; a speed whose fifth does not fit a
// byte is a run-time failure, not a wrapped value.
uint8_t speed_field(int32_t kmh) {
  const int32_t v = nearest(kmh / 5.0);
  if (v < 0 || v > 255) throw RunTimeFailure("speed " + std::to_string(kmh) + " km/h does not fit the speed field");
  return static_cast<uint8_t>(v);
}

class TrainPhase : public SourcePhase {
 public:
  TrainPhase(CompileContext& context, const std::string& file_name, int32_t sign_slot)
      : SourcePhase(context, file_name), sign_slot_(sign_slot) {}

  bool run();

 private:
  void skip_to_general_block();
  Next record(const RecordFormat& format, const std::string& keyword) override;
  Next velocita();
  Next aderenza();
  Next segnale();
  Next rallentamento();
  Next abbattimento();
  Next stazione();
  void finish();
  void write_speed_cell();
  void write_adhesion_cell();

  const int32_t sign_slot_;    // stations must stay below the sign texts
  int32_t station_index_ = 1;  // entry of the next station
  int32_t speed_cell_ = 0;     // first cell of the speed profile not yet written
  int32_t carried_speed_ = 0;  // the speed that goes there, km/h
  // The row that gave the carried speed, and its speed field.
  SourcePlace carried_speed_row_;
  SourcePlace carried_speed_field_;
  int32_t adhesion_cell_ = 0;
  int32_t carried_adhesion_ = 0;
};

bool TrainPhase::run() {
  open();
  skip_to_general_block();
  if (!read_records(train_format().records, train_format().record_comments)) return false;
  finish();
  return true;
}

// Everything before the first field that contains "[generale]" is skipped;
// without one nothing of the file is used.
void TrainPhase::skip_to_general_block() {
  while (!reader().at_end()) {
    model_.riga = reader().read_text();
    if (contains_ignoring_case(model_.riga, kGeneralHeader)) {
      pass_over(PassedOver::header);
      return;
    }
    pass_over(PassedOver::before_general_block);
  }
}

// Every test is tried on the keyword in the table's order.
Next TrainPhase::record(const RecordFormat& format, const std::string&) {
  voce_sim& figures = model_.voce_at(voce::treno_e_linea);
  voce_sim& treno = model_.voce_at(voce::intestazione_treno);
  switch (format.id) {
    case Record::massa_frenata:
      figures.inizio = number("value");
      return Next::record;
    case Record::numero_vetture:
      figures.posizione = number("value");
      return Next::record;
    case Record::velocita:
      return velocita();
    case Record::aderenza:
      return aderenza();
    case Record::orologio:
      treno.col10 = static_cast<int16_t>(number("hours"));
      treno.col11 = static_cast<int16_t>(number("minutes"));
      treno.col12 = static_cast<int16_t>(number("seconds"));
      return Next::record;
    case Record::sabbia:
      treno.col7 = static_cast<int16_t>(number("value"));
      return Next::record;
    case Record::segnale:
      return segnale();
    case Record::rallentamento:
      return rallentamento();
    case Record::abbattimento:
      return abbattimento();
    case Record::stazione:
      return stazione();
    default:
      throw std::logic_error("a line record in the train source file");
  }
}

// A speed that does not fit the field fails when its cells are written, at a
// later row or at the end: the failure belongs to the row that gave it.
void TrainPhase::write_speed_cell() {
  cella& cell = model_.cella_at(speed_cell_);
  try {
    cell.velocita = speed_field(carried_speed_);
  } catch (const RunTimeFailure&) {
    source().record = &record_format(Record::velocita);
    source().record_place = carried_speed_row_;
    source().cause = carried_speed_field_;
    throw;
  }
  ++speed_cell_;
}

void TrainPhase::write_adhesion_cell() {
  model_.cella_at(adhesion_cell_).aderenza = low8(carried_adhesion_);
  ++adhesion_cell_;
}

// From progressive p on the speed limit is v km/h: the cells up to the
// section's first cell, nearest(p / 50), get the speed carried so far. The
// speed profile never writes the last cell.
Next TrainPhase::velocita() {
  const int32_t p = number("progressive");
  const int32_t v = number("speed");
  const SourcePlace speed_place = place_here();
  if (!in_line(p)) return outside_line("progressive");
  const int32_t c = boundary_cell(p);
  if (c > 0) {
    do {
      if (speed_cell_ >= model_.ultima_cella()) break;
      write_speed_cell();
    } while (speed_cell_ < c);
  }
  carried_speed_ = v;
  carried_speed_row_ = record_place();
  carried_speed_field_ = speed_place;
  return Next::record;
}

// From progressive p on the adhesion is a; as the speed profile.
Next TrainPhase::aderenza() {
  const int32_t p = number("progressive");
  const int32_t a = number("value");
  if (!in_line(p)) return outside_line("progressive");
  const int32_t c = boundary_cell(p);
  if (c > 0) {
    do {
      write_adhesion_cell();
    } while (adhesion_cell_ < c);
  }
  carried_adhesion_ = a;
  return Next::record;
}

Next TrainPhase::segnale() {
  const auto v = numbers<11>();  // posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo
  if (!in_line(v[0])) return outside_line("posizione");
  const int32_t code_before = model_.codice_errore;
  memo_segnale(model_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
  return after_builder(code_before, "posizione");
}

Next TrainPhase::rallentamento() {
  const auto v = numbers<6>();  // x, v, l, f_tt, f_ta, d_v
  if (!in_line(v[0])) return outside_line("x");
  const int32_t code_before = model_.codice_errore;
  memo_rallentamento(model_, v[0], v[1], v[2], v[3], v[4], v[5]);
  return after_builder(code_before, "x");
}

// A speed abatement point stands at a section boundary, cell nearest(p / 50);
// a value of 1 or more is stored with it.
Next TrainPhase::abbattimento() {
  const int32_t p = number("progressive");
  const int32_t value = number("value");
  if (!in_line(p)) return outside_line("progressive");
  cella& cell = model_.cella_at(boundary_cell(p));
  if (!libera(cell)) return fail(code::abatement_cell_taken, "progressive");
  if (value >= 1) {
    cell.tipo = tipo_cella::abbattimento_valore;
    cell.dato1 = low16(value);
  } else {
    cell.tipo = tipo_cella::abbattimento;
  }
  return Next::record;
}

// A station: its entry in the scenario table, filled field by field as it is
// read, its area, and, for types below 25, its stop cell with the four
// approach markers before it.
Next TrainPhase::stazione() {
  voce_sim& e = model_.voce_at(station_index_);
  // Each field goes into the entry as it is read: a record cut short by a
  // failure leaves what it had.
  e.posizione = number("progressive");
  if (!in_line(e.posizione, 800)) return outside_line("progressive");
  if (e.posizione % 50 != 0) return fail(code::station_off_grid, "progressive");
  e.tipo = static_cast<uint8_t>(number("type"));
  const int32_t length = number("length");  // used only for the area
  if (length % 100 != 0) return fail(code::station_length_off_grid, "length");
  e.col4 = static_cast<uint8_t>(number("col4"));
  e.col5 = static_cast<uint8_t>(number("col5"));
  e.col6 = static_cast<uint8_t>(number("col6"));
  e.col7 = static_cast<int16_t>(number("col7"));
  e.col8 = static_cast<int16_t>(number("col8"));
  e.col9 = static_cast<uint8_t>(number("col9"));
  e.col10 = static_cast<int16_t>(number("col10"));
  e.col11 = static_cast<int16_t>(number("col11"));
  e.col12 = static_cast<int16_t>(number("col12"));
  e.col13 = static_cast<uint8_t>(number("col13"));
  const int32_t hours = number("hours");
  const int32_t minutes = number("minutes");
  const int32_t seconds = number("seconds");
  e.orario = add32(add32(mul32(hours, 3600), mul32(minutes, 60)), seconds);
  e.testo = text("name");

  // The area: types 5 and 6 reach 150 m past the station, types 7 and 8 a
  // whole length on both sides; the others half a length on each side, and
  // 50 m more at the end when column 6 says so.
  if (e.tipo == 5 || e.tipo == 6) {
    e.fine = add32(e.posizione, 150);
    e.inizio = sub32(e.posizione, length);
    e.col6 = 0;
  } else if (e.tipo == 7 || e.tipo == 8) {
    e.inizio = sub32(e.posizione, length);
    e.fine = add32(e.posizione, length);
    e.col6 = 0;
  } else {
    e.inizio = nearest(e.posizione - length / 2.0);
    double end = e.posizione + length / 2.0;
    if (e.col6 != 0) end += 50;
    e.fine = nearest(end);
  }
  if (length < 600) e.col5 = 0;
  if (station_index_ == 1) {
    e.col6 = 0;
    e.col5 = 0;
  }

  // The stop cell is that of an object 100 m before the end of the area;
  // markers 81 to 84 stand in the four cells before it, 81 nearest.
  const bool stops = e.tipo < 25;
  if (stops && e.tipo != 5 && e.tipo != 6) {
    for (int32_t k = 1; k <= 4; ++k) {
      const double q = e.fine / 50.0 - k - 1;
      if (q > 1) model_.cella_at(nearest(q)).avviso = low8(80 + k);
    }
  }
  if (stops) {
    if (stop_cell_position(e.fine) <= 1) {
      return fail(code::station_without_stop_cell, "progressive");  // cells 0 and 1 cannot hold a stop
    }
    cella& stop = model_.cella_at(stop_cell_of(e.fine));
    stop.tipo = tipo_cella::fermata;
    stop.dato1 = low16(station_index_);
  }

  if (station_index_ > 1 && sub32(e.inizio, kStationGap) < model_.voce_at(station_index_ - 1).fine) {
    return fail(code::stations_too_close, "progressive");
  }
  ++station_index_;
  if (station_index_ >= sign_slot_) return fail(code::scenario_table_full);  // the station just read stays stored
  return Next::record;
}

// After the last record, also after one outside the line: the carried speed
// and adhesion run on to the third cell before the last.
void TrainPhase::finish() {
  source().record = nullptr;
  close_and_delete();
  do {
    write_speed_cell();
  } while (speed_cell_ < model_.ultima_cella() - 2);
  do {
    write_adhesion_cell();
  } while (adhesion_cell_ < model_.ultima_cella() - 2);
}

}  // namespace

bool compile_train_source(CompileContext& context, const std::string& file_name, int32_t sign_slot) {
  return TrainPhase(context, file_name, sign_slot).run();
}

}  // namespace scenario
