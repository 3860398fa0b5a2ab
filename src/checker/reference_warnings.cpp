// The general values as a whole: the kilometre references as the ordering
// leaves them, and the speed and adhesion profiles from the origin.
#include <algorithm>
#include <array>
#include <vector>

#include "checker/warning_context.h"
#include "compiler/progressive_ordina.h"

namespace scenario {

namespace {

using namespace warnings;

void kilometre_references(Context& c) {
  TrackModel references;
  std::array<const ObservedRecord*, 3> given{};
  const Record ids[] = {Record::progressiva_tre, Record::progressiva_due, Record::progressiva_uno};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::vector<const ObservedRecord*> records = c.o.of(ids[i]);
    if (records.empty() || !records.back()->complete()) continue;
    given[i] = records.back();
    voce_sim& e = references.tabella_sim[static_cast<std::size_t>(voce::progressiva_tre) + i];
    e.inizio = *given[i]->number("start");
    e.fine = *given[i]->number("kilometre");
    e.posizione = *given[i]->number("direction");
  }
  const bool any = std::any_of(given.begin(), given.end(), [](const ObservedRecord* r) {
    return r != nullptr && (*r->number("start") != 0 || *r->number("kilometre") != 0 || *r->number("direction") != 0);
  });
  if (!any) return;
  for (const ObservedRecord* r : given) {
    if (r != nullptr && c.length && *r->number("start") > *c.length) {
      c.at_field(code::reference_past_line_end, *r->field("start"),
                 "the kilometre reference starts at " + num(*r->number("start")) + ", past the end of the line (" +
                     num(*c.length) + " m)",
                 "give a start inside the line");
    }
  }
  if (!progressive_order(references)) {
    int64_t sum = 0;
    int32_t greatest = INT32_MIN;
    for (const ObservedRecord* r : given) {
      const int32_t start = r != nullptr ? *r->number("start") : 0;
      sum += start;
      greatest = std::max(greatest, start);
    }
    const ObservedRecord* first_sharing = nullptr;
    for (std::size_t i = 0; i < 3; ++i) {
      const ObservedRecord* r = given[i];
      if (r == nullptr) continue;
      if (sum == 0) {
        c.at_field(code::references_share_start, *r->field("kilometre"),
                   "all the kilometre references start at 0 and none has a kilometre value above 0: the ordering "
                   "clears all three",
                   "give one reference a positive kilometre value, or a start");
      } else if (*r->number("start") == greatest) {
        c.at_field(
            code::references_share_start, *r->field("start"),
            "two kilometre references share the greatest start, " + num(greatest) + ": the ordering clears all three",
            "give each reference its own start");
        if (first_sharing != nullptr) {
          c.last().related.push_back(c.related(*first_sharing->field("start"), "the other reference at this start"));
        } else {
          first_sharing = r;
        }
      }
    }
    return;
  }
  for (const ObservedRecord* r : given) {
    if (r != nullptr && *r->number("direction") == 1) {
      c.at_field(code::direction_raises_kilometre, *r->field("kilometre"),
                 "direction 1: the kilometre value " + num(*r->number("kilometre")) + " is stored as " +
                     num(int64_t{*r->number("kilometre")} + 100));
    }
  }
}

void profiles_start_at_origin(Context& c) {
  const std::string train = c.names.train_source();
  if (!c.o.files.contains(train)) return;
  const bool train_read = std::any_of(c.o.records.begin(), c.o.records.end(),
                                      [&train](const ObservedRecord& r) { return r.place.file == train; });
  if (!train_read) return;
  const struct {
    Record id;
    int32_t code;
    const char* what;
    const char* value;
  } profiles[] = {{Record::velocita, code::no_speed_at_origin, "speed limit", "0 km/h"},
                  {Record::aderenza, code::no_adhesion_at_origin, "adhesion", "0"}};
  for (const auto& profile : profiles) {
    const std::vector<const ObservedRecord*> rows = c.o.of(profile.id);
    if (rows.empty()) {
      c.add(profile.code, {train, 0, 0}, 0,
            std::string("no \"") + std::string(record_format(profile.id).keyword) + "\" row: the " + profile.what +
                " is " + profile.value + " over the whole line",
            std::string("give a row at progressive 0"));
      continue;
    }
    const ObservedField* p = rows.front()->field("progressive");
    if (p != nullptr && boundary_cell(p->number) > 0) {
      c.at_field(profile.code, *p,
                 std::string("the first \"") + std::string(record_format(profile.id).keyword) + "\" row stands at " +
                     num(p->number) + ": the " + profile.what + " is " + profile.value + " before it",
                 "give a row at progressive 0");
    }
  }
}

}  // namespace

namespace warnings {
void reference_warnings(Context& c) {
  kilometre_references(c);
  profiles_start_at_origin(c);
}
}  // namespace warnings

}  // namespace scenario
