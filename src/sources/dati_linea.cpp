#include <string>
#include <string_view>

#include "base/file_names.h"
#include "sources/line_source_content.h"
#include "sources/line_table.h"
#include "sources/text_writers.h"

namespace scenario {

LineTable line_source_table() {
  LineTable table;
  for (std::string_view line : line_source_lines()) table.add(std::string(line));
  return table;
}

void dati_linea(const std::filesystem::path& folder, const TrackModel& model) {
  line_source_table().write(in_folder(folder, FileNames{model.nome_linea, model.numero_treno}.line_source()));
}

}  // namespace scenario
