#include "checker/source_warnings.h"

#include <algorithm>

#include "checker/source_links.h"
#include "checker/warning_context.h"
#include "compiler/source_reader.h"

namespace scenario {

namespace warnings {

std::string num(int64_t v) { return std::to_string(v); }
std::string in_quotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool is_number(std::string_view text) {
  text = trimmed(text);
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool before(const SourcePlace& a, const SourcePlace& b) {
  return a.line != b.line ? a.line < b.line : a.column < b.column;
}

bool is_text(const FieldFormat& format) {
  return format.type == FieldType::text || format.type == FieldType::stored_text;
}

std::string glued_to_keyword(const ObservedRecord& record) {
  const std::string_view keyword = trimmed(record.keyword);
  if (keyword.starts_with("#")) return {};
  const bool digits = record.format->id == Record::curva || record.format->id == Record::ripetizione_segnali;
  const auto stray = std::find_if(keyword.begin(), keyword.end(), [digits](char ch) {
    const auto u = static_cast<unsigned char>(ch);
    const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || u >= 0x80;
    return !(letter || ch == ' ' || ch == '_' || ch == '\t' || (digits && ch >= '0' && ch <= '9'));
  });
  if (stray == keyword.end()) return {};
  return std::string(keyword.substr(static_cast<std::size_t>(stray - keyword.begin())));
}

namespace {

Block general_block(const Observation& o, const FileNames& names) {
  Block block{-1, -1};
  for (const PassedOverField& f : o.passed) {
    if (f.place.file != names.line_source() || f.why != PassedOver::header) continue;
    if (block.first < 0) {
      if (contains_ignoring_case(f.text, kGeneralHeader)) block.first = f.place.line;
    } else {
      block.last = f.place.line;
      break;
    }
  }
  if (block.first >= 0 && block.last < 0) block.last = INT32_MAX;
  return block;
}

}  // namespace

Context::Context(const Observation& observation, const TrackModel& track, const FileNames& file_names, bool whole)
    : o(observation),
      model(track),
      names(file_names),
      complete(whole),
      general(general_block(observation, file_names)) {
  if (model.ultima_cella() >= 0) length = model.tabella_sim[voce::treno_e_linea].fine;
}

SourceKind Context::kind_of(std::string_view file) const {
  return file == names.line_source() ? SourceKind::line : SourceKind::train;
}

void Context::add(int32_t code, const SourcePlace& place, int32_t size, std::string message, std::string hint) {
  found_.push_back(diagnostic(code, place, size, std::move(message), std::move(hint)));
}

void Context::at_field(int32_t code, const ObservedField& field, std::string message, std::string hint) {
  add(code, field.place, field_length(o, field.place, !is_text(*field.format)), std::move(message), std::move(hint));
}

void Context::at_keyword(int32_t code, const ObservedRecord& record, std::string message, std::string hint) {
  add(code, record.place, static_cast<int32_t>(trimmed(record.keyword).size()), std::move(message), std::move(hint));
}

RelatedLocation Context::related(const ObservedField& field, std::string message) const {
  return {field.place, field_length(o, field.place, !is_text(*field.format)), std::move(message)};
}

RelatedLocation Context::related(const ObservedRecord& record, std::string message) const {
  return {record.place, static_cast<int32_t>(trimmed(record.keyword).size()), std::move(message)};
}

Diagnostics Context::take() {
  std::stable_sort(found_.begin(), found_.end(), [this](const Diagnostic& a, const Diagnostic& b) {
    const bool a_line = a.place.file == names.line_source(), b_line = b.place.file == names.line_source();
    if (a_line != b_line) return a_line;
    return before(a.place, b.place);
  });
  return std::move(found_);
}

}  // namespace warnings

Diagnostics source_warnings(const Observation& observation, const TrackModel& model, const FileNames& names,
                            bool complete) {
  warnings::Context context(observation, model, names, complete);
  warnings::keyword_warnings(context);
  warnings::record_warnings(context);
  warnings::range_warnings(context);
  warnings::reference_warnings(context);
  warnings::placement_warnings(context);
  return context.take();
}

}  // namespace scenario
