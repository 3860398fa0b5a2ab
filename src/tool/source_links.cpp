#include "tool/source_links.h"

#include "compiler/cell_rules.h"

namespace scenario::tool {

void SourceLinks::record(const RecordFormat& format, const FieldRead& keyword) {
  records_.push_back({format.id, {std::string(keyword.file), keyword.line, keyword.column}, {}});
  placed_current_ = false;
  if (format.id == Record::stazione) placed_.emplace(std::pair{Record::stazione, ++stations_}, records_.size() - 1);
}

void SourceLinks::field(const FieldFormat& format, const FieldRead& field) {
  if (records_.empty()) return;
  RecordRead& current = records_.back();
  const bool first = current.numbers.empty();
  current.numbers.push_back(field.number);
  if (placed_current_) return;
  std::optional<int32_t> key;
  switch (format.placement) {
    case Placement::object:
      key = object_cell(field.number);
      break;
    case Placement::section_boundary:
      key = boundary_cell(field.number);
      break;
    case Placement::station:
    case Placement::none:
      // Curves are found by the metre where they start.
      if (current.kind == Record::curva && first) key = field.number;
      break;
  }
  if (!key) return;
  placed_current_ = true;
  placed_.emplace(std::pair{current.kind, *key}, records_.size() - 1);
}

std::optional<SourcePlace> SourceLinks::of(Record kind, int32_t key) const {
  const auto found = placed_.find({kind, key});
  if (found == placed_.end()) return std::nullopt;
  return records_[found->second].place;
}

std::optional<SourcePlace> SourceLinks::of_reference(const KilometreReference& reference) const {
  for (const RecordRead& r : records_) {
    const bool is_reference =
        r.kind == Record::progressiva_uno || r.kind == Record::progressiva_due || r.kind == Record::progressiva_tre;
    if (!is_reference || r.numbers.size() < 3) continue;
    const int32_t stored = r.numbers[1] + (r.numbers[2] == 1 ? kDescendingRaise : 0);
    if (r.numbers[0] == reference.start && stored == reference.kilometre && r.numbers[2] == reference.direction) {
      return r.place;
    }
  }
  return std::nullopt;
}

}  // namespace scenario::tool
