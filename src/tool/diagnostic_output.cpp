#include "tool/diagnostic_output.h"

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "base/file_names.h"
#include "base/windows1252.h"
#include "checker/source_links.h"
#include "compiler/code_explanations.h"
#include "tool/lsp/documents.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

std::string plural(int n, const char* thing) { return std::to_string(n) + " " + thing + (n == 1 ? "" : "s"); }

std::string level_of(Severity severity) {
  return severity == Severity::note ? "note" : std::string(severity_name(severity));
}

Json json_output(const CheckResult& result, const AuthorSources& sources) {
  Json diagnostics = Json::array();
  for (const Diagnostic& d : result.diagnostics) {
    const CodeEntry* entry = find_code(d.code);
    Json item = {{"file", sources.path_of(d.place.file)}};
    if (d.place.line > 0) {
      item["line"] = d.place.line;
      item["column"] = d.place.column + 1;
      item["end_column"] = d.place.column + 1 + d.length;
    }
    item["severity"] = std::string(severity_name(d.severity));
    item["code"] = d.code;
    item["name"] = entry != nullptr ? std::string(entry->name) : "";
    item["message"] = sources.paths().with_author_names(d.message);
    item["hint"] = sources.paths().with_author_names(d.hint);
    if (!d.related.empty()) {
      Json related = Json::array();
      for (const RelatedLocation& r : d.related) {
        related.push_back({{"file", sources.path_of(r.place.file)},
                           {"line", r.place.line},
                           {"column", r.place.column + 1},
                           {"end_column", r.place.column + 1 + r.length},
                           {"message", sources.paths().with_author_names(r.message)}});
      }
      item["related"] = related;
    }
    diagnostics.push_back(item);
  }
  Json read = Json::object();
  for (const RecordsRead& r : result.read) read[std::string(record_format(r.record).keyword)] = r.count;
  return {{"diagnostics", diagnostics},
          {"summary",
           {{"errors", result.count(Severity::error)},
            {"warnings", result.count(Severity::warning)},
            {"notes", result.count(Severity::note)},
            {"errors_not_listed", result.errors_not_listed},
            {"more_not_counted", result.more_not_counted},
            {"read", read}}}};
}

Json sarif_output(const CheckResult& result, const AuthorSources& sources) {
  // The rules are the codes the results name, each once, in table order.
  Json rules = Json::array();
  std::vector<int32_t> rule_codes;
  for (const CodeEntry& entry : kCodeTable) {
    const bool used = std::any_of(result.diagnostics.begin(), result.diagnostics.end(),
                                  [&entry](const Diagnostic& d) { return d.code == entry.number; });
    if (!used) continue;
    rule_codes.push_back(entry.number);
    Json rule = {{"id", std::to_string(entry.number)},
                 {"name", std::string(entry.name)},
                 {"shortDescription", {{"text", std::string(entry.text)}}}};
    if (const CodeExplanation* explanation = explanation_of(entry.number)) {
      rule["fullDescription"] = {{"text", std::string(explanation->why)}};
      rule["help"] = {{"text", std::string(explanation->fix)}};
    }
    rule["defaultConfiguration"] = {{"level", level_of(entry.severity)}};
    rules.push_back(rule);
  }
  const auto physical_location = [&sources](const SourcePlace& place, int32_t length) {
    Json physical = {
        {"artifactLocation",
         {{"uri", lsp::uri_of_path(std::filesystem::absolute(path_from_utf8(sources.path_of(place.file))))}}}};
    if (place.line > 0) {
      Json region = {{"startLine", place.line}, {"startColumn", place.column + 1}};
      if (length > 0) region["endColumn"] = place.column + 1 + length;
      physical["region"] = region;
    }
    return physical;
  };
  Json results = Json::array();
  for (const Diagnostic& d : result.diagnostics) {
    const auto rule_index = std::find(rule_codes.begin(), rule_codes.end(), d.code) - rule_codes.begin();
    const Json physical = physical_location(d.place, d.length);
    Json item = {
        {"ruleId", std::to_string(d.code)},
        {"ruleIndex", rule_index},
        {"level", level_of(d.severity)},
        {"message",
         {{"text", sources.paths().with_author_names(d.message + (d.hint.empty() ? "" : " (" + d.hint + ")"))}}},
        {"locations", Json::array({{{"physicalLocation", physical}}})}};
    if (!d.related.empty()) {
      Json related = Json::array();
      for (std::size_t i = 0; i < d.related.size(); ++i) {
        const RelatedLocation& r = d.related[i];
        related.push_back({{"id", i + 1},
                           {"physicalLocation", physical_location(r.place, r.length)},
                           {"message", {{"text", sources.paths().with_author_names(r.message)}}}});
      }
      item["relatedLocations"] = related;
    }
    results.push_back(item);
  }
  return {
      {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
      {"version", "2.1.0"},
      {"runs",
       Json::array({{{"tool",
                      {{"driver",
                        {{"name", std::string(kToolName)}, {"version", std::string(kToolVersion)}, {"rules", rules}}}}},
                     {"results", results}}})}};
}

}  // namespace

OutputFormat output_format(const Arguments& arguments) {
  const std::optional<std::string> format = arguments.value("--format");
  if (!format || *format == "text") return OutputFormat::text;
  if (*format == "json") return OutputFormat::json;
  if (*format == "sarif") return OutputFormat::sarif;
  throw UsageError("unknown format \"" + *format + "\": text, json or sarif");
}

std::string place_text(const AuthorSources& sources, const SourcePlace& place) {
  std::string text = sources.path_of(place.file);
  if (place.line > 0) text += ":" + std::to_string(place.line) + ":" + std::to_string(place.column + 1);
  return text;
}

DiagnosticPrinter::DiagnosticPrinter(const AuthorSources& sources)
    : sources_(sources), line_lines_(sources.line), train_lines_(sources.train) {}

std::string DiagnosticPrinter::text(const Diagnostic& d) const {
  const AuthorSources& sources = sources_;
  std::string text = place_text(sources, d.place);
  const SourcePaths paths = sources.paths();
  text += ": " + std::string(severity_name(d.severity)) + " " + std::to_string(d.code) + ": " +
          paths.with_author_names(d.message) + "\n";
  if (d.place.line > 0) {
    const std::string_view line = d.place.file == sources.names.line_source()    ? line_lines_.line(d.place.line)
                                  : d.place.file == sources.names.train_source() ? train_lines_.line(d.place.line)
                                                                                 : std::string_view();
    if (!line.empty()) {
      text += "    " + from_windows1252(line) + "\n    ";
      // One byte a character in the file: tabs stay tabs so that the caret
      // lines up under the field.
      for (std::size_t i = 0; i < static_cast<std::size_t>(d.place.column) && i < line.size(); ++i) {
        text += line[i] == '\t' ? '\t' : ' ';
      }
      text += "^" + std::string(d.length > 1 ? static_cast<std::size_t>(d.length - 1) : 0, '~') + "\n";
    }
  }
  if (!d.hint.empty()) text += "  hint: " + paths.with_author_names(d.hint) + "\n";
  for (const RelatedLocation& r : d.related) {
    text += "  note: " + sources.path_of(r.place.file) + ":" + std::to_string(r.place.line) + ":" +
            std::to_string(r.place.column + 1) + ": " + paths.with_author_names(r.message) + "\n";
  }
  return text;
}

std::string summary_text(const CheckResult& result) {
  return plural(result.count(Severity::error), "error") + ", " + plural(result.count(Severity::warning), "warning") +
         ", " + plural(result.count(Severity::note), "note") + "; read " + records_read_text(result.read) +
         not_listed_text(result);
}

std::string not_listed_text(const CheckResult& result) {
  if (result.errors_not_listed == 0 && !result.more_not_counted) return {};
  std::string text = "; ";
  if (result.errors_not_listed > 0) {
    text +=
        (result.more_not_counted ? "at least " : "") + plural(result.errors_not_listed, "more error") + " not listed";
  } else {
    text += "the check stopped early: there may be more errors";
  }
  return text + " (--max-errors 0 lists every one)";
}

std::string check_output(const CheckResult& result, const AuthorSources& sources, OutputFormat format) {
  switch (format) {
    case OutputFormat::json:
      return json_output(result, sources).dump(2) + "\n";
    case OutputFormat::sarif:
      return sarif_output(result, sources).dump(2) + "\n";
    case OutputFormat::text:
      break;
  }
  return diagnostics_text(result, sources) + summary_text(result) + "\n";
}

namespace {

// 199800 as "199,800".
std::string with_thousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

std::string diagnostics_text(const CheckResult& result, const AuthorSources& sources, bool (*show)(const Diagnostic&)) {
  std::string text;
  const DiagnosticPrinter printer(sources);
  std::map<std::pair<Severity, int32_t>, std::size_t> seen;
  for (const Diagnostic& d : result.diagnostics) {
    if (show != nullptr && !show(d)) continue;
    if (++seen[{d.severity, d.code}] <= kShownPerCode) text += printer.text(d);
  }
  for (const auto& [key, count] : seen) {
    if (count <= kShownPerCode) continue;
    text += "and " + with_thousands(count - kShownPerCode) + " more of " + std::string(severity_name(key.first)) + " " +
            std::to_string(key.second) + "\n";
  }
  return text;
}

}  // namespace scenario::tool
