#include "tool/page_diagnostics.h"

#include <optional>

#include "base/nearest.h"
#include "compiler/codes.h"
#include "output/scenario_view.h"

namespace scenario::tool {

namespace {

const std::string& author_file(const std::string& compiler_name, const SourcePaths& paths) {
  return compiler_name == paths.train_name ? paths.train : paths.line;
}

// The record that placed the object standing in `cell`, when one did.
std::optional<SourceLine> placer_of(const TrackModel& model, int32_t cell, const SourceLinks& links) {
  if (cell < 0 || cell >= static_cast<int32_t>(model.celle.size())) return std::nullopt;
  const cella& c = model.celle[static_cast<std::size_t>(cell)];
  switch (c.tipo) {
    case tipo_cella::segnale:
      return links.of(Record::segnale, cell);
    case tipo_cella::indicatore_v_max:
      return links.of(Record::indicatori_vmax, cell);
    case tipo_cella::cartello:
      return links.of(Record::cartello_indicatore, cell);
    case tipo_cella::inizio_rallentamento:
      return links.of(Record::rallentamento, cell);
    case tipo_cella::abbattimento_valore:
    case tipo_cella::abbattimento:
      return links.of(Record::abbattimento, cell);
    case tipo_cella::fermata:
      return links.of(Record::stazione, c.dato1);
    default:
      return std::nullopt;
  }
}

// The cell a refused record wanted, for the codes of a taken cell.
std::optional<int32_t> wanted_cell(int32_t code, const RecordRead& record) {
  if (record.numbers.empty()) return std::nullopt;
  const int32_t p = record.numbers[0];
  switch (code) {
    case code::sign_cell_taken:
    case code::signal_cell_taken:
    case code::slowdown_start_cell_taken:
    case code::board_cell_taken:
      return nearest(p / 50.0 + 1);
    case code::abatement_cell_taken:
      return nearest(p / 50.0);
    case code::warning_board_cell_taken:
      return nearest((p - 1200) / 50.0 + 1);
    case code::slowdown_end_cell_taken:
      return record.numbers.size() > 2 ? std::optional(nearest((p + record.numbers[2]) / 50.0 + 1)) : std::nullopt;
    default:
      return std::nullopt;
  }
}

std::string where(const std::optional<SourceLine>& line, const SourcePaths& paths) {
  if (!line) return "";
  return " (" + author_file(line->file, paths) + ":" + std::to_string(line->line) + ")";
}

std::string taken_hint(int32_t code, const CompileReport& report, const TrackModel& model, const SourcePaths& paths,
                       const SourceLinks& links) {
  for (const RecordRead& record : links.records()) {
    if (record.place.file != report.place.file || record.place.line != report.place.line) continue;
    const std::optional<int32_t> cell = wanted_cell(code, record);
    if (!cell || *cell < 0 || *cell >= static_cast<int32_t>(model.celle.size())) return "";
    const cella& c = model.celle[static_cast<std::size_t>(*cell)];
    return "cell " + std::to_string(*cell) + " (progressive " + std::to_string(cell_progressive(*cell, c.tipo)) +
           ") already holds a " + std::string(object_name(c.tipo)) + where(placer_of(model, *cell, links), paths) +
           "; a cell of 50 m holds one object: move one of them to another cell";
  }
  return "";
}

}  // namespace

std::vector<Diagnostic> build_diagnostics(const CompileReport& report, const TrackModel& model, Finish finish,
                                          const SourcePaths& paths, const SourceLinks& links) {
  std::vector<Diagnostic> found;
  // The texts of the compile's own report, so that the page and the compile
  // command say the same.
  const std::vector<std::string> lines = model_diagnostics(report, paths);
  std::size_t next_line = 0;
  const auto message_of = [&lines, &next_line]() {
    const std::string& line = lines[next_line++];
    const std::size_t at = line.find(": error ");
    const std::size_t text = line.find(": ", at + 8);
    return text == std::string::npos ? line : line.substr(text + 2);
  };
  if (report.code != code::none) {
    Diagnostic d{author_file(report.place.file, paths),
                 report.place.line,
                 report.place.column,
                 "error",
                 std::to_string(report.code),
                 message_of(),
                 taken_hint(report.code, report, model, paths, links)};
    if (report.code == code::beyond_line_end)
      d.hint = "the line is as long as \"lunghezza percorso\" says, plus 7000 m";
    found.push_back(std::move(d));
  }
  for (const MissingMark& miss : report.missing_marks) {
    const bool at_signal = miss.rule == 'A' || miss.rule == 'D';
    const std::optional<SourceLine> placer = links.of(at_signal ? Record::segnale : Record::rallentamento, miss.cell);
    found.push_back({placer ? author_file(placer->file, paths) : paths.train, placer ? placer->line : 0,
                     placer ? placer->column : 0, "error", std::to_string(miss.code), message_of(),
                     "the finishing pass places its marks on free cells near the object: free one of those cells"});
  }
  if (finish != Finish::compiled) {
    const std::string number(errore_number(finish));
    const std::string text = fixed_value_diagnostic(model, number, paths);
    const std::size_t at = text.find(": error ");
    const std::size_t message = text.find(": ", at + 8);
    const std::optional<SourceLine> placer = placer_of(model, 1, links);
    found.push_back({placer ? author_file(placer->file, paths) : paths.train, placer ? placer->line : 0,
                     placer ? placer->column : 0, "error", number,
                     message == std::string::npos ? text : text.substr(message + 2),
                     "nothing can be written while an object stands in cell 1 (progressives 0 to 74)"});
  }
  return found;
}

}  // namespace scenario::tool
