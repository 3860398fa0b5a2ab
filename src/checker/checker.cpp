#include "checker/checker.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>

#include "base/run_time_failure.h"
#include "base/source_folder.h"
#include "checker/error_messages.h"
#include "checker/observation.h"
#include "checker/source_links.h"
#include "checker/source_warnings.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"

namespace scenario {

namespace {

// The two files as the checker edits them: records that failed are blanked
// out (their lines turned into blanks, line ends kept, so that every later
// place stays where it was).
struct Texts {
  std::optional<std::string> line;
  std::optional<std::string> train;

  std::optional<std::string>* of(const FileNames& names, const std::string& file) {
    if (file == names.line_source()) return &line;
    if (file == names.train_source()) return &train;
    return nullptr;
  }
};

// The byte range of lines first to last (from 1) in `text`, line ends aside.
void blank_lines(std::string& text, int32_t first, int32_t last) {
  int32_t line = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      continue;
    }
    if (line >= first && line <= last) text[i] = ' ';
    if (line > last) return;
  }
}

// Leaves the record out of its file: every line from its keyword to the last
// field the compile read for it. False when there is no such record.
bool leave_out(Texts& texts, const FileNames& names, const ObservedRecord* record, const SourcePlace& also) {
  if (record == nullptr) return false;
  std::optional<std::string>* text = texts.of(names, record->place.file);
  if (text == nullptr || !*text) return false;
  int32_t last = record->place.line;
  for (const ObservedField& f : record->fields) last = std::max(last, f.place.line);
  if (also.file == record->place.file) last = std::max(last, also.line);
  blank_lines(**text, record->place.line, last);
  return true;
}

// A line too long for the model is checked as one of the longest allowed.
bool shorten_line(Texts& texts, const FileNames& names, const ObservedRecord* record, const Observation& o) {
  if (record == nullptr || record->fields.empty() || !texts.line) return false;
  const SourcePlace& place = record->fields.front().place;
  const std::size_t length = static_cast<std::size_t>(field_length(o, place, true));
  std::string& text = *texts.line;
  std::size_t start = 0;
  for (int32_t line = 1; line < place.line; ++line) {
    start = text.find('\n', start);
    if (start == std::string::npos) return false;
    ++start;
  }
  text.replace(start + static_cast<std::size_t>(place.column), length, "1000000");
  (void)names;
  return true;
}

struct Round {
  Observation observation;
  CompileReport report;
  std::optional<Finish> finish;  // none when the line gave no cells
};

Round compile_once(const Texts& texts, const FileNames& names, TrackModel& model) {
  MemoryFolder folder;
  if (texts.line) folder.put(names.line_source(), *texts.line);
  if (texts.train) folder.put(names.train_source(), *texts.train);
  model.reset();
  model.nome_linea = names.nome_linea;
  model.numero_treno = names.numero_treno;
  Round round;
  int32_t j = 1;
  try {
    round.finish = compile_and_finish(model, folder, round.report, j, &round.observation);
  } catch (const RunTimeFailure&) {
    round.finish.reset();
  }
  return round;
}

bool is_compile_code(int32_t code) {
  const CodeEntry* entry = find_code(code);
  return entry != nullptr && entry->stage == CodeStage::compile;
}

std::vector<RecordsRead> records_read(const Observation& o) {
  std::vector<RecordsRead> read;
  for (const SourceFormat* format : {&line_format(), &train_format()}) {
    for (const RecordFormat& record : format->records) {
      const int count = static_cast<int>(o.of(record.id).size());
      if (count > 0) read.push_back({record.id, count});
    }
  }
  return read;
}

// Errors keep the order in which a build meets them; the warnings and notes
// go among them at their places, in source order.
Diagnostics merged(const Diagnostics& errors, const Diagnostics& others, const FileNames& names) {
  const auto key = [&names](const Diagnostic& d) {
    const int file = d.place.file == names.line_source() ? 0 : d.place.file == names.train_source() ? 1 : 2;
    return std::array<int64_t, 3>{file, d.place.line, d.place.column};
  };
  Diagnostics out;
  std::size_t next = 0;
  for (const Diagnostic& error : errors) {
    while (next < others.size() && key(others[next]) < key(error)) out.push_back(others[next++]);
    out.push_back(error);
  }
  while (next < others.size()) out.push_back(others[next++]);
  return out;
}

}  // namespace

int CheckResult::count(Severity severity) const {
  return static_cast<int>(std::count_if(diagnostics.begin(), diagnostics.end(),
                                        [severity](const Diagnostic& d) { return d.severity == severity; }));
}

CheckResult check_scenario(const CheckSources& sources, const CheckLimits& limits) {
  const FileNames& names = sources.names;
  Texts texts{sources.line, sources.train};
  Diagnostics errors;
  TrackModel model;
  Round round;
  bool shortened = false;
  const auto started = std::chrono::steady_clock::now();
  const auto out_of_time = [&]() {
    return limits.seconds > 0 &&
           std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() > limits.seconds;
  };
  // A file of nothing but errors is told enough: the compiles that find them
  // one by one stop at the limits.
  // Past the listing limit the errors are still counted, up to ten times the
  // limit, so that the summary can say how many are not listed.
  const int64_t counted = limits.most_errors > 0 ? int64_t{limits.most_errors} * 10 : INT64_MAX;
  bool stopped = false;
  for (;;) {
    if (static_cast<int64_t>(errors.size()) >= counted || (errors.size() > 0 && out_of_time())) {
      stopped = true;
      break;
    }
    round = compile_once(texts, names, model);
    const CompileReport& report = round.report;
    const Observation& o = round.observation;
    if (is_compile_code(report.code)) {
      errors.push_back(*compile_error(report, o, model));
      const ObservedRecord* record = report.record ? o.record_at(report.record_place) : nullptr;
      const bool went_on = report.code == code::line_too_long
                               ? !shortened && (shortened = shorten_line(texts, names, record, o))
                               : leave_out(texts, names, record, report.place);
      if (!went_on) break;
      continue;
    }
    if (!round.finish) {
      errors.push_back(no_line_error(report, names));
      break;
    }
    if (*round.finish != Finish::compiled) {
      errors.push_back(fixed_value_error(*round.finish, o, model, names));
      if (!leave_out(texts, names, record_of_object(o, model, 1), {})) break;
      continue;
    }
    const Diagnostics missing = missing_mark_errors(report, o, model, names);
    errors.insert(errors.end(), missing.begin(), missing.end());
    break;
  }
  // The compile ran through when its last round ended without a compile
  // error: every record it read is then in the model.
  const bool complete = !is_compile_code(round.report.code) && round.finish.has_value();
  CheckResult result;
  if (limits.most_errors > 0 && static_cast<int>(errors.size()) > limits.most_errors) {
    result.errors_not_listed = static_cast<int>(errors.size()) - limits.most_errors;
    errors.resize(static_cast<std::size_t>(limits.most_errors));
  }
  result.more_not_counted = stopped;
  result.diagnostics = merged(errors, source_warnings(round.observation, model, names, complete), names);
  result.read = records_read(round.observation);
  return result;
}

void apply_options(CheckResult& result, const CheckOptions& options) {
  std::erase_if(result.diagnostics, [&options](const Diagnostic& d) {
    return d.severity != Severity::error &&
           std::find(options.disabled.begin(), options.disabled.end(), d.code) != options.disabled.end();
  });
  if (options.warnings_as_errors) {
    for (Diagnostic& d : result.diagnostics) {
      if (d.severity == Severity::warning) d.severity = Severity::error;
    }
  }
}

std::string records_read_text(const std::vector<RecordsRead>& read) {
  std::string text;
  for (const RecordsRead& r : read) {
    const RecordFormat& format = record_format(r.record);
    if (format.plural.empty()) continue;
    std::string name(format.plural);
    if (r.count == 1 && name.ends_with("s")) name.pop_back();
    text += (text.empty() ? "" : ", ") + std::to_string(r.count) + " " + name;
  }
  return text.empty() ? "no records" : text;
}

}  // namespace scenario
