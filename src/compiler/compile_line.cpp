// The line source file: the general block sizes the model and fills the header
// slots; then gradients, curves (the plan), mountains, maximum-speed boards
// and signs.
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "compiler/integer_fields.h"
#include "base/nearest.h"
#include "compiler/progressive_ordina.h"
#include "compiler/record_builders.h"
#include "base/run_time_failure.h"
#include "compiler/source_phase.h"

namespace scenario {

namespace {

// Change of heading per metre of the curve classes 1 to 6.
constexpr std::array<double, 6> kCurvature = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// The plan may not run past this metre.
constexpr int32_t kMaxPlanMetre = 1000000;

// The class of a curve keyword: the first of the digits 1 to 6, tried in that
// order, that it contains.
std::optional<double> curvature_of(const std::string& keyword) {
  for (std::size_t c = 0; c < kCurvature.size(); ++c) {
    if (contains(keyword, std::string(1, static_cast<char>('1' + c)))) return kCurvature[c];
  }
  return std::nullopt;
}

// The general block ends at the next header: a field with "[" and "]" that is
// not a comment.
bool ends_general_block(const std::string& field) {
  const std::size_t first = field.find_first_not_of(" \t");
  const bool comment = first != std::string::npos && field[first] == '-';
  return contains(field, "[") && contains(field, "]") && !comment;
}

class LinePhase : public SourcePhase {
 public:
  LinePhase(TrackModel& model, const std::filesystem::path& file, SourceInReading& source)
      : SourcePhase(model, file, source) {}

  bool run();
  int32_t sign_slot() const { return sign_slot_; }

 private:
  bool find_general_block();
  bool read_general_block();
  Next general_record(const std::string& keyword);
  void read_reference(int entry);
  void start_records();
  Next record() override;
  Next pendenza();
  Next curva(const std::string& keyword);
  Next montagna();
  Next indicatori_v_max();
  Next cartello_indicatore();
  void finish();
  void write_gradient_cell();

  int32_t sign_slot_ = voce::primo_cartello;  // entry of the next sign text
  int32_t plan_metre_ = 2;                    // next point of the plan
  int32_t gradient_cell_ = 0;                 // first cell of the gradient profile not yet written
  int32_t carried_gradient_ = 0;              // the value that goes there
};

bool LinePhase::run() {
  open();
  if (!find_general_block()) return false;
  if (!read_general_block()) return false;
  start_records();
  if (!read_records()) return false;
  finish();
  return true;
}

// Everything before the first field that contains "[generale]" is skipped.
bool LinePhase::find_general_block() {
  while (!reader().at_end()) {
    model_.riga = reader().read_text();
    if (reader().at_end()) break;  // a "[generale]" that ends the file opens nothing
    if (contains_ignoring_case(model_.riga, "[generale]")) return true;
  }
  fail(102);
  return false;
}

bool LinePhase::read_general_block() {
  while (!reader().at_end()) {
    model_.riga = reader().read_text();
    if (reader().at_end()) break;
    // Up to ten comment fields in a row; these reads do not stop at the end.
    for (int i = 0; i < 10 && contains(model_.riga, "-"); ++i) model_.riga = reader().read_text();
    record_line_ = reader().line();

    const std::string keyword = model_.riga;
    if (general_record(keyword) == Next::end_of_step) return false;
    if (ends_general_block(keyword)) break;
  }
  return true;
}

// Every test is tried on every field. All but the line length are matched in
// exact case.
Next LinePhase::general_record(const std::string& keyword) {
  if (contains_ignoring_case(keyword, "percorso") && contains_ignoring_case(keyword, "lunghezza")) {
    const int32_t length = reader().read_int32();
    model_.voce_at(voce::treno_e_linea).fine = length;
    if (length > kMaxLunghezza) return fail(1);
    model_.allocate_line(length);
  }
  if (contains(keyword, "tre") && contains(keyword, "progressiva")) read_reference(voce::progressiva_tre);
  if (contains(keyword, "due") && contains(keyword, "progressiva")) read_reference(voce::progressiva_due);
  if (contains(keyword, "uno") && contains(keyword, "progressiva")) read_reference(voce::progressiva_uno);

  // Scenery selectors: "tre" is stored before "due".
  voce_sim& linea = model_.voce_at(voce::intestazione_linea);
  if (contains(keyword, "sfondo") && contains(keyword, "uno")) linea.inizio = reader().read_int32();
  if (contains(keyword, "sfondo") && contains(keyword, "due")) linea.posizione = reader().read_int32();
  if (contains(keyword, "sfondo") && contains(keyword, "tre")) linea.fine = reader().read_int32();

  // Cab-signal repetition: the keyword itself names the code system, 4 or 9;
  // none is stored when the second value is 0.
  if (contains(keyword, "segnali") && contains(keyword, "ripetizione")) {
    voce_sim& treno = model_.voce_at(voce::intestazione_treno);
    treno.inizio = reader().read_int32();
    treno.fine = reader().read_int32();
    if (treno.inizio % 50 != 0) return fail(3);
    if (treno.fine % 50 != 0) return fail(4);
    if (contains(keyword, "4")) {
      treno.posizione = 4;
    } else if (contains(keyword, "9")) {
      treno.posizione = 9;
    } else {
      return fail(5);
    }
    if (treno.fine == 0) treno.posizione = 0;
  }
  return Next::record;
}

void LinePhase::read_reference(int entry) {
  voce_sim& reference = model_.voce_at(entry);
  reference.inizio = reader().read_int32();
  reference.fine = reader().read_int32();
  reference.posizione = reader().read_int32();
}

void LinePhase::start_records() {
  progressive_ordina(model_);
  model_.n_montagne = 0;
  // The plan starts at the origin heading along y, one unit per metre.
  if (model_.scrivi_linea != 0) {
    Tracciato& plan = model_.tracciato;
    plan.set(0, 0, PlanValue::integer(0));
    plan.set(0, 1, PlanValue::integer(0));
    plan.set(1, 0, PlanValue::integer(0));
    plan.set(1, 1, PlanValue::integer(1));
  }
}

// Every test is tried on the keyword in this order; all ignore letter case.
Next LinePhase::record() {
  const std::string keyword = model_.riga;
  if (contains_ignoring_case(keyword, "pendenza")) {
    if (const Next next = pendenza(); next != Next::record) return next;
  }
  // Without a plan a curve record is not acted on: its two numbers are then
  // read as keyword fields that pass no test.
  if (model_.scrivi_linea != 0 && contains_ignoring_case(keyword, "curva")) {
    if (const Next next = curva(keyword); next != Next::record) return next;
  }
  if (contains_ignoring_case(keyword, "montagna")) {
    if (const Next next = montagna(); next != Next::record) return next;
  }
  if (contains_ignoring_case(keyword, "indicatori_v")) {
    if (const Next next = indicatori_v_max(); next != Next::record) return next;
  }
  if (contains_ignoring_case(keyword, "indicat") && contains_ignoring_case(keyword, "cartello")) {
    return cartello_indicatore();
  }
  return Next::record;
}

void LinePhase::write_gradient_cell() {
  model_.cella_at(gradient_cell_).pendenza = low8(add32(carried_gradient_, 100));
  ++gradient_cell_;
}

// From progressive p on the gradient is g: the cells up to the section's
// first cell, nearest(p / 50), get the gradient carried so far (at least one
// cell once p is past the first cell).
Next LinePhase::pendenza() {
  const int32_t p = reader().read_int32();
  const int32_t g = reader().read_int32();
  if (!in_line(p)) return outside_line();
  const int32_t c = nearest(p / 50.0);
  if (c > 0) {
    do {
      write_gradient_cell();
    } while (gradient_cell_ < c);
  }
  carried_gradient_ = g;
  return Next::record;
}

// A curve over the metres after s up to s + l. The plan runs straight up to
// s, then turns; a curve starting behind the plan's end continues the turn.
Next LinePhase::curva(const std::string& keyword) {
  const int32_t s = reader().read_int32();
  const int32_t l = reader().read_int32();
  if (!in_line(s)) return outside_line();
  const std::optional<double> curvature = curvature_of(keyword);
  if (!curvature) return fail(103);
  const double k = contains_ignoring_case(keyword, "s") ? -*curvature : *curvature;

  // Straight up to s, then the turn up to s + l; the plan may not pass its
  // millionth metre.
  Tracciato& plan = model_.tracciato;
  if (plan_metre_ <= s) {
    const int32_t last = std::min(s, kMaxPlanMetre);
    plan.run_straight(plan_metre_, last);
    plan_metre_ = last + 1;
    if (plan_metre_ > kMaxPlanMetre) return fail(103);
  }
  const int32_t end = add32(s, l);
  if (plan_metre_ <= end) {
    const int32_t last = std::min(end, kMaxPlanMetre);
    plan.run_curve(plan_metre_, last, k);
    plan_metre_ = last + 1;
    if (plan_metre_ > kMaxPlanMetre) return fail(103);
  }
  return Next::record;
}

Next LinePhase::montagna() {
  const int32_t inizio = reader().read_int32();
  const int32_t fine = reader().read_int32();
  const int32_t tipo = reader().read_int32();
  if (!in_line(inizio)) return outside_line();
  const int32_t code_before = model_.codice_errore;
  memo_montagna(model_, inizio, fine, tipo);
  return after_builder(code_before);
}

Next LinePhase::indicatori_v_max() {
  std::array<int32_t, 9> v{};  // posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced
  for (int32_t& value : v) value = reader().read_int32();
  if (!in_line(v[0])) return outside_line();
  const int32_t code_before = model_.codice_errore;
  memo_indicatori_v_max(model_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
  return after_builder(code_before);
}

// A sign board in the cell of its progressive, pointing at its text in the
// scenario table.
Next LinePhase::cartello_indicatore() {
  const int32_t p = reader().read_int32();
  model_.riga = reader().read_stored_text();
  if (!in_line(p)) return outside_line();
  cella& cell = model_.cella_at(nearest(p / 50.0 + 1));
  if (!libera(cell)) return fail(6);
  // Entry 0 stays cleared: 80 sign texts fill the table down to entry 1.
  if (sign_slot_ < 1) throw RunTimeFailure("no entry of the scenario table left for another sign text");
  cell.tipo = tipo_cella::cartello;
  cell.dato1 = low16(sign_slot_);
  model_.voce_at(sign_slot_).testo = model_.riga;
  --sign_slot_;
  return Next::record;
}

// After the last record, also after one outside the line.
void LinePhase::finish() {
  close_and_delete();
  // The last gradient runs on to the third cell before the last.
  do {
    write_gradient_cell();
  } while (gradient_cell_ < model_.ultima_cella() - 2);
  // The plan runs straight to its end; its last two points stay empty.
  if (model_.scrivi_linea != 0) {
    model_.tracciato.run_straight(plan_metre_, model_.metri_tracciato - 2);
    plan_metre_ = std::max(plan_metre_, model_.metri_tracciato - 1);
  }
}

}  // namespace

bool compile_line_source(TrackModel& model, const std::filesystem::path& file, SourceInReading& source,
                         int32_t& sign_slot) {
  LinePhase phase(model, file, source);
  const bool go_on = phase.run();
  sign_slot = phase.sign_slot();
  return go_on;
}

}  // namespace scenario
