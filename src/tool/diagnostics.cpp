#include "tool/diagnostics.h"

#include "checker/error_messages.h"
#include "compiler/model_names.h"
#include "tool/diagnostic_output.h"

namespace scenario::tool {

namespace {

std::string where_in_route(const std::string& file, int32_t cell, uint8_t tipo) {
  return file + ":cell " + std::to_string(cell) + " (progressive " + std::to_string(cell_progressive(cell, tipo)) + ")";
}

std::string error_line(const std::string& where, int32_t code, const std::string& what) {
  return where + ": error " + std::to_string(code) + ": " + what;
}

// Which source file places an object of this kind: boards and signs come from
// the line, everything else in a cell from the train.
const std::string& file_of_object(uint8_t tipo, const AuthorSources& sources) {
  const bool line = tipo == tipo_cella::indicatore_v_max || tipo == tipo_cella::cartello;
  return line ? sources.line_path : sources.train_path;
}

}  // namespace

std::vector<std::string> compile_error_lines(const CompileReport& report, const Observation& observation,
                                             const TrackModel& model, const AuthorSources& sources) {
  std::vector<std::string> lines;
  if (const std::optional<Diagnostic> error = compile_error(report, observation, model)) {
    // A code of no particular source file is the line source file's, unless
    // the compile stopped in the train source file.
    SourcePlace place = error->place;
    if (place.file != sources.names.line_source() && place.file != sources.names.train_source()) {
      place = {report.place.file == sources.names.train_source() ? sources.names.train_source()
                                                                 : sources.names.line_source(),
               0, 0};
    }
    lines.push_back(
        error_line(place_text(sources, place), error->code, sources.paths().with_author_names(error->message)));
  }
  const Diagnostics marks = missing_mark_errors(report, observation, model, sources.names);
  for (std::size_t i = 0; i < report.missing_marks.size() && i < marks.size(); ++i) {
    const MissingMark& miss = report.missing_marks[i];
    const uint8_t tipo = miss.rule == 'A' || miss.rule == 'D' ? tipo_cella::segnale : tipo_cella::inizio_rallentamento;
    lines.push_back(error_line(where_in_route(sources.train_path, miss.cell, tipo), miss.code,
                               sources.paths().with_author_names(marks[i].message)));
  }
  return lines;
}

std::string fixed_value_line(Finish finish, const Observation& observation, const TrackModel& model,
                             const AuthorSources& sources) {
  const Diagnostic error = fixed_value_error(finish, observation, model, sources.names);
  const voce_sim& linea = model.tabella_sim[voce::intestazione_linea];
  const int32_t entry_value = finish == Finish::errore_1250 ? linea.col7 : linea.orario;
  if (entry_value != 0) return error_line(sources.train_path, error.code, error.message);
  const uint8_t tipo = model.celle.size() > 1 ? model.celle[1].tipo : tipo_cella::vuota;
  return error_line(where_in_route(file_of_object(tipo, sources), 1, tipo), error.code, error.message);
}

}  // namespace scenario::tool
