#include "tool/build_extent.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/nearest.h"
#include "compiler/cell_rules.h"
#include "compiler/codes.h"

namespace scenario::tool {

namespace {

using nlohmann::json;

// The kinds the page counts, by the key it counts them under.
struct CountedKind {
  const char* key;
  Record record;
};
constexpr CountedKind kCounted[] = {
    {"stations", Record::stazione},         {"signals", Record::segnale},         {"boards", Record::indicatori_vmax},
    {"signs", Record::cartello_indicatore}, {"slowdowns", Record::rallentamento}, {"curves", Record::curva},
    {"mountains", Record::montagna},        {"abatements", Record::abbattimento},
};

bool in_line_file(Record r) {
  for (const RecordFormat& f : line_format().records) {
    if (f.id == r) return true;
  }
  for (const RecordFormat& f : line_format().general) {
    if (f.id == r) return true;
  }
  return false;
}

bool same_place(const SourcePlace& a, const SourcePlace& b) { return a.file == b.file && a.line == b.line; }

}  // namespace

json whole_build_extent() {
  return {{"complete", true},
          {"stop", nullptr},
          {"counts", json::array()},
          {"reached", json::object()},
          {"failedStation", nullptr}};
}

json build_extent(const CompileReport& report, const SourceLinks& links, const CheckResult& checked,
                  const SourcePaths& paths) {
  const CodeEntry* entry = find_code(report.code);
  const bool stopped = entry != nullptr && entry->stage == CodeStage::compile;
  json out = whole_build_extent();
  out["complete"] = !stopped;

  // What the build read, the stopping record left out: it placed nothing
  // whole.
  std::map<Record, int> compiled;
  std::map<Record, const RecordRead*> last;
  for (const RecordRead& r : links.records()) {
    if (stopped && report.record && same_place(r.place, report.record_place)) continue;
    ++compiled[r.kind];
    last[r.kind] = &r;
  }
  std::map<Record, int> held;
  for (const RecordsRead& r : checked.read) held[r.record] = r.count;

  json counts = json::array();
  for (const CountedKind& k : kCounted) {
    const int built = compiled[k.record];
    counts.push_back({{"key", k.key}, {"compiled", built}, {"sources", std::max(built, held[k.record])}});
  }
  out["counts"] = counts;
  if (!stopped) return out;

  for (const Diagnostic& d : checked.diagnostics) {
    if (d.severity != Severity::error || d.code != report.code) continue;
    out["stop"] = {{"code", std::to_string(d.code)},
                   {"message", paths.with_author_names(d.message)},
                   {"hint", paths.with_author_names(d.hint)},
                   {"file", paths.author_file(d.place.file)},
                   {"line", d.place.line},
                   {"column", d.place.column}};
    break;
  }
  if (out["stop"].is_null()) {
    out["stop"] = {
        {"code", std::to_string(report.code)},          {"message", entry->text},    {"hint", ""},
        {"file", paths.author_file(report.place.file)}, {"line", report.place.line}, {"column", report.place.column}};
  }

  // A profile is carried up to the section boundary of its last change read,
  // unless the compile went on past the end of its file (the line file's
  // profiles when it stopped in the train file).
  const bool stopped_in_line = report.place.file == paths.line_name;
  const auto reached = [&](Record kind) -> json {
    if (in_line_file(kind) && !stopped_in_line) return nullptr;
    const auto found = last.find(kind);
    if (found == last.end() || found->second->numbers.empty()) return 0;
    const RecordRead& r = *found->second;
    if (kind == Record::curva) {
      return r.numbers.size() >= 2 ? json(int64_t{r.numbers[0]} + r.numbers[1]) : json(r.numbers[0]);
    }
    return boundary_progressive(boundary_cell(r.numbers[0]));
  };
  out["reached"] = {{"speed", reached(Record::velocita)},    {"limit", reached(Record::velocita)},
                    {"gradient", reached(Record::pendenza)}, {"height", reached(Record::pendenza)},
                    {"curvature", reached(Record::curva)},   {"adhesion", reached(Record::aderenza)}};
  if (report.record == Record::stazione) out["failedStation"] = compiled[Record::stazione] + 1;
  return out;
}

}  // namespace scenario::tool
