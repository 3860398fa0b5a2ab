#include "compiler/progressive_ordina.h"

#include <array>
#include <optional>

#include "compiler/integer_fields.h"

namespace scenario {

namespace {

// The three values of one kilometre reference.
struct Reference {
  int32_t inizio = 0;     // start progressive
  int32_t fine = 0;       // kilometre value in metres
  int32_t posizione = 0;  // direction flag
};

Reference reference_of(const voce_sim& entry) { return {entry.inizio, entry.fine, entry.posizione}; }

void store(voce_sim& entry, const Reference& r) {
  entry.inizio = r.inizio;
  entry.fine = r.fine;
  entry.posizione = r.posizione;
}

// The references for entries 81, 82, 83, from those found there (a, b, c);
// none when all three entries are to be cleared.
using Order = std::optional<std::array<Reference, 3>>;

Order by_kilometre_value(const Reference& a, const Reference& b, const Reference& c) {
  if (c.fine > 0) return Order{{c, b, a}};
  if (b.fine > 0) return Order{{b, a, c}};
  if (a.fine > 0) return Order{{a, b, c}};
  return std::nullopt;
}

// Greatest start first. The comparisons are strict: of two equal smaller
// starts the later entry goes first; a shared greatest start places nothing.
Order by_start(const Reference& a, const Reference& b, const Reference& c) {
  if (a.inizio > b.inizio && a.inizio > c.inizio) {
    return b.inizio > c.inizio ? Order{{a, b, c}} : Order{{a, c, b}};
  }
  if (b.inizio > a.inizio && b.inizio > c.inizio) {
    return a.inizio > c.inizio ? Order{{b, a, c}} : Order{{b, c, a}};
  }
  if (c.inizio > a.inizio && c.inizio > b.inizio) {
    return a.inizio > b.inizio ? Order{{c, a, b}} : Order{{c, b, a}};
  }
  return std::nullopt;
}

}  // namespace

void progressive_ordina(TrackModel& model) {
  voce_sim& e81 = model.voce_at(voce::progressiva_tre);
  voce_sim& e82 = model.voce_at(voce::progressiva_due);
  voce_sim& e83 = model.voce_at(voce::progressiva_uno);
  const Reference a = reference_of(e81);
  const Reference b = reference_of(e82);
  const Reference c = reference_of(e83);

  // Normally all three references start at progressive 0. The sum is only
  // compared with 0, so it is taken whole: three starts never overflow it.
  const bool all_at_origin = int64_t{a.inizio} + b.inizio + c.inizio == 0;
  const Order order = all_at_origin ? by_kilometre_value(a, b, c) : by_start(a, b, c);

  voce_sim* const entries[] = {&e81, &e82, &e83};
  for (int i = 0; i < 3; ++i) {
    Reference r = order ? (*order)[i] : Reference{};
    if (r.posizione == 1) r.fine = add32(r.fine, 100);
    store(*entries[i], r);
  }
}

}  // namespace scenario
