#include "compiler/kilometres.h"

#include <algorithm>
#include <cstdlib>

namespace scenario {

namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// The kilometre at `progressive` by one reference.
int64_t by_reference(const KilometreReference& r, int64_t progressive) {
  if (r.direction == 1) return int64_t{r.kilometre} - kDescendingRaise - progressive;
  return int64_t{r.kilometre} + progressive;
}

}  // namespace

std::array<KilometreReference, 3> kilometre_references(const std::array<voce_sim, kVociSim>& table) {
  std::array<KilometreReference, 3> out{};
  for (int i = 0; i < 3; ++i) {
    const voce_sim& e = table[static_cast<std::size_t>(voce::progressiva_tre + i)];
    out[static_cast<std::size_t>(i)] = {e.inizio, e.fine, e.posizione};
  }
  return out;
}

std::vector<KilometreSection> kilometre_sections(const std::array<KilometreReference, 3>& references, int32_t length) {
  std::vector<KilometreReference> given;
  for (const KilometreReference& r : references) {
    if (r.given()) given.push_back(r);
  }
  std::stable_sort(given.begin(), given.end(),
                   [](const KilometreReference& a, const KilometreReference& b) { return a.start < b.start; });
  const int32_t end = std::max(length, 0);
  if (given.empty()) return {{0, end, 0, false, std::nullopt}};
  std::vector<KilometreSection> sections;
  for (std::size_t i = 0; i < given.size(); ++i) {
    const int32_t to = i + 1 < given.size() ? given[i + 1].start : std::max(end, given[i].start);
    if (i + 1 < given.size() && to == given[i].start) continue;
    const KilometreReference& r = given[i];
    sections.push_back({r.start, to, by_reference(r, r.start), r.direction == 1, r});
  }
  return sections;
}

int64_t kilometre_at(const std::vector<KilometreSection>& sections, int32_t progressive) {
  if (sections.empty()) return progressive;
  const KilometreSection* holding = &sections.front();
  for (const KilometreSection& s : sections) {
    if (s.from <= progressive) holding = &s;
  }
  const int64_t run = int64_t{progressive} - holding->from;
  return holding->kilometre + (holding->descending ? -run : run);
}

std::string kilometre_text(int64_t metres) {
  const int64_t size = std::llabs(metres);
  const std::string m = std::to_string(size % 1000);
  return (metres < 0 ? "-" : "") + std::to_string(size / 1000) + "+" + std::string(3 - m.size(), '0') + m;
}

std::vector<KilometrePost> kilometre_posts(const std::vector<KilometreSection>& sections, int32_t length) {
  std::vector<KilometrePost> posts;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const KilometreSection& s = sections[i];
    const int64_t from = i == 0 ? 0 : std::max(s.from, 0);
    const int64_t to = std::min<int64_t>(i + 1 == sections.size() ? int64_t{length} + 1 : s.to, int64_t{length} + 1);
    if (from >= to) continue;
    const int64_t at_from = kilometre_at(sections, static_cast<int32_t>(from));
    // The first whole kilometre at or after `from`, in the section's direction.
    const int64_t first_km = s.descending ? floor_div(at_from, 1000) * 1000 : -floor_div(-at_from, 1000) * 1000;
    for (int64_t p = from + std::llabs(first_km - at_from), km = first_km; p < to;
         p += 1000, km += s.descending ? -1000 : 1000) {
      posts.push_back({static_cast<int32_t>(p), km});
    }
  }
  return posts;
}

std::optional<int64_t> kilometre_in_sign(std::string_view text) {
  // "(... km)" or "(... km )", then "(K+MMM)".
  std::size_t at = 0;
  while ((at = text.find(')', at)) != std::string_view::npos) {
    std::string_view before = text.substr(0, at);
    while (!before.empty() && before.back() == ' ') before.remove_suffix(1);
    const bool names_km = before.size() >= 2 && before.substr(before.size() - 2) == "km";
    ++at;
    if (!names_km || at >= text.size() || text[at] != '(') continue;
    const std::size_t close = text.find(')', at);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view value = text.substr(at + 1, close - at - 1);
    const std::size_t plus = value.find('+');
    if (plus == std::string_view::npos || plus == 0 || value.size() - plus - 1 != 3) return std::nullopt;
    int64_t km = 0, m = 0;
    for (const char c : value.substr(0, plus)) {
      if (c < '0' || c > '9' || km > 1'000'000) return std::nullopt;
      km = km * 10 + (c - '0');
    }
    for (const char c : value.substr(plus + 1)) {
      if (c < '0' || c > '9') return std::nullopt;
      m = m * 10 + (c - '0');
    }
    return km * 1000 + m;
  }
  return std::nullopt;
}

KilometreAgreement kilometre_agreement(const std::vector<KilometreSection>& sections,
                                       const std::vector<PlacedSign>& signs) {
  KilometreAgreement a;
  for (const PlacedSign& sign : signs) {
    const std::optional<int64_t> named = kilometre_in_sign(sign.text);
    if (!named) continue;
    const int64_t here = kilometre_at(sections, sign.progressive);
    const KilometreSection* holding = sections.empty() ? nullptr : &sections.front();
    for (const KilometreSection& s : sections) {
      if (s.from <= sign.progressive) holding = &s;
    }
    const bool descending = holding != nullptr && holding->descending;
    const int64_t ahead = descending ? here - *named : *named - here;
    a.least_ahead = a.signs == 0 ? ahead : std::min(a.least_ahead, ahead);
    a.most_ahead = a.signs == 0 ? ahead : std::max(a.most_ahead, ahead);
    ++a.signs;
    if (a.agrees && (ahead < 0 || ahead > kSignAheadMost)) {
      a.agrees = false;
      a.progressive = sign.progressive;
      a.text = sign.text;
      a.kilometre = here;
      a.why = "the sign at progressive " + std::to_string(sign.progressive) + " names km " + kilometre_text(*named) +
              ", but the kilometre references put km " + kilometre_text(here) + " there: a sign stands 0 to " +
              std::to_string(kSignAheadMost) + " m before the kilometre it names";
    }
  }
  return a;
}

}  // namespace scenario
