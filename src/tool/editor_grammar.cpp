#include "tool/editor_grammar.h"

#include <cctype>
#include <nlohmann/json.hpp>

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

// A test text as a regular expression: every character that means something
// to the expression escaped.
std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// A keyword field that passes every test of the record: a lookahead per test,
// then the field itself, from the line's start to the first comma.
std::string keyword_pattern(const RecordFormat& record) {
  std::string pattern = record.exact_case ? "" : "(?i)";
  pattern += "^[ \\t]*(?![^,\\r\\n]*-)";
  for (const std::string_view test : record.tests) {
    if (!test.empty()) pattern += "(?=[^,\\r\\n]*" + escaped(test) + ")";
  }
  return pattern + "[^,\\r\\n]+";
}

// The fields after a keyword: numbers (a number also ends at a blank, so
// "13  57  40" is three), texts, the commas between them.
Json field_patterns() {
  const Json number = {{"1", {{"name", "constant.numeric.scenario"}}}};
  return Json::array({{{"match", ","}, {"name", "punctuation.separator.scenario"}},
                      {{"match", "(?<=,)[ \\t]*([-+]?[0-9]+)(?=[ \\t]*(?:,|$|[ \\t]))"}, {"captures", number}},
                      {{"match", "(?<=[0-9])[ \\t]+([-+]?[0-9]+)(?=[ \\t]*(?:,|$|[ \\t]))"}, {"captures", number}},
                      {{"match", "(?<=,)[^,\\r\\n]+"}, {"name", "string.unquoted.scenario"}}});
}

// A name for a scope: the record's first test, letters and digits only.
std::string scope_part(const RecordFormat& record) {
  std::string part;
  for (const char c : record.tests[0]) part += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
  return part;
}

Json record_rules(std::span<const RecordFormat> records) {
  Json rules = Json::array();
  for (const RecordFormat& record : records) {
    rules.push_back({{"name", "meta.record." + scope_part(record) + ".scenario"},
                     {"begin", keyword_pattern(record)},
                     {"beginCaptures", {{"0", {{"name", "keyword.control.scenario"}}}}},
                     {"end", "$"},
                     {"patterns", field_patterns()}});
  }
  return rules;
}

}  // namespace

std::string grammar_scope(SourceKind kind) {
  return kind == SourceKind::line ? "source.scenario-line" : "source.scenario-train";
}

std::string textmate_grammar(SourceKind kind) {
  const SourceFormat& format = format_of(kind);
  Json repository = Json::object();
  repository["comment"] = {{"match", "^[ \\t]*[^,\\r\\n]*-.*$"}, {"name", "comment.line.scenario"}};
  repository["header"] = {{"match", "^[ \\t]*\\[[^\\],\\r\\n]*\\][^,\\r\\n]*"},
                          {"name", "entity.name.section.scenario"}};
  repository["records"] = {{"patterns", record_rules(format.records)}};
  Json patterns = Json::array({{{"include", "#comment"}}});
  if (!format.general.empty()) {
    // The general block runs from "[generale]" to the next header; its
    // keywords are recognised only there.
    repository["general_records"] = {{"patterns", record_rules(format.general)}};
    patterns.push_back({{"name", "meta.general-block.scenario"},
                        {"begin", "(?i)^[ \\t]*\\[generale\\][^,\\r\\n]*"},
                        {"beginCaptures", {{"0", {{"name", "entity.name.section.scenario"}}}}},
                        {"end", "(?=^[ \\t]*\\[)"},
                        {"patterns", Json::array({{{"include", "#comment"}}, {{"include", "#general_records"}}})}});
  }
  patterns.push_back({{"include", "#header"}});
  patterns.push_back({{"include", "#records"}});
  const Json grammar = {{"$schema", "https://raw.githubusercontent.com/martinring/tmlanguage/master/tmlanguage.json"},
                        {"name", kind == SourceKind::line ? "Scenario line source" : "Scenario train source"},
                        {"scopeName", grammar_scope(kind)},
                        {"patterns", patterns},
                        {"repository", repository}};
  return grammar.dump(2) + "\n";
}

}  // namespace scenario::tool
