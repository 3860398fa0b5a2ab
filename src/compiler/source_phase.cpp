#include "compiler/source_phase.h"

#include <algorithm>
#include <utility>

#include "compiler/codes.h"

namespace scenario {

SourcePhase::SourcePhase(CompileContext& context, std::string file_name)
    : model_(context.model),
      files_(context.files),
      source_(context.source),
      report_(context.report),
      observer_(context.observer),
      file_name_(std::move(file_name)) {
  source_.file_name = file_name_;
  source_.reader.reset();
  source_.record = nullptr;
  source_.cause.reset();
}

void SourcePhase::open() {
  source_.reader.emplace(files_.read(file_name_), file_name_);
  if (observer_ != nullptr) observer_->file_opened(file_name_, reader().bytes());
}

bool SourcePhase::next_keyword(int comments) {
  if (reader().at_end()) return false;
  model_.riga = reader().read_text();
  if (reader().at_end()) {
    pass_over(PassedOver::end_of_file);
    return false;
  }
  for (int i = 0; i < comments && contains(model_.riga, "-"); ++i) {
    pass_over(PassedOver::comment);
    model_.riga = reader().read_text();
    if (reader().at_end()) {
      pass_over(PassedOver::end_of_file);
      return false;
    }
  }
  keyword_line_ = reader().line();
  keyword_column_ = reader().column();
  return true;
}

bool SourcePhase::read_records(std::span<const RecordFormat> formats, int comments) {
  while (next_keyword(comments)) {
    source_.record = nullptr;
    const Next next = dispatch(formats, model_.riga);
    if (next == Next::end_of_step) return false;
    if (next == Next::end_of_phase) break;
  }
  return true;
}

// Every test is tried on the keyword, in the table's order: a keyword that
// passes two tests is handled as both records.
Next SourcePhase::dispatch(std::span<const RecordFormat> formats, const std::string& keyword) {
  bool recognised = false;
  for (const RecordFormat& format : formats) {
    if (!recognises(format, keyword)) continue;
    recognised = true;
    start_record(format);
    if (observer_ != nullptr) observer_->record(format, {file_name_, keyword_line_, keyword_column_, keyword, 0});
    if (const Next next = record(format, keyword); next != Next::record) return next;
    // A failure from here on belongs to no record, until the next begins.
    source_.record = nullptr;
  }
  if (!recognised) {
    const bool header = contains(keyword, "[") && contains(keyword, "]");
    if (observer_ != nullptr) {
      observer_->passed_over({file_name_, keyword_line_, keyword_column_, keyword, 0},
                             header ? PassedOver::header : PassedOver::unknown);
    }
  }
  return Next::record;
}

void SourcePhase::pass_over(PassedOver why) {
  if (observer_ != nullptr)
    observer_->passed_over({file_name_, reader().line(), reader().column(), model_.riga, 0}, why);
}

void SourcePhase::observe_field(const FieldFormat& format, std::string_view text, int32_t number) {
  if (observer_ != nullptr) observer_->field(format, {file_name_, reader().line(), reader().column(), text, number});
}

void SourcePhase::start_record(const RecordFormat& format) {
  if (format.fields.size() > kMaxFields) throw std::logic_error("a record with more fields than a station");
  record_ = &format;
  fields_read_ = 0;
  source_.record = &format;
  source_.record_place = {file_name_, keyword_line_, keyword_column_};
}

const FieldFormat& SourcePhase::next_field(std::string_view name) {
  if (record_ == nullptr || fields_read_ >= record_->fields.size() || record_->fields[fields_read_].name != name) {
    throw std::logic_error("a field read out of the order of its record's format");
  }
  return record_->fields[fields_read_];
}

int32_t SourcePhase::number(std::string_view field) {
  const FieldFormat& format = next_field(field);
  int32_t value = 0;
  switch (format.type) {
    case FieldType::int32:
      value = reader().read_int32();
      break;
    case FieldType::int16:
      value = reader().read_int16();
      break;
    case FieldType::uint8:
      value = reader().read_uint8();
      break;
    case FieldType::text:
    case FieldType::stored_text:
      throw std::logic_error("a text field read as a number");
  }
  field_places_[fields_read_++] = {reader().line(), reader().column()};
  observe_field(format, {}, value);
  return value;
}

std::string SourcePhase::text(std::string_view field) {
  const FieldFormat& format = next_field(field);
  std::string value;
  switch (format.type) {
    case FieldType::text:
      value = reader().read_text();
      break;
    case FieldType::stored_text:
      value = reader().read_stored_text();
      break;
    case FieldType::int32:
    case FieldType::int16:
    case FieldType::uint8:
      throw std::logic_error("a number field read as a text");
  }
  field_places_[fields_read_++] = {reader().line(), reader().column()};
  observe_field(format, value, 0);
  return value;
}

bool SourcePhase::in_line(int32_t p, int32_t margin) const { return within_line(p, model_.ultima_cella(), margin); }

void SourcePhase::close_and_delete() {
  // The whole file was read when it was opened: closing it is a no-op.
  files_.remove(file_name_);
}

SourcePhase::Place SourcePhase::place_of(std::string_view field) const {
  if (field.empty() || record_ == nullptr) return {keyword_line_, keyword_column_};
  for (std::size_t i = 0; i < fields_read_; ++i) {
    if (record_->fields[i].name == field) return field_places_[i];
  }
  throw std::logic_error("a code set by a field not yet read");
}

SourcePlace SourcePhase::field_place(std::string_view field) const {
  const Place place = place_of(field);
  return {file_name_, place.line, place.column};
}

void SourcePhase::set_code(int32_t code, std::string_view field) {
  const Place place = place_of(field);
  model_.codice_errore = code;
  report_.place = {file_name_, place.line, place.column};
  if (record_ != nullptr) {
    report_.record = record_->id;
    report_.record_place = {file_name_, keyword_line_, keyword_column_};
  } else {
    report_.record.reset();
    report_.record_place = {};
  }
}

SourcePlace SourcePhase::place_here() { return {file_name_, reader().line(), reader().column()}; }

Next SourcePhase::fail(int32_t code, std::string_view field) {
  close_and_delete();
  set_code(code, field);
  return Next::end_of_step;
}

Next SourcePhase::outside_line(std::string_view field) {
  set_code(code::beyond_line_end, field);
  return Next::end_of_phase;
}

Next SourcePhase::after_builder(int32_t code_before, std::string_view field) {
  if (model_.codice_errore <= 0) return Next::record;
  close_and_delete();
  if (model_.codice_errore != code_before) set_code(model_.codice_errore, field);
  return Next::end_of_step;
}

}  // namespace scenario
