#include "tool/diagnostics.h"

#include "compiler/codes.h"
#include "output/scenario_view.h"

namespace scenario::tool {

namespace {

std::string where_in_file(const std::string& file, int32_t line) {
  return line > 0 ? file + ":" + std::to_string(line) : file;
}

std::string where_in_route(const std::string& file, int32_t cell, uint8_t tipo) {
  return file + ":cell " + std::to_string(cell) + " (progressive " + std::to_string(cell_progressive(cell, tipo)) + ")";
}

std::string error_line(const std::string& where, int32_t code, const std::string& what) {
  return where + ": error " + std::to_string(code) + ": " + what;
}

// The reason of a run-time failure often starts with the compiler's own name
// of the file and the line, which the diagnostic already gives.
std::string without_place(const std::string& reason, const std::string& file_name) {
  const std::string prefix = file_name + ":";
  if (reason.compare(0, prefix.size(), prefix) != 0) return reason;
  const std::size_t after = reason.find(": ", prefix.size());
  return after == std::string::npos ? reason : reason.substr(after + 2);
}

std::string cells_text(int32_t first, int32_t count, int32_t step) {
  std::string text;
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " and " : ", ";
    text += std::to_string(first + i * step);
  }
  return text;
}

std::string missing_mark_text(const MissingMark& miss) {
  switch (miss.rule) {
    case 'A':
      return "no free cell for the speed abatement mark before this signal, which stands within 20 cells "
             "before a slowdown warning board: cells " +
             cells_text(miss.candidate, 2, -1) + " are taken and hold no speed abatement point";
    case 'B': {
      const int32_t offset = miss.cell - miss.candidate;
      return "no free cell for the speed abatement mark " + std::to_string(offset * 50) + " to " +
             std::to_string((offset + 2) * 50) + " m before this slowdown start: cells " +
             cells_text(miss.candidate, 3, -1) + " are taken";
    }
    case 'C':
      return "no free cell for the speed abatement mark inside this slowdown: cells " + std::to_string(miss.candidate) +
             ", " + std::to_string(miss.candidate - 1) + " and " + std::to_string(miss.candidate + 1) +
             " are taken; the rest of the slowdown gets no mark";
    default:
      return "no free cell for the speed abatement mark before this signal, the first after a slowdown under "
             "110 km/h: cells " +
             cells_text(miss.candidate, 2, -1) + " are taken";
  }
}

// Which source file places an object of this kind: boards and signs come from
// the line, everything else in a cell from the train.
const std::string& file_of_object(uint8_t tipo, const SourcePaths& paths) {
  const bool line = tipo == tipo_cella::indicatore_v_max || tipo == tipo_cella::cartello;
  return line ? paths.line : paths.train;
}

}  // namespace

std::string_view code_text(int32_t code) {
  const CodeEntry* entry = find_code(code);
  return entry != nullptr ? entry->text : "unknown code";
}

std::vector<std::string> model_diagnostics(const CompileReport& report, const SourcePaths& paths) {
  std::vector<std::string> lines;
  if (report.code != code::none) {
    const std::string& file = report.place.file == paths.train_name ? paths.train : paths.line;
    std::string what(code_text(report.code));
    if (report.code == code::run_time_failure && !report.reason.empty()) {
      what += ": " + without_place(report.reason, report.place.file);
    }
    lines.push_back(error_line(where_in_file(file, report.place.line), report.code, what));
  }
  for (const MissingMark& miss : report.missing_marks) {
    const uint8_t tipo = miss.rule == 'A' || miss.rule == 'D' ? tipo_cella::segnale : tipo_cella::inizio_rallentamento;
    lines.push_back(error_line(where_in_route(paths.train, miss.cell, tipo), miss.code, missing_mark_text(miss)));
  }
  return lines;
}

std::string fixed_value_diagnostic(const TrackModel& model, const std::string& number, const SourcePaths& paths) {
  const int32_t code = std::stoi(number);
  const voce_sim& linea = model.tabella_sim[voce::intestazione_linea];
  const bool first_pair = code == 1250;
  const int32_t entry_value = first_pair ? linea.col7 : linea.orario;
  if (entry_value != 0) {
    return error_line(paths.train, code,
                      std::string("entry 85 of the scenario table holds ") + (first_pair ? "col7 " : "orario ") +
                          std::to_string(entry_value) + "; it is reserved for " +
                          (first_pair ? "the fixed value 610" : "the weighted competition code"));
  }
  const cella cell = model.celle.size() > 1 ? model.celle[1] : cella{};
  const std::string field = first_pair ? "dato1" : "dato2";
  const int32_t value = first_pair ? cell.dato1 : cell.dato2;
  const std::string holder =
      cell.tipo == tipo_cella::vuota ? "cell 1" : "cell 1 holds a " + std::string(object_name(cell.tipo)) + " whose";
  return error_line(where_in_route(file_of_object(cell.tipo, paths), 1, cell.tipo), code,
                    holder + " " + field + " is " + std::to_string(value) + "; " + field +
                        " of cell 1 is reserved for " + (first_pair ? "the fixed value 5121" : "the competition code") +
                        ", so cell 1 must hold no object");
}

}  // namespace scenario::tool
