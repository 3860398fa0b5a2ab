#include "recovery/scenario_diff.h"

#include <algorithm>
#include <climits>
#include <map>
#include <span>

#include "compiler/cell_rules.h"
#include "compiler/source_format.h"
#include "recovery/decompile.h"
#include "recovery/round_trip.h"
#include "view/line_profiles.h"
#include "view/scenario_view.h"

namespace scenario {

namespace {

using Records = std::vector<SourceRecord>;

Records records_of(const std::vector<SourceLine>& lines, Record id) {
  Records out;
  for (const SourceLine& l : lines) {
    if (l.kind == SourceLine::Kind::record && l.record.id == id) out.push_back(l.record);
  }
  return out;
}

// "name a -> b" for every field that differs, by the names of the record's format.
std::string field_changes(const SourceRecord& a, const SourceRecord& b) {
  std::string out;
  std::size_t numeric = 0;
  for (const FieldFormat& f : record_format(a.id).fields) {
    std::string x;
    std::string y;
    if (f.type == FieldType::text || f.type == FieldType::stored_text) {
      x = "\"" + a.text + "\"";
      y = "\"" + b.text + "\"";
    } else {
      x = std::to_string(a.numbers[numeric]);
      y = std::to_string(b.numbers[numeric]);
      ++numeric;
    }
    if (x != y) out += (out.empty() ? "" : ", ") + std::string(f.name) + " " + x + " -> " + y;
  }
  if (a.keyword != b.keyword) out = a.keyword + " -> " + b.keyword + (out.empty() ? "" : ", " + out);
  return out;
}

std::string record_text(const SourceRecord& r) { return render(SourceLine::of(r)); }

// What a difference in records of this kind is called: the format's name for
// a count of them, in the singular ("signals" -> "signal", "gradient rows" ->
// "gradient").
std::string kind_of(Record id) {
  std::string name(record_format(id).plural);
  if (name.ends_with(" rows")) return name.substr(0, name.size() - 5);
  if (name.ends_with('s')) name.pop_back();
  return name;
}

// The records of a file's general block, in the block's order.
std::span<const Record> general_records(const SourceFormat& format) {
  for (const SectionFormat& section : format.sections) {
    if (section.header == kGeneralHeader) return section.records;
  }
  return {};
}

class Differ {
 public:
  explicit Differ(std::vector<KilometreSection> sections) : km_(std::move(sections)) {}

  std::vector<Difference> out;

  void add(std::string kind, std::string change, std::optional<int64_t> from, std::optional<int64_t> to,
           std::string what) {
    out.push_back({std::move(kind), std::move(change), from, to, std::move(what), from ? place(*from) : "",
                   to ? place(*to) : ""});
  }

  std::string place(int64_t progressive) const { return place_on_line(km_, progressive); }

  // Records of one kind matched by their first field, the progressive.
  void by_progressive(const std::string& kind, const Records& a, const Records& b) {
    std::multimap<int64_t, const SourceRecord*> left;
    std::multimap<int64_t, const SourceRecord*> right;
    for (const SourceRecord& r : a) left.emplace(r.numbers.front(), &r);
    for (const SourceRecord& r : b) right.emplace(r.numbers.front(), &r);
    for (auto& [p, r] : left) {
      const auto match = right.find(p);
      if (match == right.end()) {
        add(kind, "removed", p, std::nullopt, record_text(*r));
        continue;
      }
      const std::string changes = field_changes(*r, *match->second);
      if (!changes.empty()) add(kind, "changed", p, std::nullopt, changes);
      right.erase(match);
    }
    for (auto& [p, r] : right) add(kind, "added", p, std::nullopt, record_text(*r));
  }

  // Records that stand once in a file, matched by their kind.
  void singles(const std::string& kind, const Records& a, const Records& b) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
      const std::string changes = field_changes(a[i], b[i]);
      if (!changes.empty()) add(kind, "changed", std::nullopt, std::nullopt, a[i].keyword + ": " + changes);
    }
  }

  // Stations by their name (the first of a name with the first), else by order.
  void stations(const std::string& kind, const Records& a, const Records& b) {
    std::vector<bool> used(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      std::optional<std::size_t> match;
      for (std::size_t j = 0; j < b.size() && !match; ++j) {
        if (!used[j] && b[j].text == a[i].text) match = j;
      }
      if (!match && i < b.size() && !used[i]) match = i;
      const SourceRecord& x = a[i];
      const std::string name = "\"" + x.text + "\"";
      if (!match) {
        add(kind, "removed", x.numbers[0], std::nullopt, name);
        continue;
      }
      used[*match] = true;
      const SourceRecord& y = b[*match];
      if (x.numbers[0] != y.numbers[0]) {
        add(kind, "moved", x.numbers[0], y.numbers[0],
            name + " from " + place(x.numbers[0]) + " to " + place(y.numbers[0]));
      }
      const auto seconds = [](const SourceRecord& r) {
        return static_cast<int32_t>(field(r, "hours") * 3600 + field(r, "minutes") * 60 + field(r, "seconds"));
      };
      if (seconds(x) != seconds(y)) {
        add(kind, "retimed", y.numbers[0], std::nullopt,
            name + " " + clock_text(seconds(x)) + " -> " + clock_text(seconds(y)));
      }
      // The other columns, without the progressive and the time.
      SourceRecord x_rest = x;
      SourceRecord y_rest = y;
      x_rest.numbers[0] = y_rest.numbers[0];
      for (std::size_t k = 13; k < 16; ++k) x_rest.numbers[k] = y_rest.numbers[k];
      const std::string changes = field_changes(x_rest, y_rest);
      if (!changes.empty()) add(kind, "changed", y.numbers[0], std::nullopt, name + ": " + changes);
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
      if (!used[j]) add(kind, "added", b[j].numbers[0], std::nullopt, "\"" + b[j].text + "\"");
    }
  }

  // A profile cell by cell: stretches of cells whose values differ.
  void profile(const std::string& kind, const std::vector<int32_t>& a, const std::vector<int32_t>& b,
               const std::string& unit) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t c = 0; c < n;) {
      if (a[c] == b[c]) {
        ++c;
        continue;
      }
      std::size_t e = c;
      while (e + 1 < n && a[e + 1] != b[e + 1]) ++e;
      const bool uniform = std::all_of(a.begin() + static_cast<long>(c), a.begin() + static_cast<long>(e) + 1,
                                       [&](int32_t v) { return v == a[c]; }) &&
                           std::all_of(b.begin() + static_cast<long>(c), b.begin() + static_cast<long>(e) + 1,
                                       [&](int32_t v) { return v == b[c]; });
      const int64_t from = 50 * static_cast<int64_t>(c);
      const int64_t to = 50 * (static_cast<int64_t>(e) + 1);
      add(kind, "changed", from, to,
          "between " + place(from) + " and " + place(to) + ": " +
              (uniform ? std::to_string(a[c]) + " -> " + std::to_string(b[c]) + unit : "the values differ"));
      c = e + 1;
    }
  }

 private:
  std::vector<KilometreSection> km_;
};

std::vector<int32_t> cell_values(const CompiledFiles& f, int32_t (*value)(const cella&)) {
  std::vector<int32_t> out;
  out.reserve(f.cells.size());
  for (const cella& c : f.cells) out.push_back(value(c));
  return out;
}

}  // namespace

std::string place_on_line(const std::vector<KilometreSection>& sections, int64_t progressive) {
  const auto p = static_cast<int32_t>(std::clamp<int64_t>(progressive, INT32_MIN, INT32_MAX));
  return "km " + kilometre_text(kilometre_at(sections, p));
}

std::string difference_text(const Difference& d) {
  std::string place;
  if (d.from && !d.to && d.kind != kind_of(Record::stazione) && !d.from_place.empty()) place = " at " + d.from_place;
  return d.kind + place + ": " + d.change + ": " + d.what;
}

std::vector<Difference> diff_scenarios(const CompiledFiles& before, const CompiledFiles& after) {
  const Decompiled a = decompile(before);
  const Decompiled b = decompile(after);
  // Places are told by the kilometres of the scenario compared against.
  Differ d(kilometre_sections(kilometre_references(after.table), after.table[voce::treno_e_linea].fine));
  if (a.line_name != b.line_name)
    d.add("line", "changed", std::nullopt, std::nullopt, "name " + a.line_name + " -> " + b.line_name);
  if (a.train_number != b.train_number) {
    d.add("train", "changed", std::nullopt, std::nullopt, "number " + a.train_number + " -> " + b.train_number);
  }
  for (const Record id : general_records(line_format()))
    d.singles("line", records_of(a.line, id), records_of(b.line, id));
  for (const Record id : general_records(train_format())) {
    d.singles("train", records_of(a.train, id), records_of(b.train, id));
  }
  d.stations(kind_of(Record::stazione), records_of(a.train, Record::stazione), records_of(b.train, Record::stazione));
  for (const Record id : {Record::segnale, Record::rallentamento, Record::abbattimento})
    d.by_progressive(kind_of(id), records_of(a.train, id), records_of(b.train, id));
  for (const Record id : {Record::indicatori_vmax, Record::cartello_indicatore, Record::montagna})
    d.by_progressive(kind_of(id), records_of(a.line, id), records_of(b.line, id));

  d.profile(kind_of(Record::pendenza), cell_values(before, [](const cella& c) { return gradient_of(c.pendenza); }),
            cell_values(after, [](const cella& c) { return gradient_of(c.pendenza); }), " per mille");
  d.profile(kind_of(Record::velocita), cell_values(before, [](const cella& c) { return speed_of(c.velocita); }),
            cell_values(after, [](const cella& c) { return speed_of(c.velocita); }), " km/h");
  d.profile(kind_of(Record::aderenza), cell_values(before, [](const cella& c) { return adhesion_of(c.aderenza); }),
            cell_values(after, [](const cella& c) { return adhesion_of(c.aderenza); }), "");

  d.by_progressive(kind_of(Record::curva), records_of(a.line, Record::curva), records_of(b.line, Record::curva));
  if (before.plan.has_value() != after.plan.has_value()) {
    d.add("plan", before.plan ? "removed" : "added", std::nullopt, std::nullopt, "the plan file");
  }

  // Whatever the records do not tell apart: the fields themselves.
  if (d.out.empty()) {
    std::size_t more = 0;
    for (const Finding& f : compiled_differences(before, after, 8, more)) {
      d.add("cells", "changed", std::nullopt, std::nullopt, f.where + ": " + f.what);
    }
    if (more > 0) d.add("cells", "changed", std::nullopt, std::nullopt, std::to_string(more) + " more fields");
  }
  return d.out;
}

}  // namespace scenario
