#include "recovery/round_trip.h"

#include <cstring>
#include <exception>
#include <variant>

#include "base/file_names.h"
#include "base/source_folder.h"
#include "output/compiled_layout.h"
#include "output/memorizza_percorso.h"

namespace scenario {

namespace {

std::string value_text(const FieldValue& v) {
  if (const auto* n = std::get_if<int64_t>(&v)) return std::to_string(*n);
  return "\"" + std::get<std::string>(v) + "\"";
}

bool same_value(const PlanValue& a, const PlanValue& b) {
  if (a.kind != b.kind) return false;
  return std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

std::string plan_value_text(const PlanValue& v) {
  if (v.kind == PlanValue::Kind::Empty) return "empty";
  char text[48];
  std::snprintf(text, sizeof text, "%.17g", v.value);
  return std::string(plan_kind_name(v.kind)) + " " + text;
}

class Collector {
 public:
  Collector(std::vector<Finding>& out, std::size_t limit, std::size_t& more) : out_(out), limit_(limit), more_(more) {}
  void add(std::string where, std::string what) {
    if (out_.size() < limit_) {
      out_.push_back({std::move(where), std::move(what)});
    } else {
      ++more_;
    }
  }

 private:
  std::vector<Finding>& out_;
  std::size_t limit_;
  std::size_t& more_;
};

}  // namespace

std::vector<Finding> compiled_differences(const CompiledFiles& a, const CompiledFiles& b, std::size_t limit,
                                          std::size_t& more) {
  std::vector<Finding> out;
  more = 0;
  Collector found(out, limit, more);
  for (int e = 0; e < kVociSim; ++e) {
    for (const LayoutField<voce_sim>& f : kEntryLayout) {
      const FieldValue x = field_value(a.table[static_cast<std::size_t>(e)], f);
      const FieldValue y = field_value(b.table[static_cast<std::size_t>(e)], f);
      if (x != y) found.add(entry_place(e), std::string(f.name) + ": " + value_text(x) + " and " + value_text(y));
    }
  }
  if (a.cells.size() != b.cells.size()) {
    found.add("route file", std::to_string(a.cells.size()) + " and " + std::to_string(b.cells.size()) + " cells");
  }
  for (std::size_t c = 0; c < std::min(a.cells.size(), b.cells.size()); ++c) {
    for (const LayoutField<cella>& f : kCellLayout) {
      const FieldValue x = field_value(a.cells[c], f);
      const FieldValue y = field_value(b.cells[c], f);
      if (x != y) {
        found.add(cell_place(static_cast<int32_t>(c)),
                  std::string(f.name) + ": " + value_text(x) + " and " + value_text(y));
      }
    }
  }
  if (a.plan.has_value() != b.plan.has_value()) {
    found.add("plan file", a.plan ? "only the first has a plan" : "only the second has a plan");
  } else if (a.plan) {
    if (a.plan->size() != b.plan->size()) {
      found.add("plan file",
                std::to_string(a.plan->size() / 2) + " and " + std::to_string(b.plan->size() / 2) + " metres");
    } else {
      const std::size_t per_column = a.plan->size() / 2;
      for (std::size_t i = 0; i < a.plan->size(); ++i) {
        if (!same_value((*a.plan)[i], (*b.plan)[i])) {
          found.add(metre_place(static_cast<int64_t>(i % per_column)), std::string(i < per_column ? "x" : "y") + ": " +
                                                                           plan_value_text((*a.plan)[i]) + " and " +
                                                                           plan_value_text((*b.plan)[i]));
        }
      }
    }
  }
  return out;
}

RoundTrip round_trip(const CompiledFiles& files, const std::string& line_name, const std::string& train_number,
                     const std::string& line_source, const std::string& train_source, bool with_plan) {
  RoundTrip result;
  TrackModel model;
  model.nome_linea = line_name;
  model.numero_treno = train_number;
  const FileNames names{line_name, train_number};
  MemoryFolder sources;
  sources.put(names.line_source(), line_source);
  sources.put(names.train_source(), train_source);
  CompileReport report;
  int32_t j = with_plan ? 1 : 0;
  Finish finish = Finish::compiled;
  try {
    finish = compile_and_finish(model, sources, report, j);
  } catch (const std::exception& failure) {
    result.differences.push_back({"compile", failure.what()});
    return result;
  }
  result.codice_errore = report.code;
  if (finish != Finish::compiled) {
    result.differences.push_back({"compile", "ends with errore " + std::string(errore_number(finish))});
    return result;
  }
  CompiledFiles again = compiled_files_of(model);
  if (!with_plan) again.plan = files.plan;  // no plan to compare
  result.differences = compiled_differences(files, again, 12, result.more_differences);
  if (report.code != 0) {
    result.differences.insert(result.differences.begin(),
                              {report.place.file + ":" + std::to_string(report.place.line),
                               "the recovered sources compile with code " + std::to_string(report.code) +
                                   (report.reason.empty() ? "" : ": " + report.reason)});
  }
  result.same = result.differences.empty();
  return result;
}

}  // namespace scenario
