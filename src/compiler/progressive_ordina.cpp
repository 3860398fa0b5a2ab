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

// For entries 81, 82, 83, which of the references found there (0, 1, 2 for
// a, b, c) goes to each; none when all three entries are to be cleared.
using Order = std::optional<std::array<int, 3>>;

Order by_kilometre_value(const Reference& a, const Reference& b, const Reference& c) {
  if (c.fine > 0) return Order{{2, 1, 0}};
  if (b.fine > 0) return Order{{1, 0, 2}};
  if (a.fine > 0) return Order{{0, 1, 2}};
  return std::nullopt;
}

// Greatest start first. The comparisons are strict: of two equal smaller
// starts the later entry goes first; a shared greatest start places nothing.
Order by_start(const Reference& a, const Reference& b, const Reference& c) {
  if (a.inizio > b.inizio && a.inizio > c.inizio) {
    return b.inizio > c.inizio ? Order{{0, 1, 2}} : Order{{0, 2, 1}};
  }
  if (b.inizio > a.inizio && b.inizio > c.inizio) {
    return a.inizio > c.inizio ? Order{{1, 0, 2}} : Order{{1, 2, 0}};
  }
  if (c.inizio > a.inizio && c.inizio > b.inizio) {
    return a.inizio > b.inizio ? Order{{2, 0, 1}} : Order{{2, 1, 0}};
  }
  return std::nullopt;
}

std::array<Reference, 3> references_of(const TrackModel& model) {
  return {reference_of(model.tabella_sim[voce::progressiva_tre]),
          reference_of(model.tabella_sim[voce::progressiva_due]),
          reference_of(model.tabella_sim[voce::progressiva_uno])};
}

}  // namespace

std::optional<std::array<int, 3>> progressive_order(const TrackModel& model) {
  const auto [a, b, c] = references_of(model);
  // Normally all three references start at progressive 0. The sum is only
  // compared with 0, so it is taken whole: three starts never overflow it.
  const bool all_at_origin = int64_t{a.inizio} + b.inizio + c.inizio == 0;
  return all_at_origin ? by_kilometre_value(a, b, c) : by_start(a, b, c);
}

void progressive_ordina(TrackModel& model) {
  const std::array<Reference, 3> found = references_of(model);
  const Order order = progressive_order(model);
  for (int i = 0; i < 3; ++i) {
    Reference r = order ? found[static_cast<std::size_t>((*order)[static_cast<std::size_t>(i)])] : Reference{};
    if (r.posizione == 1) r.fine = add32(r.fine, 100);
    store(model.voce_at(voce::progressiva_tre + i), r);
  }
}

}  // namespace scenario
