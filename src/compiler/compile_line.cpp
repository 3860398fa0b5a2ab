// The line source file: the general block sizes the model and fills the header
// slots; then gradients, curves (the plan), mountains, maximum-speed boards
// and signs.
#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/nearest.h"
#include "base/run_time_failure.h"
#include "compiler/codes.h"
#include "compiler/curve_classes.h"
#include "compiler/integer_fields.h"
#include "compiler/progressive_ordina.h"
#include "compiler/record_builders.h"
#include "compiler/source_phase.h"

namespace scenario {

namespace {

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
  LinePhase(CompileContext& context, const std::string& file_name) : SourcePhase(context, file_name) {}

  bool run();
  int32_t sign_slot() const { return sign_slot_; }
  const ReferenceSources& references() const { return references_; }

 private:
  bool find_general_block();
  bool read_general_block();
  Next record(const RecordFormat& format, const std::string& keyword) override;
  Next lunghezza_percorso();
  void read_reference(int entry, Record record);
  Next ripetizione_segnali(const std::string& keyword);
  void start_records();
  Next pendenza();
  Next curva(const std::string& keyword);
  Next montagna();
  Next indicatori_v_max();
  Next cartello_indicatore();
  void finish();
  void write_gradient_cell();

  ReferenceSources references_{};             // by entry, 81 to 83
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
  if (!read_records(line_format().records, line_format().record_comments)) return false;
  finish();
  return true;
}

// Everything before the first field that contains "[generale]" is skipped.
bool LinePhase::find_general_block() {
  while (!reader().at_end()) {
    model_.riga = reader().read_text();
    if (reader().at_end()) {  // a "[generale]" that ends the file opens nothing
      pass_over(PassedOver::end_of_file);
      break;
    }
    if (contains_ignoring_case(model_.riga, kGeneralHeader)) {
      pass_over(PassedOver::header);
      return true;
    }
    pass_over(PassedOver::before_general_block);
  }
  fail(code::no_general_block);
  return false;
}

bool LinePhase::read_general_block() {
  while (!reader().at_end()) {
    model_.riga = reader().read_text();
    if (reader().at_end()) {
      pass_over(PassedOver::end_of_file);
      break;
    }
    // Up to ten comment fields in a row; these reads do not stop at the end.
    for (int i = 0; i < line_format().general_comments && contains(model_.riga, "-"); ++i) {
      pass_over(PassedOver::comment);
      model_.riga = reader().read_text();
    }
    keyword_line_ = reader().line();
    keyword_column_ = reader().column();

    const std::string keyword = model_.riga;
    if (dispatch(line_format().general, keyword) == Next::end_of_step) return false;
    if (ends_general_block(keyword)) break;
  }
  return true;
}

// Every test is tried on the keyword in the table's order.
Next LinePhase::record(const RecordFormat& format, const std::string& keyword) {
  voce_sim& linea = model_.voce_at(voce::intestazione_linea);
  switch (format.id) {
    case Record::lunghezza_percorso:
      return lunghezza_percorso();
    case Record::progressiva_tre:
    case Record::progressiva_due:
    case Record::progressiva_uno:
      read_reference(format.id == Record::progressiva_tre   ? voce::progressiva_tre
                     : format.id == Record::progressiva_due ? voce::progressiva_due
                                                            : voce::progressiva_uno,
                     format.id);
      return Next::record;
    // Scenery selectors: "tre" is stored before "due".
    case Record::sfondo_uno:
      linea.inizio = number("value");
      return Next::record;
    case Record::sfondo_due:
      linea.posizione = number("value");
      return Next::record;
    case Record::sfondo_tre:
      linea.fine = number("value");
      return Next::record;
    case Record::ripetizione_segnali:
      return ripetizione_segnali(keyword);
    case Record::pendenza:
      return pendenza();
    case Record::curva:
      // Without a plan a curve record is not acted on: its two numbers are
      // then read as keyword fields that pass no test.
      return model_.scrivi_linea != 0 ? curva(keyword) : Next::record;
    case Record::montagna:
      return montagna();
    case Record::indicatori_vmax:
      return indicatori_v_max();
    case Record::cartello_indicatore:
      return cartello_indicatore();
    default:
      throw std::logic_error("a train record in the line source file");
  }
}

Next LinePhase::lunghezza_percorso() {
  const int32_t length = number("length");
  model_.voce_at(voce::treno_e_linea).fine = length;
  if (length > kMaxLunghezza) return fail(code::line_too_long, "length");
  model_.allocate_line(length);
  return Next::record;
}

void LinePhase::read_reference(int entry, Record record) {
  voce_sim& reference = model_.voce_at(entry);
  ReferenceSource& source = references_[static_cast<std::size_t>(entry - voce::progressiva_tre)];
  source = {true, record, record_place(), {}, {}};
  reference.inizio = number("start");
  source.start = place_here();
  reference.fine = number("kilometre");
  source.kilometre = place_here();
  reference.posizione = number("direction");
}

// Cab-signal repetition: the keyword itself names the code system, 4 or 9;
// none is stored when the second value is 0.
Next LinePhase::ripetizione_segnali(const std::string& keyword) {
  voce_sim& treno = model_.voce_at(voce::intestazione_treno);
  treno.inizio = number("first");
  treno.fine = number("second");
  if (treno.inizio % 50 != 0) return fail(code::repetition_first_off_grid, "first");
  if (treno.fine % 50 != 0) return fail(code::repetition_second_off_grid, "second");
  if (contains(keyword, "4")) {
    treno.posizione = 4;
  } else if (contains(keyword, "9")) {
    treno.posizione = 9;
  } else {
    return fail(code::repetition_without_code_system);
  }
  if (treno.fine == 0) treno.posizione = 0;
  return Next::record;
}

void LinePhase::start_records() {
  // The references move as whole triples; where each came from moves with it.
  const std::optional<std::array<int, 3>> order = progressive_order(model_);
  const ReferenceSources read = references_;
  for (std::size_t i = 0; i < 3; ++i)
    references_[i] = order ? read[static_cast<std::size_t>((*order)[i])] : ReferenceSource{};
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

void LinePhase::write_gradient_cell() {
  model_.cella_at(gradient_cell_).pendenza = gradient_field(carried_gradient_);
  ++gradient_cell_;
}

// From progressive p on the gradient is g: the cells up to the section's
// first cell, nearest(p / 50), get the gradient carried so far (at least one
// cell once p is past the first cell).
Next LinePhase::pendenza() {
  const int32_t p = number("progressive");
  const int32_t g = number("gradient");
  if (!in_line(p)) return outside_line("progressive");
  const int32_t c = boundary_cell(p);
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
  const int32_t s = number("start");
  const int32_t l = number("length");
  if (!in_line(s)) return outside_line("start");
  const std::optional<double> curvature = curvature_of(keyword);
  if (!curvature) return fail(code::curve_without_class);
  const double k = contains_ignoring_case(keyword, "s") ? -*curvature : *curvature;

  // Straight up to s, then the turn up to s + l; the plan may not pass its
  // millionth metre.
  Tracciato& plan = model_.tracciato;
  if (plan_metre_ <= s) {
    const int32_t last = std::min(s, kMaxPlanMetre);
    plan.run_straight(plan_metre_, last);
    plan_metre_ = last + 1;
    if (plan_metre_ > kMaxPlanMetre) return fail(code::curve_without_class, "start");
  }
  const int32_t end = add32(s, l);
  if (plan_metre_ <= end) {
    const int32_t last = std::min(end, kMaxPlanMetre);
    plan.run_curve(plan_metre_, last, k);
    plan_metre_ = last + 1;
    if (plan_metre_ > kMaxPlanMetre) return fail(code::curve_without_class, "length");
  }
  return Next::record;
}

Next LinePhase::montagna() {
  const int32_t inizio = number("inizio");
  const int32_t fine = number("fine");
  const int32_t tipo = number("tipo");
  if (!in_line(inizio)) return outside_line("inizio");
  const int32_t code_before = model_.codice_errore;
  build([&] { memo_montagna(model_, inizio, fine, tipo); });
  return after_builder(code_before, "inizio");
}

Next LinePhase::indicatori_v_max() {
  const auto v = numbers<9>();  // posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced
  if (!in_line(v[0])) return outside_line("posizione");
  const int32_t code_before = model_.codice_errore;
  build([&] { memo_indicatori_v_max(model_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]); });
  return after_builder(code_before, "posizione");
}

// A sign board in the cell of its progressive, pointing at its text in the
// scenario table.
Next LinePhase::cartello_indicatore() {
  const int32_t p = number("progressive");
  model_.riga = text("text");
  if (!in_line(p)) return outside_line("progressive");
  cella& cell = model_.cella_at(object_cell(p));
  if (!libera(cell)) return fail(code::sign_cell_taken, "progressive");
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
  source().record = nullptr;
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

bool compile_line_source(CompileContext& context, const std::string& file_name, int32_t& sign_slot,
                         ReferenceSources& references) {
  LinePhase phase(context, file_name);
  const bool go_on = phase.run();
  sign_slot = phase.sign_slot();
  references = phase.references();
  return go_on;
}

}  // namespace scenario
