#include "recovery/mountain_recovery.h"

#include <exception>
#include <optional>
#include <string>

#include "compiler/cell_rules.h"
#include "compiler/record_builders.h"
#include "compiler/track_model.h"

namespace scenario {

namespace {

struct Run {
  int32_t first;
  int32_t last;
  uint8_t type;
};

class Builder {
 public:
  explicit Builder(int32_t last_cell) : last_cell_(last_cell) {}

  // A record over cells first..last; a placeholder goes before it when the
  // one before it ends too near for its type to hold.
  void add(int32_t first, int32_t last, uint8_t type, bool marked) {
    const MountainSpan span = mountain_span({first, last});
    const auto inizio = static_cast<int32_t>(span.inizio);
    const auto fine = static_cast<int32_t>(span.fine);
    if (!records_.empty() && type != kJoiningType && inizio - records_.back().fine <= kMountainJoin) {
      records_.push_back({inizio, inizio - 1000, 0, true});
    }
    if (!within_line(inizio, last_cell_)) beyond_ = first;
    records_.push_back({inizio, fine, mountain_tipo(type, marked), false});
  }
  void add_marking(int32_t first, int32_t last) {
    const MountainSpan span = mountain_span({first, last});
    const auto inizio = static_cast<int32_t>(span.inizio);
    if (!within_line(inizio, last_cell_)) beyond_ = first;
    records_.push_back({inizio, static_cast<int32_t>(span.fine), mountain_tipo(1, true), false});
  }

  const std::vector<MountainRecord>& records() const { return records_; }
  std::optional<int32_t> beyond() const { return beyond_; }

 private:
  int32_t last_cell_;
  std::vector<MountainRecord> records_;
  std::optional<int32_t> beyond_;  // a record starting past the last start the range check allows
};

std::vector<Run> runs_of(const std::vector<uint8_t>& montagna, const std::vector<bool>& inside) {
  std::vector<Run> runs;
  for (int32_t c = 0; c < static_cast<int32_t>(montagna.size()); ++c) {
    const auto i = static_cast<std::size_t>(c);
    if (!inside[i]) continue;
    if (!runs.empty() && runs.back().last == c - 1 && runs.back().type == montagna[i]) {
      runs.back().last = c;
    } else {
      runs.push_back({c, c, montagna[i]});
    }
  }
  return runs;
}

// The first cell where the records give another type or marker, if any.
std::optional<int32_t> first_misfit(const std::vector<MountainRecord>& records, const std::vector<uint8_t>& montagna,
                                    const std::vector<MarkerNeed>& markers) {
  if (records.size() > static_cast<std::size_t>(kMaxMontagne)) return -1;
  TrackModel scratch;
  scratch.celle.assign(montagna.size(), cella{});
  try {
    for (const MountainRecord& r : records) memo_montagna(scratch, r.inizio, r.fine, r.tipo);
  } catch (const std::exception&) {
    return -1;
  }
  for (std::size_t c = 0; c < montagna.size(); ++c) {
    const bool marker = scratch.celle[c].tipo == tipo_cella::segno_montagna;
    if (scratch.celle[c].montagna != montagna[c] || (markers[c] == MarkerNeed::required && !marker) ||
        (markers[c] == MarkerNeed::forbidden && marker)) {
      return static_cast<int32_t>(c);
    }
  }
  return std::nullopt;
}

// One record per run, marked when the run holds a marker.
Builder by_runs(const std::vector<uint8_t>& montagna, const std::vector<MarkerNeed>& markers, int32_t last_cell) {
  std::vector<bool> inside(montagna.size());
  for (std::size_t c = 0; c < montagna.size(); ++c) inside[c] = montagna[c] != 0;
  Builder b(last_cell);
  for (const Run& run : runs_of(montagna, inside)) {
    bool marked = false;
    for (int32_t c = run.first; c <= run.last; ++c)
      marked |= markers[static_cast<std::size_t>(c)] == MarkerNeed::required;
    b.add(run.first, run.last, run.type, marked);
  }
  return b;
}

// Markers first: each record places markers every fourth cell from its
// fourth, over a chain of required markers with no empty cell among them;
// then every cell those records or the mountains cover is painted its type by
// records without markers.
Builder markers_then_types(const std::vector<uint8_t>& montagna, const std::vector<MarkerNeed>& markers,
                           int32_t last_cell, std::optional<int32_t>& unplaceable) {
  const auto size = static_cast<int32_t>(montagna.size());
  const auto need = [&](int32_t c) { return markers[static_cast<std::size_t>(c)]; };
  Builder b(last_cell);
  std::vector<bool> covered(montagna.size());
  std::vector<bool> inside(montagna.size());
  for (int32_t m = 0; m < size; ++m) {
    if (need(m) != MarkerNeed::required || covered[static_cast<std::size_t>(m)]) continue;
    if (m < 3) {
      unplaceable = m;
      continue;
    }
    int32_t last = m;
    for (int32_t q = m + 4; q < size && need(q) != MarkerNeed::forbidden; q += 4) {
      if (need(q) == MarkerNeed::required) last = q;
    }
    for (int32_t q = m; q <= last; q += 4) covered[static_cast<std::size_t>(q)] = true;
    for (int32_t c = m - 3; c <= last; ++c) inside[static_cast<std::size_t>(c)] = true;
    b.add_marking(m - 3, last);
  }
  for (std::size_t c = 0; c < montagna.size(); ++c) inside[c] = inside[c] || montagna[c] != 0;
  for (const Run& run : runs_of(montagna, inside)) b.add(run.first, run.last, run.type, false);
  return b;
}

}  // namespace

RecoveredMountains recover_mountains(const std::vector<uint8_t>& montagna, const std::vector<MarkerNeed>& markers) {
  RecoveredMountains out;
  const auto last_cell = static_cast<int32_t>(montagna.size()) - 1;
  Builder natural = by_runs(montagna, markers, last_cell);
  if (!first_misfit(natural.records(), montagna, markers) && !natural.beyond()) {
    out.records = natural.records();
    return out;
  }
  std::optional<int32_t> unplaceable;
  Builder general = markers_then_types(montagna, markers, last_cell, unplaceable);
  const std::optional<int32_t> misfit = first_misfit(general.records(), montagna, markers);
  out.records = misfit ? natural.records() : general.records();
  if (unplaceable) {
    out.findings.push_back({cell_place(*unplaceable),
                            "a mountain marker in one of the first three cells, where no "
                            "mountain record places one"});
  } else if (misfit && *misfit < 0) {
    out.findings.push_back({"mountains", "the mountain types and markers need more than " +
                                             std::to_string(kMaxMontagne) + " mountain records"});
  } else if (misfit) {
    out.findings.push_back({cell_place(*misfit), "no mountain records give this cell's mountain type and marker"});
  } else if (const auto beyond = general.beyond()) {
    out.findings.push_back({cell_place(*beyond),
                            "a mountain starts in this cell, past the last cell a mountain "
                            "record can start in"});
  }
  return out;
}

}  // namespace scenario
