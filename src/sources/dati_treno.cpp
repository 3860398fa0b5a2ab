#include <string>
#include <string_view>

#include "base/file_names.h"
#include "sources/line_table.h"
#include "sources/station_names.h"
#include "sources/text_writers.h"
#include "sources/train_source_content.h"

namespace scenario {

LineTable train_source_table() {
  LineTable table;
  for (std::string_view line : train_source_opening()) table.add(std::string(line));
  // The stations carry the names of the train's stops, in route order.
  const auto rows = station_rows();
  for (std::size_t k = 0; k < rows.size(); ++k) table.add(std::string(rows[k]) + std::string(kStops.at(k)));
  for (std::string_view line : train_source_closing()) table.add(std::string(line));
  return table;
}

void dati_treno(const std::filesystem::path& folder, const TrackModel& model) {
  train_source_table().write(in_folder(folder, FileNames{model.nome_linea, model.numero_treno}.train_source()));
}

}  // namespace scenario
